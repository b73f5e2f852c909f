#include "dictio/dictionaryio.h"

#include "data/errors.h"
#include "data/fields.h"
#include "data/picturecodec.h"
#include "data/storage.h"
#include "data/tablefile.h"
#include "dictio/csv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryFile>

#include <cerrno>
#include <optional>
#include <utility>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

static void initSampleResources()
{
    Q_INIT_RESOURCE(sample);
}

namespace DictionaryIO {

namespace {

const QString PicturesDir = QStringLiteral("pictures");
constexpr int MaxProblems = 100;

// A picture file larger than any bitmap the codec accepts is refused before it is read.
constexpr qint64 MaxPictureFileSize = PictureCodec::MaxPixels * 4 + 1024 * 1024;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString nfc(const QString &s)
{
    return s.normalized(QString::NormalizationForm_C);
}

QStringList headerNames()
{
    QStringList names;
    for (int f = 0; f < FieldCount; ++f)
        names << fieldName(f);
    return names;
}

bool hasControlCharacter(const QString &s)
{
    for (const QChar c : s) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return true;
    }
    return false;
}

// A blank line reads as one empty unquoted field; it holds no entry.
bool isBlank(const Csv::Record &r)
{
    return r.fields.size() == 1 && r.fields[0].isEmpty() && !r.quoted[0];
}

// A text field: an unquoted empty field is absent, a quoted one is an empty text.
QVariant textValue(const Csv::Record &r, int field)
{
    if (r.fields[field].isEmpty() && !r.quoted[field])
        return QVariant();
    return r.fields[field].isNull() ? QString(QLatin1String("")) : r.fields[field];
}

// The line of each entry an import stored, by its id, kept in a temporary file so that
// memory does not grow with the number of entries.
class LineLog
{
public:
    void note(qint64 id, int line)
    {
        if (!m_file.isOpen() && !m_file.open())
            return; // then duplicates are reported as names the table holds
        if (!m_first)
            m_first = id;
        const qint32 value = line;
        if (m_file.seek((id - m_first) * qint64(sizeof value)))
            m_file.write(reinterpret_cast<const char *>(&value), sizeof value);
    }
    int lineOf(qint64 id)
    {
        qint32 value = 0;
        if (!m_first || id < m_first || !m_file.seek((id - m_first) * qint64(sizeof value)) ||
            m_file.read(reinterpret_cast<char *>(&value), sizeof value) != sizeof value)
            return 0;
        return value;
    }

private:
    QTemporaryFile m_file;
    qint64 m_first = 0;
};

// One import: reads the records one at a time and stores each at once, inside the
// transaction of the caller.
class Importer
{
public:
    Importer(Storage &storage, const QString &csvPath, const QString &shownPath,
             const Progress &progress)
        : m_storage(storage), m_csvPath(csvPath), m_shown(shownPath),
          m_base(QFileInfo(csvPath).absoluteDir()), m_progress(progress)
    {}
    ImportReport run();

private:
    bool readHeader(Csv::Reader &reader);
    void importRecord(const Csv::Record &record);
    bool checkName(int line, const QString &name);
    std::optional<QByteArray> readPicture(int line, const QString &relative);
    void store(const Row &row, int line);
    void problem(int line, const QString &reason);

    Storage &m_storage;
    QString m_csvPath;
    QString m_shown;
    QDir m_base;
    const Progress &m_progress;
    LineLog m_lines;
    ImportReport m_report;
    bool m_stop = false;
};

ImportReport Importer::run()
{
    QFile file(m_csvPath);
    if (!file.open(QIODevice::ReadOnly)) {
        m_report.problems << QStringLiteral("%1: no se puede leer el archivo: %2")
                                 .arg(m_shown, systemReason(errno));
        return m_report;
    }
    Csv::Reader reader(&file);
    if (readHeader(reader)) {
        Csv::Record record;
        while (!m_stop && reader.next(&record)) {
            if (!isBlank(record))
                importRecord(record);
        }
    }
    if (!reader.error().isEmpty())
        problem(reader.errorLine(), reader.error());
    if (!m_report.problems.isEmpty())
        m_report.stored = 0;
    return m_report;
}

bool Importer::readHeader(Csv::Reader &reader)
{
    Csv::Record record;
    while (reader.next(&record)) {
        if (isBlank(record))
            continue;
        QStringList names;
        for (const QString &f : std::as_const(record.fields))
            names << nfc(f);
        if (names == headerNames())
            return true;
        problem(record.line, QStringLiteral("la cabecera debe nombrar los seis campos: \"%1\"")
                                 .arg(headerNames().join(QStringLiteral("\",\""))));
        return false;
    }
    if (reader.error().isEmpty())
        problem(1, QStringLiteral("el archivo está vacío; la cabecera debe nombrar los seis "
                                  "campos"));
    return false;
}

void Importer::importRecord(const Csv::Record &record)
{
    if (record.fields.size() != FieldCount) {
        problem(record.line, QStringLiteral("se esperaban %1 campos y hay %2")
                                 .arg(FieldCount)
                                 .arg(record.fields.size()));
        return;
    }
    Row row;
    const QString name = nfc(record.fields[ImagenOnirica]);
    row.values[ImagenOnirica] = name;
    for (int f = InterpretacionOnirica; f <= NAfin; ++f)
        row.values[f] = textValue(record, f);
    if (!record.fields[GraficoBMP].isEmpty()) {
        if (std::optional<QByteArray> picture = readPicture(record.line, record.fields[GraficoBMP]))
            row.values[GraficoBMP] = std::move(*picture);
    }
    // Stored even with a faulty picture, so that a later entry of the same name is reported;
    // nothing is kept when there is a problem.
    if (checkName(record.line, name))
        store(row, record.line);
}

bool Importer::checkName(int line, const QString &name)
{
    if (name.isEmpty())
        problem(line, QStringLiteral("el nombre (%1) está vacío").arg(fieldName(ImagenOnirica)));
    else if (codePointCount(name) > NameMaxLength)
        problem(line, QStringLiteral("el nombre %1 tiene más de %2 caracteres")
                          .arg(quoted(name))
                          .arg(NameMaxLength));
    else if (hasControlCharacter(name))
        problem(line, QStringLiteral("el nombre %1 contiene un salto de línea o un carácter de "
                                     "control")
                          .arg(quoted(name)));
    else
        return true;
    return false;
}

// The stored form of a picture file, read straight into place after the header.
std::optional<QByteArray> Importer::readPicture(int line, const QString &relative)
{
    const QFileInfo info(m_base.filePath(relative));
    QFile file(info.filePath());
    QString fault;
    if (!info.isFile())
        fault = QStringLiteral("el gráfico %1 no existe o no es un archivo");
    else if (info.size() > MaxPictureFileSize)
        fault = QStringLiteral("el gráfico %1 es demasiado grande");
    else if (!file.open(QIODevice::ReadOnly))
        fault = QStringLiteral("no se puede leer el gráfico %1: ") + systemReason(errno);
    if (!fault.isEmpty()) {
        problem(line, fault.arg(quoted(relative)));
        return std::nullopt;
    }
    const qint64 size = info.size();
    QByteArray stored(int(PictureCodec::HeaderSize + size), Qt::Uninitialized);
    const bool read = file.read(stored.data() + PictureCodec::HeaderSize, size) == size;
    if (!read || !PictureCodec::isDecodableBitmap(QByteArray::fromRawData(
                     stored.constData() + PictureCodec::HeaderSize, int(size)))) {
        problem(
            line,
            QStringLiteral("el gráfico %1 no es un mapa de bits legible").arg(quoted(relative)));
        return std::nullopt;
    }
    PictureCodec::writeHeader(stored.data(), quint32(size));
    return stored;
}

void Importer::store(const Row &row, int line)
{
    try {
        m_lines.note(m_storage.insertRow(row), line);
        ++m_report.stored;
        if (m_progress)
            m_progress(m_report.stored);
    } catch (const EngineError &e) {
        if (e.reason() != EngineError::Reason::KeyViolation) {
            problem(line, e.message());
            m_stop = true;
            return;
        }
        const int first = m_lines.lineOf(m_storage.idOfName(row.name()));
        if (first)
            problem(line, QStringLiteral("el nombre %1 ya aparece en la línea %2")
                              .arg(quoted(row.name()))
                              .arg(first));
        else
            problem(line, QStringLiteral("ya existe una entrada llamada %1 en la tabla")
                              .arg(quoted(row.name())));
    }
}

void Importer::problem(int line, const QString &reason)
{
    m_report.problems << QStringLiteral("%1:%2: %3").arg(m_shown).arg(line).arg(reason);
    if (m_report.problems.size() >= MaxProblems) {
        m_report.problems << QStringLiteral("%1: se deja de leer tras %2 problemas")
                                 .arg(m_shown)
                                 .arg(MaxProblems);
        m_stop = true;
    }
}

// Directories made for a table, removed again when nothing was made in them.
class MadePath
{
public:
    explicit MadePath(const QString &dir)
    {
        for (QString d = QDir::cleanPath(QDir(dir).absolutePath()); !QFileInfo::exists(d);
             d = QFileInfo(d).absolutePath())
            m_made.prepend(d);
        if (!QDir().mkpath(dir))
            throw EngineError(QStringLiteral("No se puede crear la carpeta %1").arg(shown(dir)));
    }
    ~MadePath()
    {
        for (int i = m_made.size() - 1; !m_kept && i >= 0; --i)
            QDir().rmdir(m_made[i]); // only when empty
    }
    void keep() { m_kept = true; }

private:
    QStringList m_made;
    bool m_kept = false;
};

// A file name for a picture, from the entry's name: plain small letters, digits and dashes.
QString pictureFileName(const QString &name, QSet<QString> *used)
{
    QString base;
    const QString d = name.normalized(QString::NormalizationForm_D).toLower();
    for (const QChar c : d) {
        if (c.isMark())
            continue;
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            base += c;
        else if (!base.isEmpty() && !base.endsWith(QLatin1Char('-')))
            base += QLatin1Char('-');
    }
    while (base.endsWith(QLatin1Char('-')))
        base.chop(1);
    base = base.left(40);
    if (base.isEmpty())
        base = QStringLiteral("imagen");
    QString candidate = base;
    for (int n = 2; used->contains(candidate); ++n)
        candidate = base + QLatin1Char('-') + QString::number(n);
    used->insert(candidate);
    return candidate + QStringLiteral(".bmp");
}

[[noreturn]] void cannotWrite(const QString &path, int error)
{
    throw EngineError(
        QStringLiteral("No se puede escribir %1: %2").arg(shown(path), systemReason(error)));
}

void writeAll(QFile &file, const QByteArray &bytes)
{
    if (file.write(bytes) != bytes.size())
        cannotWrite(file.fileName(), errno);
}

// The directory an export is written to, under a hidden name beside its final place; removed
// unless it was moved there.
class ExportDir
{
public:
    explicit ExportDir(const QString &outDir) : m_outDir(outDir)
    {
        const QFileInfo out(outDir);
        const QString parent = out.absolutePath();
        if (!QDir().mkpath(parent))
            throw EngineError(QStringLiteral("No se puede crear la carpeta %1").arg(shown(parent)));
        for (int attempt = 0; attempt < 8 && m_path.isEmpty(); ++attempt) {
            const QString name =
                QStringLiteral(".%1-%2")
                    .arg(out.fileName())
                    .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
            if (QDir(parent).mkdir(name))
                m_path = QDir(parent).filePath(name);
        }
        if (m_path.isEmpty())
            cannotWrite(parent, errno);
    }
    ~ExportDir()
    {
        if (!m_moved)
            QDir(m_path).removeRecursively();
    }
    ExportDir(const ExportDir &) = delete;
    ExportDir &operator=(const ExportDir &) = delete;

    QString filePath(const QString &relative) const { return QDir(m_path).filePath(relative); }

    void moveIntoPlace()
    {
        QDir().rmdir(m_outDir); // an empty directory the export takes the place of
        if (!QDir().rename(m_path, m_outDir))
            throw EngineError(QStringLiteral("No se puede poner %1 en su lugar: %2")
                                  .arg(shown(m_outDir), systemReason(errno)));
        m_moved = true;
    }

private:
    QString m_outDir;
    QString m_path;
    bool m_moved = false;
};

void checkExportPlace(const QString &outDir)
{
    const QFileInfo out(outDir);
    if (!out.exists())
        return;
    if (!out.isDir())
        throw EngineError(QStringLiteral("%1 no es una carpeta").arg(shown(outDir)));
    const QDir d(outDir);
    if (d.exists(csvFileName()) || d.exists(PicturesDir))
        throw EngineError(QStringLiteral("%1 ya contiene una exportación; elija otra carpeta")
                              .arg(shown(outDir)));
    if (!d.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        throw EngineError(
            QStringLiteral("%1 no está vacía; elija una carpeta nueva o vacía").arg(shown(outDir)));
}

// One export: the rows of one read transaction, written to an export directory.
class Exporter
{
public:
    Exporter(Storage &storage, ExportDir &dir, QStringList *warnings, const Progress &progress)
        : m_storage(storage), m_dir(dir), m_csv(dir.filePath(csvFileName())), m_warnings(warnings),
          m_progress(progress)
    {}
    int run();

private:
    QStringList fieldsOf(const Row &row);
    QString writePicture(const Row &row, const QByteArray &stored);

    Storage &m_storage;
    ExportDir &m_dir;
    QFile m_csv;
    QSet<QString> m_used;
    QStringList *m_warnings;
    const Progress &m_progress;
};

int Exporter::run()
{
    if (!m_csv.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        cannotWrite(m_csv.fileName(), errno);
    writeAll(m_csv, Csv::formatRecord(headerNames()));
    int count = 0;
    for (std::optional<Row> row = m_storage.firstRow(); row;
         row = m_storage.rowAfter(Storage::sortKeyOf(*row))) {
        writeAll(m_csv, Csv::formatRecord(fieldsOf(*row)));
        ++count;
        if (m_progress)
            m_progress(count);
    }
    if (!m_csv.flush())
        cannotWrite(m_csv.fileName(), errno);
#ifndef Q_OS_WIN
    ::fsync(m_csv.handle());
#endif
    m_csv.close();
    return count;
}

QStringList Exporter::fieldsOf(const Row &row)
{
    QStringList fields;
    for (int f = ImagenOnirica; f <= NAfin; ++f) {
        const QVariant &v = row.values[f];
        QString text;
        if (!v.isNull()) {
            text = v.toString();
            if (text.isNull())
                text = QLatin1String("");
        }
        fields << text;
    }
    const QByteArray stored = row.values[GraficoBMP].toByteArray();
    fields << (stored.isEmpty() ? QString() : writePicture(row, stored));
    return fields;
}

QString Exporter::writePicture(const Row &row, const QByteArray &stored)
{
    const QByteArray bitmap = PictureCodec::bitmapFile(stored);
    if (!PictureCodec::isDecodableBitmap(bitmap))
        m_warnings->append(QStringLiteral("el gráfico de %1 no es un mapa de bits legible; se "
                                          "escribe tal como está guardado")
                               .arg(quoted(row.name())));
    if (m_used.isEmpty() && !QDir().mkpath(m_dir.filePath(PicturesDir)))
        cannotWrite(m_dir.filePath(PicturesDir), errno);
    const QString relative = PicturesDir + QLatin1Char('/') + pictureFileName(row.name(), &m_used);
    QFile pic(m_dir.filePath(relative));
    if (!pic.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        cannotWrite(pic.fileName(), errno);
    writeAll(pic, bitmap);
    if (!pic.flush())
        cannotWrite(pic.fileName(), errno);
    return relative;
}

} // namespace

QString csvFileName()
{
    return QStringLiteral("dreams.csv");
}

QString sampleCsv()
{
    initSampleResources();
    return QStringLiteral(":/sample/") + csvFileName();
}

ImportReport importFile(Storage &storage, const QString &csvPath, const QString &shownPath,
                        const Progress &progress)
{
    storage.begin();
    ImportReport report;
    try {
        report = Importer(storage, csvPath, shownPath, progress).run();
    } catch (...) {
        storage.rollback();
        throw;
    }
    if (report.problems.isEmpty())
        storage.commit();
    else
        storage.rollback();
    return report;
}

ImportReport createTable(const QString &dir, const QString &sampleCsv, const Progress &progress)
{
    MadePath made(dir);
    ImportReport report;
    const auto fill = [&](Storage &s) {
        report = Importer(s, sampleCsv, shown(sampleCsv), progress).run();
        return report.problems.isEmpty();
    };
    if (sampleCsv.isEmpty() ? TableFile::create(dir) : TableFile::create(dir, fill))
        made.keep();
    return report;
}

int exportTo(Storage &storage, const QString &outDir, QStringList *warnings,
             const Progress &progress)
{
    checkExportPlace(outDir);
    ExportDir dir(outDir);
    storage.beginRead(); // one state of the table from the first row to the last
    int count = 0;
    try {
        count = Exporter(storage, dir, warnings, progress).run();
    } catch (...) {
        storage.rollback();
        throw;
    }
    storage.commit();
    dir.moveIntoPlace();
    return count;
}

} // namespace DictionaryIO
