// Opening a dream table file as users meet it: beside a write-ahead log that is not its own,
// locked, damaged or foreign, and in places the user cannot write. The database tool and the
// program (the dataset) must tell the true reason and change nothing they then refuse.

#include "data/errors.h"
#include "data/storage.h"
#include "data/table.h"
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
    void readOnlyPlaces();

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

void TestTableFile::readOnlyPlaces()
{
    if (!canRunAsOtherUser())
        QSKIP("needs root, to run the tool and the dataset as another user");
    // A directory the user cannot write: the tool checks and exports the table, the program
    // browses it read-only, and nothing changes there.
    const QString rd = path(QStringLiteral("rd"));
    sample(QStringLiteral("rd"));
    giveAway(rd, ReadOnlyDir, WritableFile);
    QVERIFY(QDir().mkpath(path(QStringLiteral("mine"))));
    giveAway(path(QStringLiteral("mine")), OpenDir, WritableFile);
    const QStringList before = hashes(rd);
    Result r = run({QStringLiteral("check"), rd}, true);
    QVERIFY2(r.out.contains(QStringLiteral("sana, 159 entradas")), qPrintable(r.err));
    QCOMPARE(run({QStringLiteral("export"), rd, path(QStringLiteral("mine/out"))}, true).code, 0);
    r = runProgram(QCoreApplication::applicationFilePath(), {QStringLiteral("--browse"), rd}, true);
    QCOMPARE(r.out.trimmed(), QStringLiteral("159 Ñandú; Cannot modify a read-only dataset"));
    QCOMPARE(hashes(rd), before);

    // A file the user cannot write: a reader leaves nothing beside it, and what another
    // reader left (a log and shared memory only it could write) stops no later writer.
    const QString ro = path(QStringLiteral("ro"));
    const QString table = Storage::tablePath(ro);
    sample(QStringLiteral("ro"));
    giveAway(ro, OpenDir, ReadOnlyFile);
    QCOMPARE(run({QStringLiteral("check"), ro}, true).code, 0);
    QCOMPARE(QDir(ro).entryList(QDir::Files | QDir::Hidden), QStringList{Storage::fileName()});
    writeFile(table + QStringLiteral("-wal"), QByteArray());
    writeFile(table + QStringLiteral("-shm"), QByteArray(32768, '\0'));
    giveAway(ro, OpenDir, ReadOnlyFile);
    QVERIFY(QFile::setPermissions(table, WritableFile));
    writeFile(path(QStringLiteral("one.csv")), csvHeader() + "Zeta,,,,,\r\n");
    r = run({QStringLiteral("import"), ro, path(QStringLiteral("one.csv"))}, true);
    QVERIFY2(r.code == 0, qPrintable(r.err));
}

// The program as another user ("--browse DIR"): opens the dataset, finds an entry, tries to
// add one.
static int browse(const QString &dir)
{
    try {
        Table t;
        t.setDatabaseDir(dir);
        t.open();
        t.locate(QStringLiteral("Imagen Onírica"), QStringLiteral("Ñan"), Table::PartialKey);
        std::cout << t.recordCount() << ' ' << t.fieldText(ImagenOnirica).toStdString() << "; "
                  << std::flush;
        t.insert();
    } catch (const Error &e) {
        std::cout << e.message().toStdString() << std::endl;
    }
    return 0;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--browse")
        return browse(QString::fromLocal8Bit(argv[2]));
    TestTableFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tablefile.moc"
