// Importing a dictionary file: rows and pictures stream through the one transaction, so memory
// stays bounded whatever the number of rows; a name is at most 50 characters (code points)
// everywhere; messages quote only a short piece of what the file holds.

#include "data/errors.h"
#include "data/storage.h"
#include "data/table.h"
#include "dictio/dictionaryio.h"
#include "toolrun.h"

#include <QTemporaryDir>

#include <iostream>

using namespace ToolRun;

namespace {

const QString Clef = QString::fromUcs4(U"\U0001D11E"); // outside the Basic Multilingual Plane

// Peak resident size of this process in bytes, or -1 where the system does not tell.
qint64 peakResident()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void peakMemoryStaysBounded();
    void nameLengthCountsCodePoints();
    void messagesQuoteAShortPiece();

private:
    QString path(const QString &relative) const { return m_tmp->filePath(relative); }
    std::unique_ptr<QTemporaryDir> m_tmp;
};

void TestImport::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
}

void TestImport::peakMemoryStaysBounded()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the sanitizers' shadow memory and quarantine inflate the resident size");
#endif
    if (peakResident() < 0)
        QSKIP("this system does not report the peak resident size");
    // 40,000 entries of about 1 KB, 20 of them with the same 4 MB picture.
    const QByteArray picture = bitmap(1182, 1182, 1);
    writeFile(path(QStringLiteral("in/big.bmp")), picture);
    QFile csv(path(QStringLiteral("in/dreams.csv")));
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write(csvHeader());
    const QByteArray meaning(1000, 'm');
    constexpr int Rows = 40000;
    for (int i = 0; i < Rows; ++i)
        csv.write("Entrada " + QByteArray::number(i) + ',' + meaning + ",,,," +
                  (i % 2000 == 0 ? "big.bmp" : "") + "\r\n");
    csv.close();

    const Result r = runProgram(QCoreApplication::applicationFilePath(),
                                {QStringLiteral("--import"), path(QStringLiteral("db")),
                                 path(QStringLiteral("in/dreams.csv"))});
    const QStringList figures = r.out.split(QLatin1Char(' '));
    QCOMPARE(figures.value(0).toInt(), Rows);
    const qint64 peak = figures.value(1).toLongLong();
    const qint64 bound = 64 * 1024 * 1024 + 2 * qint64(picture.size());
    QVERIFY2(peak > 0 && peak < bound, qPrintable(QStringLiteral("peak %1 MB, bound %2 MB")
                                                      .arg(double(peak) / 1048576, 0, 'f', 1)
                                                      .arg(double(bound) / 1048576, 0, 'f', 1)));
}

void TestImport::nameLengthCountsCodePoints()
{
    const QString fifty = QString(Clef).repeated(50); // 100 UTF-16 units
    DictionaryIO::createTable(path(QStringLiteral("db")));
    Table t;
    t.setDatabaseDir(path(QStringLiteral("db")));
    t.open();
    t.insert();
    t.setFieldValue(ImagenOnirica, QString(fifty + Clef));
    QCOMPARE(t.fieldText(ImagenOnirica), fifty); // cut at 50 characters, not 50 units
    t.post();
    t.close();

    writeFile(path(QStringLiteral("n.csv")), csvHeader() + fifty.toUtf8() + "x,,,,,\r\n" +
                                                 fifty.toUtf8() + ",,,,,\r\n" +
                                                 fifty.left(98).toUtf8() + "y,,,,,\r\n");
    const Result r =
        run({QStringLiteral("import"), path(QStringLiteral("db")), path(QStringLiteral("n.csv"))});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("n.csv:2: el nombre")) &&
                 r.err.contains(QStringLiteral("tiene más de 50 caracteres")),
             qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("n.csv:3: ya existe una entrada llamada")),
             qPrintable(r.err));
    QVERIFY2(!r.err.contains(QStringLiteral("n.csv:4")), qPrintable(r.err));
}

void TestImport::messagesQuoteAShortPiece()
{
    QCOMPARE(run({QStringLiteral("create"), path(QStringLiteral("db"))}).code, 0);
    const QByteArray huge(10 * 1024 * 1024, 'N');
    writeFile(path(QStringLiteral("h.csv")),
              csvHeader() + huge + ",,,,,pic" + huge + ".bmp\r\n" + "Sol,,,,,\r\nSol,,,,,\r\n");
    const Result r =
        run({QStringLiteral("import"), path(QStringLiteral("db")), path(QStringLiteral("h.csv"))});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.size() < 2000, qPrintable(r.err.left(2000)));
    QVERIFY2(r.err.contains(QStringLiteral("NNNN…»")), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("«Sol» ya aparece en la línea 3")), qPrintable(r.err));
}

// The child measured by peakMemoryStaysBounded: "--import DIR CSV" creates the table, imports
// the file and prints the entries stored and its own peak resident size in bytes.
static int childMain(const QString &dir, const QString &csv)
{
    try {
        DictionaryIO::createTable(dir);
        Storage storage;
        storage.open(dir);
        const DictionaryIO::ImportReport report = DictionaryIO::importFile(storage, csv, csv);
        std::cout << report.stored << ' ' << peakResident() << std::endl;
        for (const QString &p : report.problems)
            std::cerr << p.toStdString() << std::endl;
    } catch (const Error &e) {
        std::cerr << e.message().toStdString() << std::endl;
        return 1;
    }
    return 0;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--import")
        return childMain(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    TestImport test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_import.moc"
