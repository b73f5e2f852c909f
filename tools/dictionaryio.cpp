#include "dictionaryio.h"

#include "csv.h"
#include "errors.h"
#include "fields.h"
#include "picturecodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>

#include <utility>

namespace DictionaryIO {

namespace {

const QString PicturesDir = QStringLiteral("pictures");

// A picture file larger than any bitmap the codec accepts is refused before it is read.
constexpr qint64 MaxPictureFileSize = PictureCodec::MaxPixels * 4 + 1024 * 1024;

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

void writeAll(QFileDevice &file, const QByteArray &bytes)
{
    if (file.write(bytes) != bytes.size())
        throw EngineError(QStringLiteral("Cannot write %1: %2")
                              .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
}

} // namespace

QString csvFileName()
{
    return QStringLiteral("dreams.csv");
}

Loaded load(const QString &csvPath, const QString &shownPath)
{
    Loaded result;
    auto problem = [&](int line, const QString &reason) {
        result.problems << QStringLiteral("%1:%2: %3").arg(shownPath).arg(line).arg(reason);
    };

    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly)) {
        result.problems
            << QStringLiteral("%1: cannot read the file: %2").arg(shownPath, file.errorString());
        return result;
    }
    const QByteArray data = file.readAll();
    file.close();
    const QDir base = QFileInfo(csvPath).absoluteDir();

    Csv::Reader reader(data);
    Csv::Record record;
    bool headerSeen = false;
    QHash<QString, int> lineOfName;
    const QStringList header = headerNames();

    while (reader.next(&record)) {
        if (isBlank(record))
            continue;
        if (!headerSeen) {
            headerSeen = true;
            QStringList names;
            for (const QString &f : std::as_const(record.fields))
                names << nfc(f);
            if (names != header) {
                problem(record.line, QStringLiteral("the header must name the six fields: \"%1\"")
                                         .arg(header.join(QStringLiteral("\",\""))));
                return result;
            }
            continue;
        }
        if (record.fields.size() != FieldCount) {
            problem(record.line, QStringLiteral("expected %1 fields, found %2")
                                     .arg(FieldCount)
                                     .arg(record.fields.size()));
            continue;
        }

        Row row;
        bool ok = true;
        const QString name = nfc(record.fields[ImagenOnirica]);
        if (name.isEmpty()) {
            problem(record.line, QStringLiteral("the name (%1) is empty").arg(fieldName(0)));
            ok = false;
        } else if (name.size() > NameMaxLength) {
            problem(record.line, QStringLiteral("the name '%1' is longer than %2 characters")
                                     .arg(name)
                                     .arg(NameMaxLength));
            ok = false;
        } else if (hasControlCharacter(name)) {
            problem(record.line,
                    QStringLiteral("the name '%1' holds a line break or a control character")
                        .arg(name.simplified()));
            ok = false;
        } else if (lineOfName.contains(name)) {
            problem(record.line, QStringLiteral("the name '%1' already appears on line %2")
                                     .arg(name)
                                     .arg(lineOfName.value(name)));
            ok = false;
        } else {
            lineOfName.insert(name, record.line);
        }
        row.values[ImagenOnirica] = name;
        for (int f = InterpretacionOnirica; f <= NAfin; ++f)
            row.values[f] = textValue(record, f);

        const QString picture = record.fields[GraficoBMP];
        if (!picture.isEmpty()) {
            const QString path = base.filePath(picture);
            const QFileInfo info(path);
            QFile pic(path);
            if (!info.isFile()) {
                problem(
                    record.line,
                    QStringLiteral("the picture %1 does not exist or is not a file").arg(picture));
                ok = false;
            } else if (info.size() > MaxPictureFileSize) {
                problem(record.line, QStringLiteral("the picture %1 is too large").arg(picture));
                ok = false;
            } else if (!pic.open(QIODevice::ReadOnly)) {
                problem(record.line, QStringLiteral("cannot read the picture %1: %2")
                                         .arg(picture, pic.errorString()));
                ok = false;
            } else {
                const QByteArray bytes = pic.readAll();
                if (!PictureCodec::isDecodableBitmap(bytes)) {
                    problem(record.line,
                            QStringLiteral("the picture %1 is not a readable bitmap").arg(picture));
                    ok = false;
                } else {
                    row.values[GraficoBMP] = PictureCodec::encode(bytes);
                }
            }
        }
        if (ok) {
            result.rows.append(row);
            result.lines.append(record.line);
        }
    }
    if (!reader.error().isEmpty())
        problem(reader.errorLine(), reader.error());
    else if (!headerSeen)
        problem(1, QStringLiteral("the file is empty; the header must name the six fields"));
    return result;
}

QString store(Storage &storage, const Loaded &loaded, const QString &shownPath)
{
    storage.begin();
    int i = 0;
    try {
        for (; i < loaded.rows.size(); ++i)
            storage.insertRow(loaded.rows[i]);
        storage.commit();
    } catch (const Error &e) {
        storage.rollback();
        if (i < loaded.rows.size())
            return QStringLiteral("%1:%2: %3").arg(shownPath).arg(loaded.lines[i]).arg(e.message());
        return QStringLiteral("%1: %2").arg(shownPath, e.message());
    }
    return QString();
}

int exportTo(Storage &storage, const QString &outDir, QStringList *warnings)
{
    QDir dir(outDir);
    const QString csvPath = dir.filePath(csvFileName());
    const QString picturesPath = dir.filePath(PicturesDir);
    if (QFileInfo::exists(csvPath) || QFileInfo::exists(picturesPath))
        throw EngineError(QStringLiteral("%1 already holds an export; choose an empty directory")
                              .arg(QDir::toNativeSeparators(outDir)));
    if (!QDir().mkpath(outDir))
        throw EngineError(
            QStringLiteral("Cannot make the directory %1").arg(QDir::toNativeSeparators(outDir)));

    QSaveFile csv(csvPath);
    if (!csv.open(QIODevice::WriteOnly))
        throw EngineError(QStringLiteral("Cannot write %1: %2")
                              .arg(QDir::toNativeSeparators(csvPath), csv.errorString()));
    writeAll(csv, Csv::formatRecord(headerNames()));

    QSet<QString> used;
    int count = 0;
    for (std::optional<Row> row = storage.firstRow(); row;
         row = storage.rowAfter(Storage::sortKeyOf(*row))) {
        QStringList fields;
        for (int f = ImagenOnirica; f <= NAfin; ++f) {
            const QVariant &v = row->values[f];
            QString text;
            if (!v.isNull()) {
                text = v.toString();
                if (text.isNull())
                    text = QLatin1String("");
            }
            fields << text;
        }
        const QByteArray stored = row->values[GraficoBMP].toByteArray();
        if (stored.isEmpty()) {
            fields << QString();
        } else {
            const QByteArray bitmap = PictureCodec::bitmapFile(stored);
            if (!PictureCodec::isDecodableBitmap(bitmap))
                warnings->append(
                    QStringLiteral("the picture of '%1' is not a readable bitmap; it is written "
                                   "as it is stored")
                        .arg(row->name()));
            if (used.isEmpty() && !QDir().mkpath(picturesPath))
                throw EngineError(QStringLiteral("Cannot make the directory %1")
                                      .arg(QDir::toNativeSeparators(picturesPath)));
            const QString relative =
                PicturesDir + QLatin1Char('/') + pictureFileName(row->name(), &used);
            QFile pic(dir.filePath(relative));
            if (!pic.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw EngineError(
                    QStringLiteral("Cannot write %1: %2")
                        .arg(QDir::toNativeSeparators(pic.fileName()), pic.errorString()));
            writeAll(pic, bitmap);
            pic.close();
            fields << relative;
        }
        writeAll(csv, Csv::formatRecord(fields));
        ++count;
    }
    if (!csv.commit())
        throw EngineError(QStringLiteral("Cannot write %1: %2")
                              .arg(QDir::toNativeSeparators(csvPath), csv.errorString()));
    return count;
}

} // namespace DictionaryIO
