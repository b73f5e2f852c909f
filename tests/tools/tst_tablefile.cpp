// Opening a dream table file as users meet it: beside a write-ahead log that is not its own,
// locked, damaged or foreign, and in places the user cannot write. The database tool and the
// program (the dataset) must tell the true reason and change nothing they then refuse.

#include "errors.h"
#include "storage.h"
#include "table.h"
#include "toolrun.h"

#include <QTemporaryDir>

#include <sqlite3.h>

#include <iostream>

using namespace ToolRun;

namespace {

// Opens the table the way the program does and returns the error, or "abierta".
QString openAsProgram(const QString &dir)
{
    try {
        Table t;
        t.setDatabaseDir(dir);
        t.open();
    } catch (const Error &e) {
        return e.message();
    }
    return QStringLiteral("abierta");
}

sqlite3 *openDirect(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    return db;
}

// Gives a directory and its files to another user, with the given modes.
void giveAway(const QString &dir, QFile::Permissions dirMode, QFile::Permissions fileMode)
{
    for (const QString &f : QDir(dir).entryList(QDir::Files | QDir::Hidden)) {
        const QString p = QDir(dir).filePath(f);
        QVERIFY(::chown(QFile::encodeName(p).constData(), OtherUser, OtherUser) == 0);
        QVERIFY(QFile::setPermissions(p, fileMode));
    }
    QVERIFY(::chown(QFile::encodeName(dir).constData(), OtherUser, OtherUser) == 0);
    QVERIFY(QFile::setPermissions(dir, dirMode));
}

const QFile::Permissions ReadOnlyDir = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                       QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
const QFile::Permissions OpenDir = ReadOnlyDir | QFile::WriteOwner;
const QFile::Permissions ReadOnlyFile = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
const QFile::Permissions WritableFile = ReadOnlyFile | QFile::WriteOwner;

} // namespace

class TestTableFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void strayLogChangesNothing_data();
    void strayLogChangesNothing();
    void reasonsAreToldApart_data();
    void reasonsAreToldApart();
    void readOnlyDirectoryOpensReadOnly();
    void readerLeavesNothingThatBlocksAWriter();

private:
    QString path(const QString &relative) const { return m_tmp->filePath(relative); }
    void sample(const QString &name);
    std::unique_ptr<QTemporaryDir> m_tmp;
};

void TestTableFile::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    QVERIFY(QFile::setPermissions(m_tmp->path(), OpenDir)); // other users may pass
}

void TestTableFile::sample(const QString &name)
{
    const Result r = run({QStringLiteral("create"), path(name), QStringLiteral("--sample")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
}

void TestTableFile::strayLogChangesNothing_data()
{
    QTest::addColumn<bool>("withShm");
    QTest::newRow("log alone") << false;
    QTest::newRow("log and shared memory") << true;
}

void TestTableFile::strayLogChangesNothing()
{
    QFETCH(bool, withShm);
    sample(QStringLiteral("a"));
    QCOMPARE(run({QStringLiteral("create"), path(QStringLiteral("b"))}).code, 0);
    // Another table's log, with a committed entry that was never written into its file.
    sqlite3 *b = openDirect(Storage::tablePath(path(QStringLiteral("b"))));
    QCOMPARE(sqlite3_exec(b,
                          "PRAGMA wal_autocheckpoint=0;"
                          "INSERT INTO dreams(name, skey) VALUES ('x', x'01')",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    const QString table = Storage::tablePath(path(QStringLiteral("a")));
    for (const char *suffix : {"-wal", "-shm"}) {
        if (withShm || QByteArray(suffix) == "-wal")
            writeFile(table + QLatin1String(suffix),
                      readFile(Storage::tablePath(path(QStringLiteral("b"))) + suffix));
    }
    sqlite3_close(b);
    writeFile(path(QStringLiteral("one.csv")), csvHeader() + "Zeta,,,,,\r\n");

    const QStringList before = hashes(path(QStringLiteral("a")));
    const QStringList commands[] = {
        {QStringLiteral("check"), path(QStringLiteral("a"))},
        {QStringLiteral("export"), path(QStringLiteral("a")), path(QStringLiteral("out"))},
        {QStringLiteral("import"), path(QStringLiteral("a")), path(QStringLiteral("one.csv"))},
        {QStringLiteral("backup"), path(QStringLiteral("a")), path(QStringLiteral("copia.db"))},
    };
    for (const QStringList &command : commands) {
        const Result r = run(command);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("no le pertenece")) && r.err.contains(table),
                 qPrintable(command.first() + QLatin1String(": ") + r.err));
        QCOMPARE(hashes(path(QStringLiteral("a"))), before);
    }
    const QString program = openAsProgram(path(QStringLiteral("a")));
    QVERIFY2(program.contains(QStringLiteral("no le pertenece")), qPrintable(program));
    QVERIFY2(program.contains(QStringLiteral("-wal")), qPrintable(program));
    QCOMPARE(hashes(path(QStringLiteral("a"))), before);
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("out"))));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("copia.db"))));

    // Moved away as the message advises, the table is whole.
    QVERIFY(QFile::remove(table + QStringLiteral("-wal")));
    QFile::remove(table + QStringLiteral("-shm"));
    const Result r = run({QStringLiteral("check"), path(QStringLiteral("a"))});
    QVERIFY2(r.code == 0 && r.out.contains(QStringLiteral("159 entradas")), qPrintable(r.err));
}

void TestTableFile::reasonsAreToldApart_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("says");
    QTest::newRow("locked") << QStringLiteral("locked")
                            << QStringLiteral("está bloqueada por otro programa");
    QTest::newRow("truncated") << QStringLiteral("truncated") << QStringLiteral("está dañada");
    QTest::newRow("text") << QStringLiteral("text") << QStringLiteral("no es una tabla de sueños");
    QTest::newRow("other database")
        << QStringLiteral("other") << QStringLiteral("no es una tabla de sueños");
    QTest::newRow("missing") << QStringLiteral("missing") << QStringLiteral("no existe");
}

void TestTableFile::reasonsAreToldApart()
{
    QFETCH(QString, kind);
    QFETCH(QString, says);
    const QString dir = path(QStringLiteral("db"));
    const QString table = Storage::tablePath(dir);
    sample(QStringLiteral("db"));
    if (kind == QLatin1String("truncated")) {
        QVERIFY(QFile::resize(table, QFileInfo(table).size() / 2));
    } else if (kind == QLatin1String("text")) {
        writeFile(table, QByteArray(4096, 'x'));
    } else if (kind == QLatin1String("other")) {
        QVERIFY(QFile::remove(table));
        sqlite3 *other = openDirect(table);
        QCOMPARE(sqlite3_exec(other, "CREATE TABLE t(x)", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
    } else if (kind == QLatin1String("missing")) {
        QVERIFY(QFile::remove(table));
    }
    const QStringList before = hashes(dir);
    // (A file of the table read here while the holder has it open would drop its locks.)
    sqlite3 *holder = nullptr;
    if (kind == QLatin1String("locked")) {
        holder = openDirect(table);
        QCOMPARE(sqlite3_exec(holder,
                              "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;"
                              "INSERT INTO dreams(name, skey) VALUES ('x', x'01')",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
    }
    const Result r = run({QStringLiteral("check"), dir});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(says) && r.err.contains(table), qPrintable(r.err));
    const QString program = openAsProgram(dir);
    QVERIFY2(program.contains(says) && program.contains(table), qPrintable(program));
    if (holder)
        sqlite3_close(holder);
    else
        QCOMPARE(hashes(dir), before);
}

void TestTableFile::readOnlyDirectoryOpensReadOnly()
{
    if (!canRunAsOtherUser())
        QSKIP("needs root, to run the tool and the dataset as another user");
    const QString rd = path(QStringLiteral("rd"));
    sample(QStringLiteral("rd"));
    giveAway(rd, ReadOnlyDir, WritableFile);
    const QStringList before = hashes(rd);
    QVERIFY(QDir().mkpath(path(QStringLiteral("mine"))));
    giveAway(path(QStringLiteral("mine")), OpenDir, WritableFile);

    Result r = run({QStringLiteral("check"), rd}, true);
    QVERIFY2(r.code == 0 && r.out.contains(QStringLiteral("159 entradas")), qPrintable(r.err));
    r = run({QStringLiteral("export"), rd, path(QStringLiteral("mine/out"))}, true);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(QFileInfo::exists(path(QStringLiteral("mine/out/dreams.csv"))));
    // The program browses it: the dataset opens read-only, lists and finds.
    r = runProgram(QCoreApplication::applicationFilePath(), {QStringLiteral("--browse"), rd}, true);
    QCOMPARE(r.out.trimmed(), QStringLiteral("159 entradas, solo lectura, Ñandú hallada; "
                                             "Cannot modify a read-only dataset"));
    QCOMPARE(hashes(rd), before);
}

void TestTableFile::readerLeavesNothingThatBlocksAWriter()
{
    if (!canRunAsOtherUser())
        QSKIP("needs root, to run the tool as another user");
    const QString ro = path(QStringLiteral("ro"));
    writeFile(path(QStringLiteral("one.csv")), csvHeader() + "Zeta,,,,,\r\n");
    writeFile(path(QStringLiteral("two.csv")), csvHeader() + "Zeta dos,,,,,\r\n");
    sample(QStringLiteral("ro"));
    giveAway(ro, OpenDir, ReadOnlyFile);
    const Result check = run({QStringLiteral("check"), ro}, true);
    QVERIFY2(check.code == 0, qPrintable(check.err));
    QCOMPARE(QDir(ro).entryList(QDir::Files | QDir::Hidden), QStringList{Storage::fileName()});
    QVERIFY(QFile::setPermissions(Storage::tablePath(ro), WritableFile));
    Result r = run({QStringLiteral("import"), ro, path(QStringLiteral("one.csv"))}, true);
    QVERIFY2(r.code == 0, qPrintable(r.err));

    // What another reader leaves (a log and shared memory it could only read) does not
    // stop a writer either.
    QVERIFY(QFile::setPermissions(Storage::tablePath(ro), ReadOnlyFile));
    r = runProgram(QCoreApplication::applicationFilePath(), {QStringLiteral("--read"), ro}, true);
    QCOMPARE(r.out.trimmed(), QStringLiteral("160"));
    QVERIFY(QFileInfo::exists(Storage::tablePath(ro) + QStringLiteral("-shm")));
    QVERIFY(QFile::setPermissions(Storage::tablePath(ro), WritableFile));
    r = run({QStringLiteral("import"), ro, path(QStringLiteral("two.csv"))}, true);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    r = run({QStringLiteral("check"), ro});
    QVERIFY2(r.out.contains(QStringLiteral("161 entradas")), qPrintable(r.out + r.err));
}

// Children run as another user: "--browse DIR" opens the dataset as the program does,
// "--read DIR" reads the table through SQLite's own read-only access.
static int childMain(const QString &mode, const QString &dir)
{
    if (mode == QLatin1String("--read")) {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(QFile::encodeName(Storage::tablePath(dir)).constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM dreams", -1, &s, nullptr);
        if (sqlite3_step(s) == SQLITE_ROW)
            std::cout << sqlite3_column_int(s, 0) << std::endl;
        sqlite3_finalize(s);
        sqlite3_close(db);
        return 0;
    }
    try {
        Table t;
        t.setDatabaseDir(dir);
        t.open();
        const bool found =
            t.locate(QStringLiteral("Imagen Onírica"), QStringLiteral("Ñan"), Table::PartialKey);
        std::cout << t.recordCount() << " entradas, "
                  << (t.canModify() ? "modificable" : "solo lectura") << ", "
                  << t.fieldText(ImagenOnirica).toStdString() << (found ? " hallada" : " no")
                  << "; " << std::flush;
        t.insert();
    } catch (const Error &e) {
        std::cout << e.message().toStdString() << std::endl;
    }
    return 0;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]).startsWith("--"))
        return childMain(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    TestTableFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tablefile.moc"
