#include "dictio/csv.h"

#include <QBuffer>
#include <QtTest>

namespace {

struct Parsed
{
    QVector<Csv::Record> records;
    QString error;
    int errorLine = 0;
};

Parsed parse(const QByteArray &data)
{
    Parsed p;
    Csv::Reader reader(data);
    Csv::Record r;
    while (reader.next(&r))
        p.records << r;
    p.error = reader.error();
    p.errorLine = reader.errorLine();
    return p;
}

QStringList fields(const char *a, const char *b = nullptr, const char *c = nullptr)
{
    QStringList l{QString::fromUtf8(a)};
    if (b)
        l << QString::fromUtf8(b);
    if (c)
        l << QString::fromUtf8(c);
    return l;
}

} // namespace

class TestCsv : public QObject
{
    Q_OBJECT

private slots:
    void records_data();
    void records();
    void lineNumbersCountBreaksInsideQuotes();
    void quotedAndBareEmptyFieldsDiffer();
    void faults_data();
    void faults();
    void readsAPartAtATime();
    void writerRoundTrips_data();
    void writerRoundTrips();
    void writerQuotesOnlyWhatNeedsIt();
};

void TestCsv::records_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QVector<QStringList>>("expected");

    QTest::newRow("crlf") << QByteArray("a,b\r\nc,d\r\n")
                          << QVector<QStringList>{fields("a", "b"), fields("c", "d")};
    QTest::newRow("lf, no final break")
        << QByteArray("a,b\nc,d") << QVector<QStringList>{fields("a", "b"), fields("c", "d")};
    QTest::newRow("lone cr") << QByteArray("a\rb\r")
                             << QVector<QStringList>{fields("a"), fields("b")};
    QTest::newRow("bom skipped") << QByteArray("\xEF\xBB\xBFImagen,x\r\n")
                                 << QVector<QStringList>{fields("Imagen", "x")};
    QTest::newRow("only the first bom skipped")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                      "a,\xEF\xBB\xBF\r\n")
        << QVector<QStringList>{{QStringLiteral("\uFEFFa"), QStringLiteral("\uFEFF")}};
    QTest::newRow("nul inside a field")
        << QByteArray("a\0b,c\r\n", 7)
        << QVector<QStringList>{{QString::fromLatin1("a\0b", 3), QStringLiteral("c")}};
    QTest::newRow("quoted comma and quotes")
        << QByteArray("\"a,b\",\"say \"\"hi\"\"\",\"\"\"\"\r\n")
        << QVector<QStringList>{fields("a,b", "say \"hi\"", "\"")};
    QTest::newRow("line breaks kept verbatim inside quotes")
        << QByteArray("\"one\ntwo\",\"three\r\nfour\"\r\n")
        << QVector<QStringList>{fields("one\ntwo", "three\r\nfour")};
    QTest::newRow("trailing comma is one more empty field")
        << QByteArray("a,b,\r\n") << QVector<QStringList>{fields("a", "b", "")};
    QTest::newRow("blanks are data")
        << QByteArray(" a , b \r\n") << QVector<QStringList>{fields(" a ", " b ")};
    QTest::newRow("utf-8") << QByteArray("Ñandú,Águila\r\n")
                           << QVector<QStringList>{fields("Ñandú", "Águila")};
    QTest::newRow("blank line is one empty field")
        << QByteArray("a\r\n\r\nb\r\n")
        << QVector<QStringList>{fields("a"), fields(""), fields("b")};
    QTest::newRow("empty input") << QByteArray() << QVector<QStringList>{};
}

void TestCsv::records()
{
    QFETCH(QByteArray, data);
    QFETCH(QVector<QStringList>, expected);
    const Parsed p = parse(data);
    QCOMPARE(p.error, QString());
    QCOMPARE(p.records.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(p.records[i].fields, expected[i]);
}

void TestCsv::lineNumbersCountBreaksInsideQuotes()
{
    const Parsed p = parse("h1,h2\r\n\"a\r\nb\nc\",x\r\nnext,y\n\"q\",\"r\rs\"\nlast,z");
    QCOMPARE(p.error, QString());
    QCOMPARE(p.records.size(), 5);
    QCOMPARE(p.records[0].line, 1);
    QCOMPARE(p.records[1].line, 2); // spans lines 2 to 4
    QCOMPARE(p.records[2].line, 5);
    QCOMPARE(p.records[3].line, 6); // a lone CR inside quotes counts as a break too
    QCOMPARE(p.records[4].line, 8);
}

void TestCsv::quotedAndBareEmptyFieldsDiffer()
{
    const Parsed p = parse("a,,\"\"\r\n");
    QCOMPARE(p.records.size(), 1);
    const Csv::Record &r = p.records[0];
    QCOMPARE(r.fields.size(), 3);
    QCOMPARE(r.quoted, (QVector<bool>{false, false, true}));
    QVERIFY(r.fields[1].isEmpty());
    QVERIFY(r.fields[2].isEmpty());
}

void TestCsv::faults_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("goodRecords");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");

    QTest::newRow("unclosed quote, reported on its record's first line")
        << QByteArray("a,b\r\n\"open\r\nstill\r\nopen") << 1 << 2
        << QStringLiteral("falta la comilla que cierra");
    QTest::newRow("text after closing quote")
        << QByteArray("a\n\"x\"y,z\n") << 1 << 2
        << QStringLiteral("tras la comilla que cierra el campo 1");
    QTest::newRow("quote inside bare field")
        << QByteArray("a\nb,c\"d\n") << 1 << 2 << QStringLiteral("una comilla dentro del campo 2");
    // The records before an encoding fault come first, and so does an earlier fault, however
    // the file is read.
    QTest::newRow("invalid byte") << QByteArray("a\nb\n\xFF\n") << 2 << 3
                                  << QStringLiteral("no está en UTF-8 válido");
    QTest::newRow("fault before an invalid byte")
        << QByteArray("a\n\"x\"y\n\xFF\n") << 1 << 2
        << QStringLiteral("tras la comilla que cierra el campo 1");
    QTest::newRow("truncated sequence")
        << QByteArray("a\xC3") << 0 << 1 << QStringLiteral("no está en UTF-8 válido");
    QTest::newRow("overlong encoding")
        << QByteArray("\xC0\xAF") << 0 << 1 << QStringLiteral("no está en UTF-8 válido");
    QTest::newRow("surrogate") << QByteArray("x\r\n\xED\xA0\x80") << 1 << 2
                               << QStringLiteral("no está en UTF-8 válido");
}

void TestCsv::faults()
{
    QFETCH(QByteArray, data);
    QFETCH(int, goodRecords);
    QFETCH(int, line);
    QFETCH(QString, reason);
    const Parsed p = parse(data);
    QCOMPARE(p.records.size(), goodRecords);
    QVERIFY2(p.error.contains(reason), qPrintable(p.error));
    QCOMPARE(p.errorLine, line);

    // A reader that failed stays failed.
    Csv::Reader reader(data);
    Csv::Record r;
    while (reader.next(&r)) {
    }
    QVERIFY(!reader.next(&r));
    QVERIFY(!reader.error().isEmpty());
}

void TestCsv::readsAPartAtATime()
{
    // A character, a line break inside quotes and one between records fall on the border of
    // the parts the reader takes in turn.
    for (int shift = 0; shift < 6; ++shift) {
        const QByteArray data =
            QByteArray(shift, 'p') + ",\"" + QByteArray(65530, 'x') + "é\r\nñ\"\r\nlast\r\n";
        QBuffer device;
        device.setData(data);
        QVERIFY(device.open(QIODevice::ReadOnly));
        Csv::Reader reader(&device);
        Csv::Record r;
        QVERIFY(reader.next(&r));
        QCOMPARE(r.fields.value(1), QString(65530, QLatin1Char('x')) + QStringLiteral("é\r\nñ"));
        QVERIFY(reader.next(&r));
        QCOMPARE(r.fields, QStringList{QStringLiteral("last")});
        QCOMPARE(r.line, 3);
        QVERIFY(!reader.next(&r));
        QCOMPARE(reader.error(), QString());
    }
}

void TestCsv::writerRoundTrips_data()
{
    QTest::addColumn<QStringList>("record");
    QTest::newRow("plain") << QStringList{QStringLiteral("Agua"), QStringLiteral("71")};
    QTest::newRow("tricky") << QStringList{
        QStringLiteral("a,b"),      QStringLiteral("\"quoted\""), QStringLiteral("line\nbreak"),
        QStringLiteral("cr\r\nlf"), QStringLiteral(" padded "),   QStringLiteral("Ñandú ¿Qué?")};
    QTest::newRow("null and empty") << QStringList{QString(), QStringLiteral(""), QString()};
    QTest::newRow("byte order mark first") << QStringList{QStringLiteral("\uFEFFAgua")};
}

void TestCsv::writerRoundTrips()
{
    QFETCH(QStringList, record);
    const QByteArray line = Csv::formatRecord(record);
    QVERIFY(line.endsWith("\r\n"));
    const Parsed p = parse(line + Csv::formatRecord(record));
    QCOMPARE(p.error, QString());
    QCOMPARE(p.records.size(), 2);
    for (const Csv::Record &r : p.records) {
        QCOMPARE(r.fields, record);
        for (int i = 0; i < record.size(); ++i)
            QCOMPARE(r.quoted[i] || !r.fields[i].isEmpty(), !record[i].isNull());
    }
    QCOMPARE(p.records[1].line, 1 + int(line.count('\n')));
}

void TestCsv::writerQuotesOnlyWhatNeedsIt()
{
    QCOMPARE(Csv::formatRecord({QStringLiteral("Agua"), QString(), QStringLiteral("")}),
             QByteArray("Agua,,\"\"\r\n"));
    QCOMPARE(Csv::formatRecord({QStringLiteral("say \"hi\", twice")}),
             QByteArray("\"say \"\"hi\"\", twice\"\r\n"));
    QCOMPARE(Csv::formatRecord({QStringLiteral("Ángel")}), QByteArray("Ángel\r\n"));
}

QTEST_APPLESS_MAIN(TestCsv)
#include "tst_csv.moc"
