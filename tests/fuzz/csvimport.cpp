// Dictionary files of any bytes, any line ends: the CSV reader gives the same records and
// the same fault whatever parts the file arrives in, what it reads is written back and read
// the same, and an import stores every entry of a sound file and nothing of any other, as
// the file's rules (checked here the plainest way) decide.
#include "data/fields.h"
#include "data/picturecodec.h"
#include "data/storage.h"
#include "dictio/csv.h"
#include "dictio/dictionaryio.h"
#include "fuzz.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

namespace {

// The bytes of a file handed over a few at a time, as a pipe or a slow disk may.
class Trickle : public QIODevice
{
public:
    Trickle(const QByteArray &bytes, const QByteArray &sizes) : m_bytes(bytes), m_sizes(sizes)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 most) override
    {
        const qint64 size =
            m_sizes.isEmpty() ? most : 1 + uchar(m_sizes[m_piece++ % m_sizes.size()]);
        const qint64 n = std::min({most, size, qint64(m_bytes.size() - m_at)});
        std::memcpy(data, m_bytes.constData() + m_at, std::size_t(n));
        m_at += int(n);
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    QByteArray m_sizes;
    int m_at = 0;
    int m_piece = 0;
};

// What a reader gives: its records (fields, absent ones told apart, first lines) and fault.
struct Reading
{
    QVector<Csv::Record> records;
    QString error;
    int errorLine = 0;
};

Reading readAll(Csv::Reader &reader)
{
    Reading out;
    Csv::Record record;
    while (reader.next(&record))
        out.records << record;
    out.error = reader.error();
    out.errorLine = reader.errorLine();
    return out;
}

bool sameRecord(const Csv::Record &a, const Csv::Record &b, bool sameLines)
{
    if (a.fields != b.fields || (sameLines && a.line != b.line))
        return false;
    for (int f = 0; f < a.fields.size(); ++f)
        if (a.fields[f].isEmpty() && a.quoted[f] != b.quoted[f])
            return false;
    return true;
}

// The table an import goes into, kept empty between inputs, with a sound picture and a
// faulty one beside it.
struct Place
{
    QTemporaryDir dir{(QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath()) +
                      QStringLiteral("/fuzz-csvimport-XXXXXX")};
    Storage storage;
    Place()
    {
        DictionaryIO::createTable(dir.path());
        storage.open(dir.path());
        QByteArray bitmap(14 + 40 + 4, '\0');
        const char header[] =
            "BM\0\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18";
        std::memcpy(bitmap.data(), header, sizeof header - 1);
        write(QStringLiteral("a.bmp"), bitmap);
        write(QStringLiteral("b.bmp"), QByteArray("BM no bitmap"));
    }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(dir.filePath(name));
        FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return file.fileName();
    }
};

std::unique_ptr<Place> place;

bool pictureSound(const QString &relative)
{
    QFile file(QDir(place->dir.path()).filePath(relative));
    return QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly) &&
           PictureCodec::isDecodableBitmap(file.readAll());
}

bool hasControlCharacter(const QString &s)
{
    return std::any_of(s.begin(), s.end(), [](QChar c) {
        return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
               c == QChar::ParagraphSeparator;
    });
}

// The names of a sound dictionary file, in the file's order; nothing when a rule is broken:
// a header naming the six fields, then records of six fields whose names are present, at
// most 50 characters long, on one line, each once, and whose pictures are readable bitmaps.
std::optional<QStringList> soundNames(const Reading &file)
{
    QStringList header;
    for (int f = 0; f < FieldCount; ++f)
        header << fieldName(f);
    if (!file.error.isEmpty())
        return std::nullopt;
    QStringList names;
    bool headerSeen = false;
    for (const Csv::Record &r : file.records) {
        if (r.fields.size() == 1 && r.fields[0].isEmpty() && !r.quoted[0])
            continue; // a blank line
        QStringList fields;
        for (const QString &f : r.fields)
            fields << f.normalized(QString::NormalizationForm_C);
        if (!headerSeen) {
            headerSeen = true;
            if (fields != header)
                return std::nullopt;
            continue;
        }
        if (fields.size() != FieldCount)
            return std::nullopt;
        const QString name = fields[ImagenOnirica];
        if (name.isEmpty() || name.toUcs4().size() > NameMaxLength || hasControlCharacter(name) ||
            names.contains(name))
            return std::nullopt;
        if (!r.fields[GraficoBMP].isEmpty() && !pictureSound(r.fields[GraficoBMP]))
            return std::nullopt;
        names << name;
    }
    if (!headerSeen)
        return std::nullopt;
    return names;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::startApplication<QCoreApplication>("fuzz-csvimport");
    place = std::make_unique<Place>();
    return 0;
}

FUZZ_ENTRY
{
    fuzz::Input in(data, size);
    const QByteArray sizes = in.bytes(in.below(8));
    const QByteArray bytes = in.rest();

    // In parts of any sizes, the same records and fault as from the whole.
    Csv::Reader wholeReader(bytes);
    const Reading whole = readAll(wholeReader);
    Trickle trickle(bytes, sizes);
    Csv::Reader partsReader(&trickle);
    const Reading parts = readAll(partsReader);
    FUZZ_CHECK(whole.records.size() == parts.records.size());
    for (int i = 0; i < whole.records.size(); ++i)
        FUZZ_CHECK(sameRecord(whole.records[i], parts.records[i], true));
    FUZZ_CHECK(whole.error == parts.error && whole.errorLine == parts.errorLine);
    FUZZ_CHECK(whole.error.isEmpty() || whole.errorLine >= 1);

    // Written back, the records read the same.
    QByteArray written;
    for (const Csv::Record &r : whole.records) {
        QStringList fields = r.fields;
        for (int f = 0; f < fields.size(); ++f)
            if (fields[f].isEmpty())
                fields[f] = r.quoted[f] ? QStringLiteral("") : QString();
        written += Csv::formatRecord(fields);
    }
    Csv::Reader againReader(written);
    const Reading again = readAll(againReader);
    FUZZ_CHECK(again.error.isEmpty() && again.records.size() == whole.records.size());
    for (int i = 0; i < whole.records.size(); ++i)
        FUZZ_CHECK(sameRecord(whole.records[i], again.records[i], false));

    // All or nothing, as the rules say.
    const QString path = place->write(QStringLiteral("dictionary.csv"), bytes);
    const DictionaryIO::ImportReport report =
        DictionaryIO::importFile(place->storage, path, QStringLiteral("d.csv"));
    const std::optional<QStringList> expected = soundNames(whole);
    FUZZ_CHECK(expected.has_value() == report.problems.isEmpty());
    FUZZ_CHECK(report.problems.size() <= 101);
    for (const QString &problem : report.problems)
        FUZZ_CHECK(problem.startsWith(QStringLiteral("d.csv:")));
    const QVector<RowName> stored = place->storage.namesFrom(QByteArray(), 1 << 20, true);
    FUZZ_CHECK(stored.size() == (expected ? expected->size() : 0));
    FUZZ_CHECK(report.stored == stored.size());
    QStringList storedNames;
    for (const RowName &row : stored)
        storedNames << row.name;
    FUZZ_CHECK(!expected || QSet<QString>(storedNames.begin(), storedNames.end()) ==
                                QSet<QString>(expected->begin(), expected->end()));
    if (!stored.isEmpty()) {
        place->storage.begin();
        for (const RowName &row : stored)
            place->storage.deleteRow(row.id);
        place->storage.commit();
    }
    return 0;
}
