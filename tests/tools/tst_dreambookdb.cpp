// Runs dreambook-db as a child process, as users and scripts do, and looks at the tables it
// leaves behind through the storage layer.

#include "data/picturecodec.h"
#include "data/storage.h"
#include "data/textindex.h"
#include "toolrun.h"

#include <QStandardPaths>
#include <QTemporaryDir>

#include <sqlite3.h>

using namespace ToolRun;

namespace {

QVector<Row> allRows(const QString &dir)
{
    Storage s;
    s.open(dir);
    QVector<Row> rows;
    for (std::optional<Row> r = s.firstRow(); r; r = s.rowAfter(Storage::sortKeyOf(*r)))
        rows << *r;
    return rows;
}

// A row as text, telling absent values, empty texts and picture bytes apart.
QString describe(const Row &row)
{
    QStringList parts;
    for (int f = 0; f < FieldCount; ++f) {
        const QVariant &v = row.values[f];
        if (v.isNull())
            parts << QStringLiteral("null");
        else if (f == GraficoBMP)
            parts << QStringLiteral("bytes:") +
                         QString::fromLatin1(
                             QCryptographicHash::hash(v.toByteArray(), QCryptographicHash::Sha1)
                                 .toHex());
        else
            parts << QStringLiteral("text:") + v.toString();
    }
    return parts.join(QLatin1Char('|'));
}

QStringList describeAll(const QString &dir)
{
    QStringList l;
    for (const Row &r : allRows(dir))
        l << describe(r);
    return l;
}

qint64 rowCount(const QString &dir)
{
    Storage s;
    s.open(dir);
    return s.rowCount();
}

const QByteArray Header = csvHeader();

} // namespace

class TestDreambookDb : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void usage_data();
    void usage();
    void progressOnlyOnATerminal();
    void createMakesDirectoriesAndRefusesToOverwrite();
    void sampleDictionary();
    void sampleFromMissingDirectoryCreatesNothing();
    void importIsAllOrNothing();
    void importRefusedByTheTableStoresNothing();
    void importStoresValuesExactly();
    void exportImportRoundTrip();
    void sampleExportsToItself();
    void checkFindsSoundAndBrokenTables();
    void findAnswersAsGrep_data();
    void findAnswersAsGrep();
    void findMakesTheIndexOnce();

private:
    QString path(const QString &relative) const { return m_tmp->filePath(relative); }
    std::unique_ptr<QTemporaryDir> m_tmp;
};

void TestDreambookDb::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
}

void TestDreambookDb::usage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("says");

    QTest::newRow("nothing") << QStringList{} << 2 << QStringLiteral("falta la orden");
    QTest::newRow("top help") << QStringList{QStringLiteral("--help")} << 0
                              << QStringLiteral("dreambook-db check CARPETA");
    QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0
                             << QStringLiteral("dreambook-db 2.0\n");
    QTest::newRow("-v") << QStringList{QStringLiteral("-v")} << 0
                        << QStringLiteral("dreambook-db 2.0\n");
    QTest::newRow("unknown top option")
        << QStringList{QStringLiteral("--bogus"), QStringLiteral("check")} << 2
        << QStringLiteral("dreambook-db: opción desconocida: --bogus\nUso: dreambook-db ");
    QTest::newRow("unknown command")
        << QStringList{QStringLiteral("drop")} << 2 << QStringLiteral("orden desconocida: drop");
    for (const char *c : {"create", "import", "export", "check", "backup", "restore", "find"}) {
        const QString name = QString::fromLatin1(c);
        QTest::newRow(qPrintable(name + QStringLiteral(" help")))
            << QStringList{name, QStringLiteral("--help")} << 0
            << QStringLiteral("Uso: dreambook-db ") + name;
        QTest::newRow(qPrintable(name + QStringLiteral(" without arguments")))
            << QStringList{name} << 2
            << QStringLiteral("dreambook-db %1: falta el argumento CARPETA\nUso: dreambook-db %1 ")
                   .arg(name);
    }
    QTest::newRow("help before a command")
        << QStringList{QStringLiteral("help"), QStringLiteral("backup")} << 0
        << QStringLiteral("Uso: dreambook-db backup CARPETA ARCHIVO");
    QTest::newRow("help after arguments")
        << QStringList{QStringLiteral("import"), QStringLiteral("d"), QStringLiteral("--help")} << 0
        << QStringLiteral("ARCHIVO:LÍNEA");
    QTest::newRow("extra argument")
        << QStringList{QStringLiteral("check"), QStringLiteral("a"), QStringLiteral("b")} << 2
        << QStringLiteral("argumento inesperado: b");
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("create"), QStringLiteral("d"), QStringLiteral("--force")}
        << 2 << QStringLiteral("opción desconocida: --force");
    QTest::newRow("option of another command")
        << QStringList{QStringLiteral("check"), QStringLiteral("d"), QStringLiteral("--sample")}
        << 2 << QStringLiteral("opción desconocida: --sample");
    QTest::newRow("option without its value")
        << QStringList{QStringLiteral("create"), QStringLiteral("d"),
                       QStringLiteral("--sample-dir")}
        << 2 << QStringLiteral("falta el valor de --sample-dir");
    QTest::newRow("value to an option that takes none")
        << QStringList{QStringLiteral("create"), QStringLiteral("d"), QStringLiteral("--sample=1")}
        << 2 << QStringLiteral("la opción --sample no lleva valor");
}

void TestDreambookDb::usage()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, says);
    QDir::setCurrent(m_tmp->path());
    const Result r = run(args);
    QCOMPARE(r.code, code);
    QVERIFY2((code == 0 ? r.out : r.err).contains(says), qPrintable(r.out + r.err));
    if (code == 2) // one line saying what is wrong, and the usage
        QCOMPARE(r.err.count(QLatin1Char('\n')), 2);
    // Neither help nor a usage error touches anything.
    QVERIFY(QDir(m_tmp->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

void TestDreambookDb::progressOnlyOnATerminal()
{
    // Through pipes, as scripts run it: no counter.
    const QString piped = path(QStringLiteral("piped"));
    const Result r = run({QStringLiteral("create"), piped, QStringLiteral("--sample")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.err, QString());
    const Result checked = run({QStringLiteral("check"), piped});
    QCOMPARE(checked.code, 0);
    QCOMPARE(checked.err, QString());

    // On a terminal: a line that rewrites itself, cleared at the end.
    if (QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty())
        QSKIP("no script(1) to give the tool a terminal");
    const Result onTerminal =
        runProgram(QStringLiteral("script"),
                   {QStringLiteral("-qec"),
                    QStringLiteral("'%1' check '%2'").arg(QStringLiteral(DREAMBOOK_DB), piped),
                    QStringLiteral("/dev/null")});
    QCOMPARE(onTerminal.code, 0);
    QVERIFY2(onTerminal.out.contains(QStringLiteral("\rentradas comprobadas: 1\x1b[K")) &&
                 onTerminal.out.contains(QStringLiteral("\r\x1b[K")),
             qPrintable(onTerminal.out));
}

void TestDreambookDb::createMakesDirectoriesAndRefusesToOverwrite()
{
    const QString dir = path(QStringLiteral("a/b/noctambu"));
    Result r = run({QStringLiteral("create"), dir});
    QCOMPARE(r.code, 0);
    QVERIFY(QFileInfo::exists(Storage::tablePath(dir)));
    QCOMPARE(rowCount(dir), 0);

    writeFile(path(QStringLiteral("one.csv")), Header + "Agua,Agua clara.,,,,\r\n");
    QCOMPARE(run({QStringLiteral("import"), dir, path(QStringLiteral("one.csv"))}).code, 0);
    const QByteArray before = readFile(Storage::tablePath(dir));

    for (const QStringList &extra : {QStringList{}, QStringList{QStringLiteral("--sample")}}) {
        r = run(QStringList{QStringLiteral("create"), dir} + extra);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("ya contiene una tabla de sueños")),
                 qPrintable(r.err));
        QCOMPARE(readFile(Storage::tablePath(dir)), before);
        QCOMPARE(rowCount(dir), 1);
    }

    // A plain file where the directory should be.
    writeFile(path(QStringLiteral("file")), "x");
    QCOMPARE(run({QStringLiteral("create"), path(QStringLiteral("file"))}).code, 1);
}

void TestDreambookDb::sampleDictionary()
{
    const QString dir = path(QStringLiteral("db"));
    const Result r = run({QStringLiteral("create"), dir, QStringLiteral("--sample")});
    QCOMPARE(r.code, 0);

    const QVector<Row> rows = allRows(dir);
    QVERIFY(rows.size() >= 100);
    QStringList names;
    int pictures = 0;
    for (const Row &row : rows) {
        const QString name = row.name();
        names << name;
        QVERIFY2(!name.isEmpty() && name.size() <= NameMaxLength && name.front().isUpper(),
                 qPrintable(name));
        const QString meaning = row.values[InterpretacionOnirica].toString();
        const int sentences = meaning.count(QLatin1String(". ")) + 1;
        QVERIFY2(meaning.endsWith(QLatin1Char('.')) && sentences >= 2 && sentences <= 4,
                 qPrintable(name));
        const QString lucky = row.values[NDeSuerte].toString();
        const QString affine = row.values[NAfin].toString();
        QVERIFY2(lucky.toInt() >= 1 && lucky.toInt() <= 100, qPrintable(name));
        QVERIFY2(affine.toInt() >= 1 && affine.toInt() <= 100, qPrintable(name));
        const QString notes = row.values[DatosDeInteres].toString();
        QVERIFY2(notes.contains(QStringLiteral("Número de la suerte: ") + lucky + QLatin1Char('.')),
                 qPrintable(name));
        QVERIFY2(notes.contains(QStringLiteral("Número afín: ") + affine + QLatin1Char('.')),
                 qPrintable(name));
        if (row.values[GraficoBMP].isNull())
            continue;
        ++pictures;
        const QByteArray stored = row.values[GraficoBMP].toByteArray();
        const QByteArray bmp = PictureCodec::bitmapFile(stored);
        QCOMPARE(bmp.size(), stored.size() - 8); // stored with its header
        int w = 0, h = 0;
        QVERIFY(PictureCodec::isDecodableBitmap(bmp, &w, &h));
        QCOMPARE(w, 137);
        QCOMPARE(h, 177);
        QCOMPARE(int(uchar(bmp[28])), 8); // 8 bits per pixel
        QCOMPARE(int(uchar(bmp[30])), 0); // uncompressed
    }
    QVERIFY(pictures >= 12);

    // Names chosen to exercise dictionary order.
    const auto at = [&](const char *n) {
        return names.indexOf(QString::fromUtf8(n));
    };
    QVERIFY(at("Agua") >= 0);
    QVERIFY(at("Agua") < at("Aguacero"));
    QVERIFY(at("Aguacero") < at("Águila"));
    QVERIFY(at("Ángel") >= 0);
    QVERIFY(at("Nube") < at("Ñame"));
    QVERIFY(at("Ñame") < at("Ñandú"));
    QVERIFY(at("Ñandú") < at("Ojo"));
}

void TestDreambookDb::sampleFromMissingDirectoryCreatesNothing()
{
    const QString dir = path(QStringLiteral("db"));
    const Result r = run({QStringLiteral("create"), dir, QStringLiteral("--sample-dir"),
                          path(QStringLiteral("nowhere"))});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("Falta el diccionario de muestra ") +
                            path(QStringLiteral("nowhere/dreams.csv"))),
             qPrintable(r.err));
    QVERIFY(!QFileInfo::exists(dir));
}

void TestDreambookDb::importIsAllOrNothing()
{
    const QString dir = path(QStringLiteral("db"));
    QCOMPARE(run({QStringLiteral("create"), dir}).code, 0);
    writeFile(path(QStringLiteral("in/pictures/good.bmp")), bitmap(3, 2, 1));
    writeFile(path(QStringLiteral("in/pictures/text.bmp")), "not a bitmap at all");
    writeFile(path(QStringLiteral("in/pictures/huge.bmp")), [] {
        // Claims 60000 x 60000 pixels.
        QByteArray b = bitmap(2, 2, 0);
        b.replace(18, 8, QByteArray::fromHex("60ea000060ea0000"));
        return b;
    }());
    const QString csv = path(QStringLiteral("in/dreams.csv"));
    const QByteArray name51(51, 'X');
    writeFile(csv, Header +
                       "Sol,\"Luz.\r\nY calor.\",,60,15,pictures/good.bmp\r\n" // lines 2-3
                       "Luna,Noche.,,17,62,\r\n"                               // 4
                       "Luna,Otra vez.,,17,62,\r\n"                            // 5 duplicate
                       ",Sin nombre.,,,,\r\n"                                  // 6 empty name
                       + name51 +
                       ",Largo.,,,,\r\n"                              // 7
                       "Pez,,,,,pictures/missing.bmp\r\n"             // 8
                       "Ojo,,,,,pictures/text.bmp\r\n"                // 9
                       "Gato,Cinco campos.,,4,49\r\n"                 // 10
                       "Rey,,,,,pictures/huge.bmp\r\n"                // 11
                       "\r\n"                                         // 12 blank
                       "Casa,\"Bien.\",,56,1,pictures/good.bmp\r\n"); // 13

    const Result r = run({QStringLiteral("import"), dir, csv});
    QCOMPARE(r.code, 1);
    const QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList reported;
    for (const QString &l : lines) {
        if (l.startsWith(csv + QLatin1Char(':')))
            reported << l.mid(csv.size() + 1).section(QLatin1Char(':'), 0, 0);
    }
    QCOMPARE(reported, (QStringList{QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
                                    QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("10"),
                                    QStringLiteral("11")}));
    QVERIFY(r.err.contains(QStringLiteral(":5: el nombre «Luna» ya aparece en la línea 4")));
    QVERIFY(r.err.contains(
        QStringLiteral(":9: el gráfico «pictures/text.bmp» no es un mapa de bits legible")));
    QVERIFY(r.err.contains(QStringLiteral(":10: se esperaban 6 campos y hay 5")));
    QVERIFY(r.err.contains(QStringLiteral("No se ha importado nada")));
    QCOMPARE(rowCount(dir), 0);

    // A fault of the file's syntax stops the reading, with the record's first line.
    writeFile(csv, Header + "Sol,\"Luz.\r\nY calor.\",,60,15,\r\n"
                            "Luna,\"Noche\r\nsin fin,,17,62,\r\n");
    Result q = run({QStringLiteral("import"), dir, csv});
    QCOMPARE(q.code, 1);
    QVERIFY2(q.err.contains(csv + QStringLiteral(":4: falta la comilla que cierra un campo")),
             qPrintable(q.err));
    QCOMPARE(rowCount(dir), 0);

    // So does a wrong header.
    writeFile(csv, "Imagen,Interpretación Onírica,Datos de Interés,Nº de Suerte,Nº Afín,"
                   "Gráfico BMP\r\nSol,,,,,\r\n");
    q = run({QStringLiteral("import"), dir, csv});
    QCOMPARE(q.code, 1);
    QVERIFY2(q.err.contains(csv + QStringLiteral(":1: la cabecera debe nombrar los seis campos")),
             qPrintable(q.err));

    // A file that does not exist, a directory without a table.
    QCOMPARE(run({QStringLiteral("import"), dir, path(QStringLiteral("none.csv"))}).code, 1);
    QCOMPARE(run({QStringLiteral("import"), path(QStringLiteral("in")), csv}).code, 1);
    QCOMPARE(rowCount(dir), 0);
}

void TestDreambookDb::importRefusedByTheTableStoresNothing()
{
    const QString dir = path(QStringLiteral("db"));
    QCOMPARE(run({QStringLiteral("create"), dir}).code, 0);
    const QString first = path(QStringLiteral("first.csv"));
    writeFile(first, Header + "Luna,Noche.,,17,62,\r\n");
    QCOMPARE(run({QStringLiteral("import"), dir, first}).code, 0);

    // Rows before the refused one were written inside the transaction and are rolled back.
    const QString second = path(QStringLiteral("second.csv"));
    writeFile(second, Header + "Agua,\"Clara,\r\nlimpia.\",,71,16,\r\nSol,,,,,\r\n"
                               "Luna,Repetida.,,,,\r\nZapato,,,,,\r\n");
    const Result r = run({QStringLiteral("import"), dir, second});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(second + QStringLiteral(":5: ya existe una entrada llamada «Luna»")),
             qPrintable(r.err));
    QCOMPARE(describeAll(dir), QStringList{QStringLiteral("text:Luna|text:Noche.|null|text:17|"
                                                          "text:62|null")});
}

void TestDreambookDb::importStoresValuesExactly()
{
    const QString dir = path(QStringLiteral("db"));
    QCOMPARE(run({QStringLiteral("create"), dir}).code, 0);
    const QByteArray pic = bitmap(5, 3, 7);
    writeFile(path(QStringLiteral("in/sol.bmp")), pic);
    const QString csv = path(QStringLiteral("in/x.csv"));
    // Byte order mark, a decomposed accent in the name, an empty text and absent values.
    writeFile(csv, "\xEF\xBB\xBF" + Header +
                       "A\xCC\x81ngel,\"Uno,\r\ndos \"\"tres\"\"\",\"\",,7,sol.bmp\r\n");
    QCOMPARE(run({QStringLiteral("import"), dir, csv}).code, 0);

    const QVector<Row> rows = allRows(dir);
    QCOMPARE(rows.size(), 1);
    const Row &row = rows[0];
    QCOMPARE(row.name(), QStringLiteral("Ángel")); // stored composed
    QCOMPARE(row.values[InterpretacionOnirica].toString(), QStringLiteral("Uno,\r\ndos \"tres\""));
    QVERIFY(!row.values[DatosDeInteres].isNull());
    QCOMPARE(row.values[DatosDeInteres].toString(), QString());
    QVERIFY(row.values[NDeSuerte].isNull());
    QCOMPARE(row.values[NAfin].toString(), QStringLiteral("7"));
    QCOMPARE(row.values[GraficoBMP].toByteArray(), PictureCodec::encode(pic));
}

void TestDreambookDb::exportImportRoundTrip()
{
    const QString one = path(QStringLiteral("one"));
    QCOMPARE(run({QStringLiteral("create"), one}).code, 0);
    writeFile(path(QStringLiteral("src/a.bmp")), bitmap(4, 4, 1));
    writeFile(path(QStringLiteral("src/b.bmp")), bitmap(7, 2, 2));
    writeFile(path(QStringLiteral("src/c.bmp")), bitmap(1, 1, 3));
    const QString csv = path(QStringLiteral("src/dreams.csv"));
    // Names that map to the same picture file name, and texts that need quoting.
    writeFile(csv, Header + "Sol,\"Brilla, \"\"mucho\"\".\",\" espacios \",60,15,a.bmp\r\n"
                            "sol,\"Dos\nlíneas\r\ny tres\",\"\",,,b.bmp\r\n"
                            "Sól,,,,,c.bmp\r\n"
                            "¿Qué?/\\:*,Raro.,,1,46,a.bmp\r\n"
                            "Ñandú,,,31,76,\r\n");
    QCOMPARE(run({QStringLiteral("import"), one, csv}).code, 0);

    // A picture stored by another writer without the header is exported as its bitmap.
    {
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(Storage::tablePath(one)).constData(), &db),
                 SQLITE_OK);
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, "UPDATE dreams SET picture=?1 WHERE name='Ñandú'", -1, &s, nullptr);
        const QByteArray raw = bitmap(2, 3, 9);
        sqlite3_bind_blob(s, 1, raw.constData(), raw.size(), SQLITE_TRANSIENT);
        QCOMPARE(sqlite3_step(s), SQLITE_DONE);
        sqlite3_finalize(s);
        sqlite3_close(db);
    }

    Result r = run({QStringLiteral("export"), one, path(QStringLiteral("out1"))});
    QCOMPARE(r.code, 0);
    QVERIFY(r.err.isEmpty());
    const QString two = path(QStringLiteral("two"));
    QCOMPARE(run({QStringLiteral("create"), two}).code, 0);
    QCOMPARE(run({QStringLiteral("import"), two, path(QStringLiteral("out1/dreams.csv"))}).code, 0);
    QCOMPARE(run({QStringLiteral("export"), two, path(QStringLiteral("out2"))}).code, 0);

    const QMap<QString, QByteArray> out1 = tree(path(QStringLiteral("out1")));
    QCOMPARE(out1.size(), 1 + 5);
    QCOMPARE(tree(path(QStringLiteral("out2"))), out1);

    // The tables agree on every value; the headerless picture gained its header.
    QStringList expected = describeAll(one);
    const QStringList got = describeAll(two);
    QCOMPARE(got.size(), expected.size());
    for (int i = 0; i < got.size(); ++i) {
        if (expected[i].startsWith(QStringLiteral("text:Ñandú")))
            expected[i] =
                expected[i].section(QLatin1Char('|'), 0, 4) + QStringLiteral("|bytes:") +
                QString::fromLatin1(QCryptographicHash::hash(PictureCodec::encode(bitmap(2, 3, 9)),
                                                             QCryptographicHash::Sha1)
                                        .toHex());
    }
    QCOMPARE(got, expected);
    // Small letters sort first: "sol", "Sol", "Sól".
    QCOMPARE(out1.value(QStringLiteral("pictures/sol.bmp")), bitmap(7, 2, 2));
    QCOMPARE(out1.value(QStringLiteral("pictures/sol-2.bmp")), bitmap(4, 4, 1));
    QCOMPARE(out1.value(QStringLiteral("pictures/sol-3.bmp")), bitmap(1, 1, 3));

    // An earlier export is never overwritten.
    r = run({QStringLiteral("export"), one, path(QStringLiteral("out1"))});
    QCOMPARE(r.code, 1);
    QCOMPARE(tree(path(QStringLiteral("out1"))), out1);
}

void TestDreambookDb::sampleExportsToItself()
{
    const QString dir = path(QStringLiteral("db"));
    QCOMPARE(run({QStringLiteral("create"), dir, QStringLiteral("--sample-dir"),
                  QStringLiteral(NOCTAMBU_SAMPLE_DIR)})
                 .code,
             0);
    QCOMPARE(run({QStringLiteral("export"), dir, path(QStringLiteral("out"))}).code, 0);
    const QMap<QString, QByteArray> out = tree(path(QStringLiteral("out")));
    QVERIFY(out.size() > 12);
    for (auto it = out.cbegin(); it != out.cend(); ++it)
        QVERIFY2(readFile(QStringLiteral(NOCTAMBU_SAMPLE_DIR "/") + it.key()) == it.value(),
                 qPrintable(it.key()));
}

void TestDreambookDb::checkFindsSoundAndBrokenTables()
{
    const QString dir = path(QStringLiteral("db"));
    QCOMPARE(run({QStringLiteral("create"), dir, QStringLiteral("--sample")}).code, 0);
    Result r = run({QStringLiteral("check"), dir});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains(QStringLiteral("sana, 159 entradas")), qPrintable(r.out));

    {
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(Storage::tablePath(dir)).constData(), &db),
                 SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "UPDATE dreams SET picture=x'0100010010000000424d' WHERE name='Sol'",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
    }
    r = run({QStringLiteral("check"), dir});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.out.contains(QStringLiteral("«Sol»")), qPrintable(r.out));

    // Not a dream table at all, and no directory.
    const QString other = path(QStringLiteral("other"));
    writeFile(Storage::tablePath(other), QByteArray(4096, 'x'));
    r = run({QStringLiteral("check"), other});
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.contains(QStringLiteral("no es una tabla de sueños")));
    QCOMPARE(run({QStringLiteral("check"), path(QStringLiteral("none"))}).code, 1);
}

void TestDreambookDb::findAnswersAsGrep_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    auto row = [](const char *tag, QStringList args, int code, const char *out) {
        QTest::newRow(tag) << args << code << QString::fromUtf8(out);
    };
    row("words", {"CORAZON", "amor"}, 0,
        "Corazón\tEl corazón anuncia amor, afecto y valentía. Un corazón rojo y sano…\n");
    row("name first", {"sol"}, 0, "Sol\t");
    row("nothing", {"zzqq"}, 1, "");
    row("number", {"--number", "7"}, 0, "Anillo\t");
    row("number with zeros", {"--number=0007"}, 0, "Anillo\t");
    row("words and --number", {"sol", "--number", "7"}, 2, "");
    row("--number without a number", {"--number", "siete"}, 2, "");
    row("no words", {}, 2, "");
    row("only signs", {"¡!"}, 2, "");
}

void TestDreambookDb::findAnswersAsGrep()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, out);
    const QString dir = path(QStringLiteral("db"));
    QCOMPARE(run({QStringLiteral("create"), dir, QStringLiteral("--sample")}).code, 0);
    const Result r = run(QStringList{QStringLiteral("find"), dir} + args);
    QCOMPARE(r.code, code);
    QVERIFY2(out.isEmpty() ? r.out.isEmpty() : r.out.startsWith(out), qPrintable(r.out));
    if (code == 2)
        QVERIFY2(r.err.contains(QStringLiteral("Uso: dreambook-db find CARPETA")),
                 qPrintable(r.err));
}

// A table made before the index of words existed gets it from its first search.
void TestDreambookDb::findMakesTheIndexOnce()
{
    const QString dir = path(QStringLiteral("db"));
    QCOMPARE(run({QStringLiteral("create"), dir, QStringLiteral("--sample")}).code, 0);
    const QStringList find{QStringLiteral("find"), dir, QStringLiteral("sol")};
    const QString before = run(find).out;
    {
        Storage storage;
        storage.open(dir);
        storage.begin();
        TextIndex::drop(storage.handle(), storage.path());
        storage.commit();
    }
    const Result r = run(find);
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, before);
    QCOMPARE(r.err, QString()); // no progress line off a terminal
    Storage storage;
    storage.open(dir, Storage::Access::ReadOnly);
    QVERIFY(storage.hasTextIndex());
    QCOMPARE(storage.check(), QStringList{});
}

QTEST_GUILESS_MAIN(TestDreambookDb)
#include "tst_dreambookdb.moc"
