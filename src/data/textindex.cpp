#include "data/textindex.h"

#include "data/errors.h"
#include "data/tableconnection.h"
#include "data/textsearch.h"

#include <QDir>

#include <sqlite3.h>

#include <algorithm>
#include <vector>

// Words compared without case and accents; numbers are words of digits.
#define TEXT_INDEX_OPTIONS                                                                         \
    "content='dreams', content_rowid='id', tokenize='unicode61 remove_diacritics 2',"              \
    " detail=none, columnsize=0"
#define WORD_COLUMNS "name, meaning, notes, lucky, affine"

const char *const TextIndex::Sql =
    "CREATE VIRTUAL TABLE dreams_words USING fts5(" WORD_COLUMNS ", " TEXT_INDEX_OPTIONS ");"
    "CREATE VIRTUAL TABLE dreams_names USING fts5(name, " TEXT_INDEX_OPTIONS ");"
    "CREATE VIRTUAL TABLE dreams_words_terms USING fts5vocab(dreams_words, 'instance');"
    "CREATE VIRTUAL TABLE dreams_names_terms USING fts5vocab(dreams_names, 'instance');"
    "CREATE TRIGGER dreams_text_insert AFTER INSERT ON dreams BEGIN"
    " INSERT INTO dreams_words(rowid, " WORD_COLUMNS ")"
    "  VALUES (new.id, new.name, new.meaning, new.notes, new.lucky, new.affine);"
    " INSERT INTO dreams_names(rowid, name) VALUES (new.id, new.name);"
    " END;"
    "CREATE TRIGGER dreams_text_delete AFTER DELETE ON dreams BEGIN"
    " INSERT INTO dreams_words(dreams_words, rowid, " WORD_COLUMNS ")"
    "  VALUES ('delete', old.id, old.name, old.meaning, old.notes, old.lucky, old.affine);"
    " INSERT INTO dreams_names(dreams_names, rowid, name) VALUES ('delete', old.id, old.name);"
    " END;"
    "CREATE TRIGGER dreams_words_update AFTER UPDATE OF id, " WORD_COLUMNS " ON dreams"
    " WHEN old.id IS NOT new.id OR old.name IS NOT new.name OR old.meaning IS NOT new.meaning"
    "  OR old.notes IS NOT new.notes OR old.lucky IS NOT new.lucky"
    "  OR old.affine IS NOT new.affine BEGIN"
    " INSERT INTO dreams_words(dreams_words, rowid, " WORD_COLUMNS ")"
    "  VALUES ('delete', old.id, old.name, old.meaning, old.notes, old.lucky, old.affine);"
    " INSERT INTO dreams_words(rowid, " WORD_COLUMNS ")"
    "  VALUES (new.id, new.name, new.meaning, new.notes, new.lucky, new.affine);"
    " END;"
    "CREATE TRIGGER dreams_names_update AFTER UPDATE OF id, name ON dreams"
    " WHEN old.id IS NOT new.id OR old.name IS NOT new.name BEGIN"
    " INSERT INTO dreams_names(dreams_names, rowid, name) VALUES ('delete', old.id, old.name);"
    " INSERT INTO dreams_names(rowid, name) VALUES (new.id, new.name);"
    " END;";

namespace {

// The parts of the index, as the table file lists them.
struct Part
{
    const char *name;
    const char *kind; // as DROP names it
};
const Part Parts[] = {
    {"dreams_words", "TABLE"},          {"dreams_names", "TABLE"},
    {"dreams_words_terms", "TABLE"},    {"dreams_names_terms", "TABLE"},
    {"dreams_text_insert", "TRIGGER"},  {"dreams_text_delete", "TRIGGER"},
    {"dreams_words_update", "TRIGGER"}, {"dreams_names_update", "TRIGGER"},
};
constexpr int PartCount = int(sizeof Parts / sizeof *Parts);

int buildBatch = 5000; // entries indexed at a time while making the index

// One statement, finalized when it goes out of scope.
class Statement
{
public:
    Statement(sqlite3 *db, const char *sql)
    {
        m_rc = sqlite3_prepare_v2(db, sql, -1, &m_s, nullptr);
        m_prepared = m_rc == SQLITE_OK;
    }
    ~Statement() { sqlite3_finalize(m_s); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool ok() const { return m_prepared; }
    sqlite3_stmt *get() const { return m_s; }
    // Steps; false at the end. rc() tells an error from the end.
    bool row()
    {
        if (!ok())
            return false;
        m_rc = sqlite3_step(m_s);
        if (m_rc == SQLITE_ROW) {
            m_rc = SQLITE_OK;
            return true;
        }
        return false;
    }
    bool done() const { return m_rc == SQLITE_DONE || m_rc == SQLITE_OK; }
    int rc() const { return m_rc; }
    void reset() { sqlite3_reset(m_s); }
    qint64 integer(int col) const { return sqlite3_column_int64(m_s, col); }
    QByteArray text(int col) const
    {
        return QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(m_s, col)),
                          sqlite3_column_bytes(m_s, col));
    }

private:
    sqlite3_stmt *m_s = nullptr;
    int m_rc;
    bool m_prepared;
};

[[noreturn]] void fail(sqlite3 *db, const QString &path, int rc)
{
    throw EngineError(QStringLiteral("No se puede hacer el índice de búsqueda de %1: %2")
                          .arg(QDir::toNativeSeparators(path), engineReason(db, rc)));
}

qint64 countRows(sqlite3 *db)
{
    Statement s(db, "SELECT count(*) FROM dreams");
    return s.row() ? s.integer(0) : 0;
}

// The words of a text, hashed: which words an entry holds, summed so that the order does not
// count, and how many different ones there are.
struct WordSum
{
    quint64 sum = 0;
    qint64 count = 0;

    bool operator==(const WordSum &o) const { return sum == o.sum && count == o.count; }
    bool operator!=(const WordSum &o) const { return !(*this == o); }
};

quint64 wordHash(std::string_view word)
{
    quint64 h = 1469598103934665603ULL; // FNV-1a, then mixed
    for (char c : word)
        h = (h ^ quint8(c)) * 1099511628211ULL;
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return h;
}

// The different words of an entry's indexed texts.
WordSum wordsOfRow(const TextTokenizer &tokenizer, sqlite3_stmt *s, int columns)
{
    std::vector<quint64> words;
    for (int c = 1; c <= columns; ++c) {
        if (sqlite3_column_type(s, c) == SQLITE_NULL)
            continue;
        const QByteArray text(reinterpret_cast<const char *>(sqlite3_column_text(s, c)),
                              sqlite3_column_bytes(s, c));
        tokenizer.split(text, [&](std::string_view w, int, int) { words.push_back(wordHash(w)); });
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    WordSum sum;
    for (quint64 w : words)
        sum.sum += w;
    sum.count = qint64(words.size());
    return sum;
}

struct IndexDef
{
    const char *label;   // as the problems name it
    const char *rows;    // the entries' texts, by id
    const char *entries; // the index's words, by entry
    int columns;
};

const IndexDef indexDefs[] = {
    {"el índice de búsqueda de las palabras", "SELECT id, " WORD_COLUMNS " FROM dreams ORDER BY id",
     "SELECT doc, term FROM dreams_words_terms", 5},
    {"el índice de búsqueda de los nombres", "SELECT id, name FROM dreams ORDER BY id",
     "SELECT doc, term FROM dreams_names_terms", 1},
};

QString nameOf(sqlite3 *db, qint64 id)
{
    Statement s(db, "SELECT name FROM dreams WHERE id=?1");
    sqlite3_bind_int64(s.get(), 1, id);
    return s.row() ? QString::fromUtf8(s.text(0)) : QString();
}

// Compares one index with the rows: the words each entry holds by its texts and by the index.
void checkIndex(sqlite3 *db, const TextTokenizer &tokenizer, const IndexDef &def,
                QStringList *problems)
{
    std::vector<qint64> ids;
    std::vector<WordSum> byRows;
    Statement rows(db, def.rows);
    while (rows.row()) {
        ids.push_back(rows.integer(0));
        byRows.push_back(wordsOfRow(tokenizer, rows.get(), def.columns));
    }
    std::vector<WordSum> byIndex(ids.size());
    std::vector<qint64> strays;
    Statement entries(db, def.entries);
    while (entries.row()) {
        const qint64 doc = entries.integer(0);
        const auto it = std::lower_bound(ids.begin(), ids.end(), doc);
        if (it == ids.end() || *it != doc) {
            if (strays.empty() || strays.back() != doc)
                strays.push_back(doc);
            continue;
        }
        WordSum &sum = byIndex[size_t(it - ids.begin())];
        const QByteArray term = entries.text(1);
        sum.sum += wordHash(std::string_view(term.constData(), size_t(term.size())));
        ++sum.count;
    }
    const QString label = QString::fromUtf8(def.label);
    if (!rows.done() || !entries.done()) {
        *problems << QStringLiteral("%1 no se puede leer: %2")
                         .arg(label, engineReason(db, rows.done() ? entries.rc() : rows.rc()));
        return;
    }
    for (size_t i = 0; i < ids.size(); ++i) {
        if (byRows[i] != byIndex[i])
            *problems << QStringLiteral("entrada %1 (%2): %3 no está al día")
                             .arg(ids[i])
                             .arg(quoted(nameOf(db, ids[i])), label);
    }
    std::sort(strays.begin(), strays.end());
    strays.erase(std::unique(strays.begin(), strays.end()), strays.end());
    for (qint64 doc : strays)
        *problems << QStringLiteral("%1 guarda la entrada %2, que no está en la tabla")
                         .arg(label)
                         .arg(doc);
}

} // namespace

TextIndex::State TextIndex::state(sqlite3 *db)
{
    Statement s(db, "SELECT name FROM sqlite_master WHERE name LIKE 'dreams\\_%' ESCAPE '\\'");
    int found = 0;
    while (s.row()) {
        const QByteArray name = s.text(0);
        for (const Part &part : Parts)
            found += name == part.name;
    }
    if (found == 0)
        return State::Absent;
    return found == PartCount ? State::Complete : State::Incomplete;
}

void TextIndex::setBuildBatch(int entries)
{
    buildBatch = entries;
}

const char *TextIndex::tableName(bool namesOnly)
{
    return namesOnly ? "dreams_names" : "dreams_words";
}

void TextIndex::drop(sqlite3 *db, const QString &path)
{
    for (const Part &part : Parts) {
        const QByteArray drop = QByteArray("DROP ") + part.kind + " IF EXISTS " + part.name;
        if (int rc = sqlite3_exec(db, drop.constData(), nullptr, nullptr, nullptr))
            fail(db, path, rc);
    }
}

bool TextIndex::build(sqlite3 *db, const QString &path,
                      const std::function<bool(qint64 done, qint64 total)> &progress)
{
    drop(db, path); // what an incomplete index left
    if (int rc = sqlite3_exec(db, Sql, nullptr, nullptr, nullptr))
        fail(db, path, rc);
    const qint64 total = countRows(db);
    Statement upTo(db, "SELECT max(id) FROM (SELECT id FROM dreams WHERE id > ?1 ORDER BY id "
                       "LIMIT ?2)");
    Statement words(db, "INSERT INTO dreams_words(rowid, " WORD_COLUMNS ") SELECT id, " WORD_COLUMNS
                        " FROM dreams WHERE id > ?1 AND id <= ?2");
    Statement names(db, "INSERT INTO dreams_names(rowid, name) SELECT id, name FROM dreams"
                        " WHERE id > ?1 AND id <= ?2");
    qint64 last = 0;
    qint64 done = 0;
    for (;;) {
        if (!progress(done, total))
            return false;
        sqlite3_bind_int64(upTo.get(), 1, last);
        sqlite3_bind_int(upTo.get(), 2, buildBatch);
        const bool more = upTo.row() && sqlite3_column_type(upTo.get(), 0) != SQLITE_NULL;
        const qint64 next = more ? upTo.integer(0) : 0;
        upTo.reset();
        if (!upTo.done())
            fail(db, path, upTo.rc());
        if (!more)
            break;
        for (Statement *fill : {&words, &names}) {
            sqlite3_bind_int64(fill->get(), 1, last);
            sqlite3_bind_int64(fill->get(), 2, next);
            fill->row();
            const int rc = fill->rc();
            fill->reset();
            if (rc != SQLITE_DONE)
                fail(db, path, rc);
        }
        last = next;
        done = qMin(total, done + buildBatch);
    }
    return progress(total, total);
}

QStringList TextIndex::check(sqlite3 *db, const TextTokenizer &tokenizer)
{
    QStringList problems;
    const State s = state(db);
    if (s == State::Absent)
        return problems;
    if (s == State::Incomplete) {
        problems << QStringLiteral("al índice de búsqueda le faltan partes, así que no se "
                                   "mantiene al día (la próxima búsqueda lo rehará)");
        return problems;
    }
    for (const IndexDef &def : indexDefs)
        checkIndex(db, tokenizer, def, &problems);
    return problems;
}
