// Measures the search in the texts on a large dream table, each figure beside a baseline
// measured in the same run:
// - the first screen of results (20 entries, warm, median) for a word in every entry, a word
//   in one name in thirteen, two such words, a rare word and a number, through the search and
//   by a plain LIKE '%word%' scan of the texts;
// - the post of an edit with the index, and the same post on a copy of the table without it;
// - the index's size, and the size of the texts it indexes;
// - a reader without the index (the copy), whose search reads the rows, beside the search
//   with the index; and the making of the index on that copy.
//   search-bench [--rows N] [--dir DIR]   (default 1,000,000 rows in a temporary directory)

#include "benchtable.h"
#include "data/errors.h"
#include "data/fields.h"
#include "data/storage.h"
#include "data/table.h"
#include "data/textindex.h"
#include "data/textsearch.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

using BenchTable::ms;

constexpr int Screen = 20;

double medianOf(int reps, const std::function<void()> &f)
{
    std::vector<qint64> v;
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        v.push_back(t.nsecsElapsed());
    }
    return BenchTable::medianMs(v);
}

void report(const char *what, double measured, double baseline, const char *target)
{
    std::printf("%-28s %11.3f ms %11.3f ms %8.2fx   %s\n", what, measured, baseline,
                baseline > 0 ? measured / baseline : 0.0, target);
}

// The first screen of a search; returns how many results it had.
int firstScreen(Storage &storage, const QString &text)
{
    TextSearch search(storage, text);
    int found = 0;
    while (found < Screen && !search.atEnd())
        found += search.next(Screen - found, 1000).size();
    return found;
}

// The baseline: the first screen of the rows whose texts hold the word, by a plain scan.
class LikeScan
{
public:
    explicit LikeScan(sqlite3 *db)
    {
        sqlite3_prepare_v2(db,
                           "SELECT id, name FROM dreams WHERE name LIKE ?1 OR meaning LIKE ?1 OR"
                           " notes LIKE ?1 OR lucky LIKE ?1 OR affine LIKE ?1 LIMIT ?2",
                           -1, &m_s, nullptr);
    }
    ~LikeScan() { sqlite3_finalize(m_s); }
    int run(const QString &word)
    {
        const QByteArray pattern = ('%' + word + '%').toUtf8();
        sqlite3_bind_text(m_s, 1, pattern.constData(), pattern.size(), SQLITE_TRANSIENT);
        sqlite3_bind_int(m_s, 2, Screen);
        int n = 0;
        while (sqlite3_step(m_s) == SQLITE_ROW)
            ++n;
        sqlite3_reset(m_s);
        return n;
    }

private:
    sqlite3_stmt *m_s = nullptr;
};

qint64 queryNumber(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    const qint64 n = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
    sqlite3_finalize(s);
    return n;
}

// A post of a changed meaning, as the window makes it.
double postOfAnEdit(const QString &dir, const QString &name)
{
    Table t;
    t.setDatabaseDir(dir);
    t.open();
    t.locate(QStringLiteral("Imagen Onírica"), name, Table::PartialKey);
    int n = 0;
    return medianOf(50, [&] {
        t.edit();
        t.setFieldValue(InterpretacionOnirica, QStringLiteral("Cambio número %1").arg(++n));
        t.post();
    });
}

// A copy of the table in another directory, without the index of words. The table is
// closed, so a plain copy of its file is the whole table.
QString copyWithoutIndex(const QString &dir, const QString &tempDir)
{
    const QString copyDir = QDir(tempDir).filePath(QStringLiteral("old"));
    QDir().mkpath(copyDir);
    if (!QFile::copy(Storage::tablePath(dir), Storage::tablePath(copyDir)))
        throw EngineError(QStringLiteral("cannot copy the table to %1").arg(copyDir));
    Storage s;
    s.open(copyDir);
    s.begin();
    TextIndex::drop(s.handle(), s.path());
    s.commit();
    return copyDir;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is measured
    QTemporaryDir temp;
    const BenchTable::Setup setup = BenchTable::setUp(app, temp.path());
    const QString dir = setup.dir;

    struct Query
    {
        const char *label;
        QString text;
        QString like; // what the baseline looks for
        const char *target;
    };
    const QString rare = QStringLiteral("quimera");
    const Query queries[] = {
        {"word in every entry", QStringLiteral("fortuna"), QStringLiteral("fortuna"), "< 20 ms"},
        {"word in 1 name in 13", QStringLiteral("agua"), QStringLiteral("agua"), "< 20 ms"},
        {"two words", QStringLiteral("agua luna"), QStringLiteral("agua luna"), "< 20 ms"},
        {"rare word", rare, rare, "< 5 ms"},
        {"number", QStringLiteral("47"), QStringLiteral("47"), "< 20 ms"},
    };

    std::printf("\n%-28s %14s %14s %9s   %s\n", "first screen (20)", "search", "LIKE scan", "ratio",
                "target");
    {
        Storage storage;
        storage.open(dir, Storage::Access::ReadOnly);
        LikeScan like(storage.handle());
        for (const Query &q : queries) {
            const int found = firstScreen(storage, q.text);
            const double search = medianOf(50, [&] { firstScreen(storage, q.text); });
            const double baseline = medianOf(found < Screen ? 3 : 50, [&] { like.run(q.like); });
            char label[64];
            std::snprintf(label, sizeof label, "%s (%d)", q.label, found);
            report(label, search, baseline, q.target);
        }
    }

    const QString name = BenchTable::name(setup.rows / 2);
    const double post = postOfAnEdit(dir, name);
    const QString old = copyWithoutIndex(dir, temp.path());
    report("post of an edit", post, postOfAnEdit(old, name), "< 10 ms; baseline: no index");

    std::printf("\n%-28s %14s %14s\n", "reader without the index", "reads rows", "with index");
    {
        Storage withIndex;
        withIndex.open(dir, Storage::Access::ReadOnly);
        Storage without;
        without.open(old, Storage::Access::ReadOnly);
        for (const QString &text : {QStringLiteral("fortuna"), rare}) {
            const double scan = medianOf(3, [&] { firstScreen(without, text); });
            report(qPrintable(QStringLiteral("first screen, ") + text), scan,
                   medianOf(3, [&] { firstScreen(withIndex, text); }), "slower, same results");
        }
    }
    {
        Storage s;
        s.open(old);
        QElapsedTimer t;
        t.start();
        s.buildTextIndex([](qint64, qint64) { return true; });
        std::printf("%-28s %11.1f s\n", "making the index", double(t.elapsed()) / 1000);
    }

    {
        Storage s;
        s.open(dir, Storage::Access::ReadOnly);
        const qint64 index = queryNumber(s.handle(), "SELECT sum(pgsize) FROM dbstat WHERE name"
                                                     " GLOB 'dreams_words*' OR name GLOB "
                                                     "'dreams_names*'");
        const qint64 texts = queryNumber(
            s.handle(), "SELECT sum(length(CAST(name AS BLOB)) + ifnull(length(CAST(meaning AS "
                        "BLOB)), 0) + ifnull(length(CAST(notes AS BLOB)), 0) + ifnull(length("
                        "CAST(lucky AS BLOB)), 0) + ifnull(length(CAST(affine AS BLOB)), 0)) "
                        "FROM dreams");
        std::printf("\n%-28s %11.1f MB %11.1f MB %8.2fx   %s\n", "index size, texts' size",
                    double(index) / 1048576, double(texts) / 1048576,
                    texts ? double(index) / double(texts) : 0.0, "<= 1x");
    }
    return 0;
}
