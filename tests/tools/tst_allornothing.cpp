// Every command of dreambook-db is all or nothing: a killed create or export leaves nothing
// or the whole result, an export is one snapshot while another program writes, and backup
// and restore give the user a safe copy of the table and a safe way back.

#include "data/storage.h"
#include "data/table.h"
#include "toolrun.h"

#include <QTemporaryDir>

#include <csignal>
#include <iostream>
#include <string>

using namespace ToolRun;

namespace {

QString checkSays(const QString &dir)
{
    const Result r = run({QStringLiteral("check"), dir});
    return r.out + r.err;
}

// Starts the tool and kills it when it has not finished after ms milliseconds.
void runAndKill(const QStringList &args, int ms)
{
    QProcess p;
    p.start(QStringLiteral(DREAMBOOK_DB), args);
    QVERIFY(p.waitForStarted());
    if (!p.waitForFinished(ms)) {
        p.kill();
        p.waitForFinished();
    }
}

// A child of this test: the program (a dataset) that holds the table open with a posted
// entry and an edit under way, or a writer that holds an import's transaction open.
struct Child
{
    QProcess process;
    void start(const QString &mode, const QString &dir)
    {
        process.start(QCoreApplication::applicationFilePath(), {mode, dir});
        QVERIFY(process.waitForStarted());
        QVERIFY(process.waitForReadyRead(20000));
        QCOMPARE(process.readLine().trimmed(), QByteArray("listo"));
    }
    ~Child()
    {
        process.kill();
        process.waitForFinished();
    }
};

} // namespace

class TestAllOrNothing : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void killedCreateLeavesNothingOrAll();
    void killedExportLeavesNothingOrAll();
    void exportIsOneSnapshot();
    void backupAndRestore();

private:
    QString path(const QString &relative) const { return m_tmp->filePath(relative); }
    std::unique_ptr<QTemporaryDir> m_tmp;
};

void TestAllOrNothing::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
}

void TestAllOrNothing::killedCreateLeavesNothingOrAll()
{
    const QString dir = path(QStringLiteral("ck"));
    for (int ms : {0, 5, 10, 20, 30, 45, 60, 80, 120, 200}) {
        runAndKill({QStringLiteral("create"), dir, QStringLiteral("--sample")}, ms);
        if (!QFileInfo::exists(Storage::tablePath(dir)))
            continue; // nothing: the next round runs over what was left
        const QString says = checkSays(dir);
        QVERIFY2(says.contains(QStringLiteral("sana, 159 entradas")), qPrintable(says));
        QVERIFY(QDir(dir).removeRecursively());
    }
    QCOMPARE(run({QStringLiteral("create"), dir, QStringLiteral("--sample")}).code, 0);
    QVERIFY(checkSays(dir).contains(QStringLiteral("sana, 159 entradas")));
}

void TestAllOrNothing::killedExportLeavesNothingOrAll()
{
    const QString db = path(QStringLiteral("db"));
    QCOMPARE(run({QStringLiteral("create"), db, QStringLiteral("--sample")}).code, 0);
    QCOMPARE(run({QStringLiteral("export"), db, path(QStringLiteral("whole"))}).code, 0);
    const QMap<QString, QByteArray> whole = tree(path(QStringLiteral("whole")));
    QVERIFY(whole.size() > 12);
    const QString out = path(QStringLiteral("out"));
    for (int ms : {0, 5, 10, 15, 20, 30, 45, 60, 100}) {
        runAndKill({QStringLiteral("export"), db, out}, ms);
        const QMap<QString, QByteArray> got = tree(out);
        QVERIFY2(got.isEmpty() || got == whole, qPrintable(QString::number(got.size())));
        if (got.isEmpty()) {
            const Result r = run({QStringLiteral("export"), db, out});
            QVERIFY2(r.code == 0, qPrintable(r.err));
            QCOMPARE(tree(out), whole);
        }
        QVERIFY(QDir(out).removeRecursively());
    }
}

void TestAllOrNothing::exportIsOneSnapshot()
{
    const QString db = path(QStringLiteral("db"));
    QVERIFY(QDir().mkpath(db));
    Storage::create(db);
    constexpr int Rows = 30000;
    {
        Storage s;
        s.open(db);
        s.begin();
        Row row;
        row.values[InterpretacionOnirica] = QString(1000, QLatin1Char('m'));
        for (int i = 0; i < Rows; ++i) {
            row.values[ImagenOnirica] =
                QStringLiteral("Entrada %1").arg(i, 6, 10, QLatin1Char('0'));
            s.insertRow(row);
        }
        s.commit();
    }
    // A writer adds entries all through the name order and commits while the export, a third
    // of the way through, is stopped.
    Child writer;
    writer.start(QStringLiteral("--import"), db);
    QProcess exporter;
    exporter.start(QStringLiteral(DREAMBOOK_DB),
                   {QStringLiteral("export"), db, path(QStringLiteral("out"))});
    QVERIFY(exporter.waitForStarted());
    const QString io = QStringLiteral("/proc/%1/io").arg(exporter.processId());
    bool stopped = false;
    while (!stopped && !exporter.waitForFinished(1)) {
        const QByteArray counters = readFile(io);
        const qint64 written =
            counters.mid(counters.indexOf("wchar:") + 6).split('\n')[0].trimmed().toLongLong();
        stopped = written > Rows * 1000 / 3 && ::kill(pid_t(exporter.processId()), SIGSTOP) == 0;
    }
    QVERIFY2(stopped, "the export ended before the writer could commit");
    writer.process.write("commit\n");
    QVERIFY(writer.process.waitForReadyRead(20000));
    QCOMPARE(writer.process.readLine().trimmed(), QByteArray("hecho"));
    ::kill(pid_t(exporter.processId()), SIGCONT);
    QVERIFY(exporter.waitForFinished(60000));
    QCOMPARE(exporter.exitCode(), 0);
    const qint64 lines = readFile(path(QStringLiteral("out/dreams.csv"))).count('\n');
    QCOMPARE(lines, qint64(1 + Rows)); // the table as it was when the export began
}

void TestAllOrNothing::backupAndRestore()
{
    const QString db = path(QStringLiteral("db"));
    const QString table = Storage::tablePath(db);
    QCOMPARE(run({QStringLiteral("create"), db, QStringLiteral("--sample")}).code, 0);
    {
        Child program; // posted "Zafiro", editing another entry
        program.start(QStringLiteral("--edit"), db);
        Result r = run({QStringLiteral("backup"), db, path(QStringLiteral("copia.db"))});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(QDir(m_tmp->path()).entryList({QStringLiteral("copia.db*")}, QDir::Files),
                 QStringList{QStringLiteral("copia.db")});
        r = run({QStringLiteral("backup"), db, path(QStringLiteral("copia.db"))});
        QVERIFY2(r.code == 1 && r.err.contains(QStringLiteral("ya existe")), qPrintable(r.err));

        const QStringList before = hashes(db);
        r = run({QStringLiteral("restore"), db, path(QStringLiteral("copia.db"))});
        QVERIFY2(r.code == 1 && r.err.contains(QStringLiteral("abierta en otro programa")),
                 qPrintable(r.err));
        QCOMPARE(hashes(db), before);
    } // the program is killed: its log stays beside the table

    // The copy restored elsewhere holds what the program had posted.
    QCOMPARE(run({QStringLiteral("restore"), path(QStringLiteral("r")),
                  path(QStringLiteral("copia.db"))})
                 .code,
             0);
    QVERIFY(checkSays(path(QStringLiteral("r"))).contains(QStringLiteral("sana, 160 entradas")));

    // Restoring replaces the table in one step; the old log is not applied to the new table.
    QCOMPARE(run({QStringLiteral("create"), path(QStringLiteral("e"))}).code, 0);
    QCOMPARE(
        run({QStringLiteral("backup"), path(QStringLiteral("e")), path(QStringLiteral("e.db"))})
            .code,
        0);
    QVERIFY(QFileInfo(table + QStringLiteral("-wal")).size() > 0);
    Result r = run({QStringLiteral("restore"), db, path(QStringLiteral("e.db"))});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(QFileInfo(table + QStringLiteral("-wal")).size() == 0);
    QVERIFY2(checkSays(db).contains(QStringLiteral("sana, 0 entradas")), qPrintable(checkSays(db)));

    // A file that is not a sound dream table is refused and changes nothing.
    writeFile(path(QStringLiteral("texto.db")), QByteArray(8192, 't'));
    const QStringList before = hashes(db);
    r = run({QStringLiteral("restore"), db, path(QStringLiteral("texto.db"))});
    QVERIFY2(r.code == 1 && r.err.contains(QStringLiteral("no es una tabla de sueños")),
             qPrintable(r.err));
    QCOMPARE(hashes(db), before);
}

// Children: "--edit DIR" posts an entry and keeps editing another, as the program does;
// "--import DIR" adds entries in one transaction and commits when told.
static int childMain(const QString &mode, const QString &dir)
{
    std::string line;
    if (mode == QLatin1String("--edit")) {
        Table t;
        t.setDatabaseDir(dir);
        t.open();
        t.insert();
        t.setFieldValue(ImagenOnirica, QStringLiteral("Zafiro"));
        t.post();
        t.first();
        t.edit();
        t.setFieldValue(InterpretacionOnirica, QStringLiteral("sin grabar"));
        std::cout << "listo" << std::endl;
        std::getline(std::cin, line);
        return 0;
    }
    Storage s;
    s.open(dir);
    s.begin();
    Row row;
    for (int i = 0; i < 1000; ++i) {
        row.values[ImagenOnirica] =
            QStringLiteral("Entrada %1a").arg(i * 30, 6, 10, QLatin1Char('0'));
        s.insertRow(row);
    }
    std::cout << "listo" << std::endl;
    std::getline(std::cin, line);
    s.commit();
    std::cout << "hecho" << std::endl;
    std::getline(std::cin, line);
    return 0;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]).startsWith("--"))
        return childMain(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    TestAllOrNothing test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_allornothing.moc"
