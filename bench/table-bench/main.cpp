// Measures the dataset's operations on a large dream table and, in the same run, a
// hand-written SQLite baseline doing the same look-ups with prepared statements.
//   table-bench [--rows N] [--dir DIR]   (default 1,000,000 rows in a temporary directory)

#include "benchtable.h"
#include "data/collation.h"
#include "data/fields.h"
#include "data/storage.h"
#include "data/table.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using BenchTable::ms;

double median(std::vector<qint64> v)
{
    return BenchTable::medianMs(std::move(v));
}

double timeOnce(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return ms(t.nsecsElapsed());
}

double medianOf(int reps, const std::function<void()> &f)
{
    std::vector<qint64> v;
    v.reserve(size_t(reps));
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        v.push_back(t.nsecsElapsed());
    }
    return median(v);
}

long peakKb()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

// The baseline: the same look-ups written directly against SQLite.
class Baseline
{
public:
    explicit Baseline(const QString &dir)
    {
        sqlite3_open_v2(QFile::encodeName(Storage::tablePath(dir)).constData(), &db,
                        SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
        first = prep("SELECT * FROM dreams ORDER BY skey LIMIT 1");
        last = prep("SELECT * FROM dreams ORDER BY skey DESC LIMIT 1");
        next = prep("SELECT * FROM dreams WHERE skey>?1 ORDER BY skey LIMIT 1");
        prior = prep("SELECT * FROM dreams WHERE skey<?1 ORDER BY skey DESC LIMIT 1");
        locate = prep("SELECT * FROM dreams WHERE skey>=?1 AND skey<?2 AND substr(name, 1, ?3)=?4"
                      " ORDER BY skey LIMIT 1");
        byId = prep("SELECT * FROM dreams WHERE id=?1");
        update = prep("UPDATE dreams SET meaning=?1 WHERE id=?2");
        insert = prep("INSERT INTO dreams (name, skey) VALUES (?1, ?2)");
        remove = prep("DELETE FROM dreams WHERE id=?1");
    }
    ~Baseline()
    {
        for (auto *s : {first, last, next, prior, locate, byId, update, insert, remove})
            sqlite3_finalize(s);
        sqlite3_close(db);
    }
    sqlite3_stmt *prep(const char *sql)
    {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
        return s;
    }
    // Steps a row statement and keeps the sort key and id, as a cursor would.
    bool fetch(sqlite3_stmt *s)
    {
        const bool row = sqlite3_step(s) == SQLITE_ROW;
        if (row) {
            id = sqlite3_column_int64(s, 0);
            const int n = sqlite3_column_bytes(s, 7);
            key = QByteArray(static_cast<const char *>(sqlite3_column_blob(s, 7)), n);
            // Like any cursor, read the whole record buffer.
            for (int c = 1; c <= 5; ++c)
                fields[c - 1] =
                    QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, c)),
                                      sqlite3_column_bytes(s, c));
            picture = QByteArray(static_cast<const char *>(sqlite3_column_blob(s, 6)),
                                 sqlite3_column_bytes(s, 6));
        }
        sqlite3_reset(s);
        return row;
    }
    bool step(sqlite3_stmt *s)
    {
        sqlite3_bind_blob(s, 1, key.constData(), key.size(), SQLITE_TRANSIENT);
        return fetch(s);
    }
    bool find(const QString &prefix)
    {
        const QByteArray p = prefix.toUtf8();
        const QByteArray lo = Collation::primaryPrefix(prefix);
        const QByteArray hi = lo + QByteArray("\xFF\xFF", 2);
        sqlite3_bind_blob(locate, 1, lo.constData(), lo.size(), SQLITE_TRANSIENT);
        sqlite3_bind_blob(locate, 2, hi.constData(), hi.size(), SQLITE_TRANSIENT);
        sqlite3_bind_int(locate, 3, int(prefix.toUcs4().size()));
        sqlite3_bind_text(locate, 4, p.constData(), p.size(), SQLITE_TRANSIENT);
        return fetch(locate);
    }
    void exec(sqlite3_stmt *s)
    {
        sqlite3_step(s);
        sqlite3_reset(s);
    }

    sqlite3 *db = nullptr;
    sqlite3_stmt *first, *last, *next, *prior, *locate, *byId, *update, *insert, *remove;
    qint64 id = 0;
    QByteArray key;
    QString fields[5];
    QByteArray picture;
};

void report(const char *what, double dataset, double baseline, const char *target)
{
    std::printf("%-22s %10.4f ms %10.4f ms %7.2fx   %s\n", what, dataset, baseline,
                baseline > 0 ? dataset / baseline : 0.0, target);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    const BenchTable::Setup setup = BenchTable::setUp(app, temp.path());
    const qint64 rows = setup.rows;
    const QString dir = setup.dir;

    const int steps = 10000;
    const QString hit = BenchTable::name(rows / 2);
    const QString hitPrefix = hit.left(hit.size() - 1);
    const QString miss = QStringLiteral("Zzz no existe");

    std::printf("\n%-22s %13s %13s %8s   %s\n", "operation", "dataset", "baseline", "ratio",
                "target");
    // Open: the dataset checks the file, table and indexes and reads the first row.
    double openDataset = medianOf(5, [&] {
        Table t;
        t.setDatabaseDir(dir);
        t.open();
    });
    double openBaseline = medianOf(5, [&] {
        Baseline b(dir);
        b.fetch(b.first);
    });
    report("open", openDataset, openBaseline, "< 50 ms");

    Table t;
    t.setDatabaseDir(dir);
    t.open();
    Baseline b(dir);

    report("first", medianOf(1000, [&] { t.first(); }), medianOf(1000, [&] { b.fetch(b.first); }),
           "< 2x, < 1 ms");
    report("last", medianOf(1000, [&] { t.last(); }), medianOf(1000, [&] { b.fetch(b.last); }),
           "< 2x, < 1 ms");
    t.first();
    b.fetch(b.first);
    report("next (median)", medianOf(steps, [&] { t.next(); }),
           medianOf(steps, [&] { b.step(b.next); }), "< 2x, < 1 ms");
    report("prior (median)", medianOf(steps, [&] { t.prior(); }),
           medianOf(steps, [&] { b.step(b.prior); }), "< 2x, < 1 ms");
    const QString field = QStringLiteral("IMAGEN ONÍRICA");
    report("locate hit", medianOf(200, [&] { t.locate(field, hitPrefix, Table::PartialKey); }),
           medianOf(200, [&] { b.find(hitPrefix); }), "< 2x, < 1 ms");
    report("locate miss", medianOf(200, [&] { t.locate(field, miss, Table::PartialKey); }),
           medianOf(200, [&] { b.find(miss); }), "< 2x, < 1 ms");

    int n = 0;
    report("post of an edit",
           medianOf(50,
                    [&] {
                        t.edit();
                        t.setFieldValue(InterpretacionOnirica,
                                        QStringLiteral("Cambio %1").arg(++n));
                        t.post();
                    }),
           medianOf(50,
                    [&] {
                        const QByteArray v = QByteArray("Cambio ") + QByteArray::number(++n);
                        sqlite3_bind_text(b.update, 1, v.constData(), v.size(), SQLITE_TRANSIENT);
                        sqlite3_bind_int64(b.update, 2, b.id);
                        b.exec(b.update);
                    }),
           "< 10 ms");
    report("insert and post",
           medianOf(50,
                    [&] {
                        t.insert();
                        t.setFieldValue(ImagenOnirica, QStringLiteral("Nueva %1").arg(++n));
                        t.post();
                    }),
           medianOf(50,
                    [&] {
                        const QString name = QStringLiteral("Base %1").arg(++n);
                        const QByteArray u = name.toUtf8();
                        const QByteArray k = Collation::sortKey(name);
                        sqlite3_bind_text(b.insert, 1, u.constData(), u.size(), SQLITE_TRANSIENT);
                        sqlite3_bind_blob(b.insert, 2, k.constData(), k.size(), SQLITE_TRANSIENT);
                        b.exec(b.insert);
                    }),
           "< 10 ms");
    report("delete",
           medianOf(50,
                    [&] {
                        t.locate(field, QStringLiteral("Nueva"), Table::PartialKey);
                        t.deleteRecord();
                    }),
           medianOf(50,
                    [&] {
                        b.find(QStringLiteral("Base"));
                        sqlite3_bind_int64(b.remove, 1, b.id);
                        b.exec(b.remove);
                    }),
           "< 10 ms");
    b.find(hitPrefix); // a row that exists, as the dataset's current one
    t.locate(field, hitPrefix, Table::PartialKey);
    report("refresh", medianOf(200, [&] { t.refresh(); }),
           medianOf(200,
                    [&] {
                        sqlite3_bind_int64(b.byId, 1, b.id);
                        b.fetch(b.byId);
                    }),
           "< 2x, < 1 ms");
    // Positions in name order: the first look-up takes the sample of the order in one pass,
    // later ones read a few index entries; the baseline counts the rows before the entry.
    {
        Table fresh;
        fresh.setDatabaseDir(dir);
        fresh.open();
        fresh.locate(field, hitPrefix, Table::PartialKey);
        const double firstRank = timeOnce([&] { fresh.recNo(); });
        sqlite3_stmt *count = b.prep("SELECT count(*) FROM dreams WHERE skey<?1");
        auto countBefore = [&] {
            sqlite3_bind_blob(count, 1, b.key.constData(), b.key.size(), SQLITE_TRANSIENT);
            sqlite3_step(count);
            sqlite3_reset(count);
        };
        b.find(hitPrefix);
        report("position (first)", firstRank, timeOnce(countBefore), "one pass over the order");
        qint64 r = 0;
        report("position", medianOf(200, [&] { r += fresh.recNo(); }), medianOf(20, countBefore),
               "< 1 ms");
        report("go to position", medianOf(200, [&] { fresh.moveToRecNo(++r % rows + 1); }),
               medianOf(20, countBefore), "< 1 ms");
        sqlite3_finalize(count);
    }
    std::printf("\nrows %lld, peak memory %.1f MB (target < 64 MB)\n", t.recordCount(),
                double(peakKb()) / 1024.0);
    return 0;
}
