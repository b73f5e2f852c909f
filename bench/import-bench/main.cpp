// Peak resident memory of an import: the same entries imported twice in one run, first
// without pictures (the baseline), then with large pictures, against the promise that an
// import stays below 64 MB plus twice its largest picture whatever the number of entries.
//   import-bench [--rows N] [--pictures K] [--picture-mb S] [--dir DIR]
// (defaults: 200,000 entries, 8 pictures of 64 MB; Linux, which reports and resets the peak)

#include "data/storage.h"
#include "dictio/dictionaryio.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtMath>

#include <cstdio>

namespace {

// A resident size from /proc/self/status (VmRSS, VmHWM) in MB.
double residentMb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return -1;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// A 32-bit bitmap file of about mb megabytes.
void writePicture(const QString &path, int mb)
{
    const qint32 side = 512 * qint32(qSqrt(mb));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QDataStream s(&f);
    s.setByteOrder(QDataStream::LittleEndian);
    const quint32 pixels = quint32(side) * quint32(side) * 4;
    s.writeRawData("BM", 2);
    s << quint32(54 + pixels) << quint32(0) << quint32(54) << quint32(40) << side << side
      << quint16(1) << quint16(32) << quint32(0) << pixels << qint32(2835) << qint32(2835)
      << quint32(0) << quint32(0);
    const QByteArray row(side * 4, '\x5a');
    for (qint32 y = 0; y < side; ++y)
        s.writeRawData(row.constData(), row.size());
}

void writeCsv(const QString &path, qint64 rows, int pictures)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("Imagen Onírica,Interpretación Onírica,Datos de Interés,Nº de Suerte,Nº Afín,"
            "Gráfico BMP\r\n");
    const QByteArray meaning(200, 'm');
    const qint64 every = pictures > 0 ? qMax<qint64>(1, rows / pictures) : 0;
    for (qint64 i = 0; i < rows; ++i) {
        const bool picture = every && i % every == 0 && i / every < pictures;
        f.write("Entrada " + QByteArray::number(i) + ',' + meaning + ",,7,49," +
                (picture ? "grande.bmp" : "") + "\r\n");
    }
}

void measure(const char *label, const QString &dir, const QString &csv, double bound)
{
    DictionaryIO::createTable(dir);
    Storage storage;
    storage.open(dir);
    resetPeak();
    const double before = residentMb("VmRSS:");
    QElapsedTimer t;
    t.start();
    const DictionaryIO::ImportReport report = DictionaryIO::importFile(storage, csv, csv);
    const double seconds = double(t.elapsed()) / 1000;
    std::printf("%-16s %9d entries  %6.1f s  resident before %6.1f MB  peak %7.1f MB  "
                "bound %7.1f MB%s\n",
                label, report.stored, seconds, before, residentMb("VmHWM:"), bound,
                report.problems.isEmpty() ? "" : "  (failed)");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("rows"), QStringLiteral("Entries."), QStringLiteral("N"),
                      QStringLiteral("200000")});
    parser.addOption({QStringLiteral("pictures"), QStringLiteral("Entries with the picture."),
                      QStringLiteral("K"), QStringLiteral("8")});
    parser.addOption({QStringLiteral("picture-mb"), QStringLiteral("Size of the picture."),
                      QStringLiteral("S"), QStringLiteral("64")});
    parser.addOption(
        {QStringLiteral("dir"), QStringLiteral("Work in DIR."), QStringLiteral("DIR")});
    parser.process(app);
    QTemporaryDir tmp;
    const QDir dir(parser.isSet(QStringLiteral("dir")) ? parser.value(QStringLiteral("dir"))
                                                       : tmp.path());
    const qint64 rows = parser.value(QStringLiteral("rows")).toLongLong();
    const int pictures = parser.value(QStringLiteral("pictures")).toInt();
    const int mb = parser.value(QStringLiteral("picture-mb")).toInt();

    writePicture(dir.filePath(QStringLiteral("grande.bmp")), mb);
    writeCsv(dir.filePath(QStringLiteral("plain.csv")), rows, 0);
    writeCsv(dir.filePath(QStringLiteral("pictures.csv")), rows, pictures);
    const double picture = double(QFileInfo(dir.filePath(QStringLiteral("grande.bmp"))).size());
    const double bound = 64 + 2 * picture / (1024 * 1024);
    std::printf("import of %lld entries, %d of them with a picture of %.1f MB\n", rows, pictures,
                picture / (1024 * 1024));
    measure("no pictures", dir.filePath(QStringLiteral("a")),
            dir.filePath(QStringLiteral("plain.csv")), 64);
    measure("with pictures", dir.filePath(QStringLiteral("b")),
            dir.filePath(QStringLiteral("pictures.csv")), bound);
    return 0;
}
