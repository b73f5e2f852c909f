#pragma once

#include "data/fields.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class Connection;
class TextTokenizer;

// One dream entry as stored. Text fields hold a QString or are null; the picture holds a
// QByteArray (the stored bytes, exactly as they are in the file) or is null.
struct Row
{
    qint64 id = 0; // storage identity; 0 for a row not stored yet
    std::array<QVariant, FieldCount> values;
    QByteArray sortKey; // as stored; empty for a row not read from storage

    QString name() const { return values[ImagenOnirica].toString(); }
};

// A name with its storage identity, as lists show them.
struct RowName
{
    qint64 id = 0;
    QString name;
};

// One entry's texts as stored (UTF-8), as the search in the texts reads them (textsearch.h).
struct TextRow
{
    qint64 id = 0;
    QByteArray name, meaning, notes, lucky, affine;
    QByteArray sortKey;     // as stored; empty for a row read by id
    bool namesOnly = false; // only the name was read
};

// The dream table file "SUEÑOS.db" in a database directory: an SQLite database with one
// table of the six fields, a unique index on the exact name and a unique index on the
// name's dictionary sort key. Rows are presented in dictionary order of the name.
// Every failure throws EngineError with a message that names the file and the reason.
class Storage
{
public:
    static QString fileName();                    // "SUEÑOS.db"
    static QString tablePath(const QString &dir); // dir + "/SUEÑOS.db"

    // Makes a new, empty table file in an existing directory; see TableFile::create.
    static void create(const QString &dir);

    // How a table is opened.
    enum class Access {
        ReadWrite, // for editing; a file or directory this user cannot write opens read-only
        ReadOnly,  // for browsing only
        Snapshot,  // for one consistent read that no other program changes meanwhile, as the
                   // database tool reads; other programs wait or read alongside
    };

    Storage();
    ~Storage();
    Storage(const Storage &) = delete;
    Storage &operator=(const Storage &) = delete;

    // Opens an existing table. Checks the directory, the file, the table and its indexes
    // where nothing can be written, so that a file that fails is left as it was, with its
    // log and shared memory; only then opens it for editing. Tells a table locked by another
    // program, a damaged one, one beside a log that is not its own and a file that is no
    // dream table apart.
    void open(const QString &dir, Access access = Access::ReadWrite);
    // The same for a table file under any name (a copy being made or checked).
    void openFile(const QString &path, Access access);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    bool isReadOnly() const { return m_readOnly; }
    QString directory() const { return m_dir; }
    QString path() const { return m_path; }

    void begin(); // a write transaction
    // A read transaction: every read until commit() sees the table as it was at the first.
    void beginRead();
    void commit();
    void rollback();

    // Writes. insertRow returns the new id; a duplicate name raises the key violation.
    qint64 insertRow(const Row &row);
    qint64 idOfName(const QString &name); // 0 when no entry has exactly this name
    void updateRow(const Row &row);
    void deleteRow(qint64 id);

    // Reads in dictionary order. "anchor" is a row's sort key.
    std::optional<Row> rowById(qint64 id);
    std::optional<Row> firstRow();
    std::optional<Row> lastRow();
    std::optional<Row> rowAfter(const QByteArray &anchor);
    std::optional<Row> rowBefore(const QByteArray &anchor);
    // The row |n| steps from the anchor (n > 0 forwards, n < 0 backwards), or the row
    // furthest in that direction when fewer exist; reports the steps actually taken.
    std::optional<Row> rowFrom(const QByteArray &anchor, qint64 n, qint64 *taken);
    // First row in name order whose name begins with prefix, exactly (case and accents).
    std::optional<Row> firstWithPrefix(const QString &prefix);

    // Names for list views: up to count rows after (forward) or before the anchor,
    // nearest first. An empty anchor means from the start (forward) or end (backward).
    QVector<RowName> namesFrom(const QByteArray &anchor, int count, bool forward,
                               bool inclusive = false);

    // Positions in name order. On a large table these use a sample of every
    // SampleStep-th sort key, taken in one pass on first use and taken again after the
    // order changed (a row added, deleted or renamed here or by another connection), so
    // that later look-ups read at most SampleStep index entries.
    qint64 rowCount();
    qint64 rankOf(const QByteArray &anchor); // rows before the anchor in name order
    std::optional<Row> rowAtRank(qint64 rank);
    static void setSampling(qint64 minimumRows, int step); // for tests; defaults 20000, 1024

    // The search in the texts (textsearch.h). Whether the table has its index of words, whole;
    // making the index on a table made before it existed, in one transaction: progress is
    // told the entries done and the total, and when it answers false nothing is made and the
    // answer is false.
    bool hasTextIndex();
    bool buildTextIndex(const std::function<bool(qint64 done, qint64 total)> &progress);
    const TextTokenizer &textTokenizer();
    // Entries' texts in name order after an anchor (an empty one: from the start), one entry's
    // texts (only the names when namesOnly).
    // With an expression of the index, only the entries that match it.
    QVector<TextRow> textRowsAfter(const QByteArray &anchor, int count, bool namesOnly,
                                   const QByteArray &expression = QByteArray());
    std::optional<TextRow> textRowById(qint64 id, bool namesOnly = false);
    // The ids, ascending, of the entries whose words match an expression of the index, over
    // the names only or over all the texts (at most limit of them, when limit > 0: the
    // first ones the index gives); how many times, up to cap, the index holds a word in
    // [from, to), over the names or over all the texts.
    std::vector<qint64> textCandidates(bool namesOnly, const QByteArray &expression, int limit = 0);
    int indexedWords(bool namesOnly, const QByteArray &from, const QByteArray &to, int cap);

    // Integrity problems found by the engine's check and the table's own checks, the index
    // of words among them; empty when the table is sound. progress, when given, is told how
    // many entries have been checked.
    QStringList check(const std::function<void(qint64 done)> &progress = {});

    static QByteArray sortKeyOf(const Row &row);

    // The engine's handle, for the table file operations of the table layer.
    sqlite3 *handle() const { return m_db; }
    struct Statements; // the prepared statements (inside the table layer)

private:
    void prepareStatements();
    void prepareTextStatements();
    QStringList engineCheck();
    sqlite3_stmt *prepare(const char *sql);
    [[noreturn]] void fail(const QString &what) const;
    void checkWritable() const;
    std::optional<Row> fetchOne(sqlite3_stmt *stmt);

    bool sampleUsable();
    qint64 dataVersion();
    std::optional<QByteArray> storedKey(qint64 id);
    void noteInserted(const QByteArray &key);
    void noteDeleted(const QByteArray &key);
    void dropSample() { m_sampleRows = -1; }

    std::unique_ptr<Connection> m_connection;
    sqlite3 *m_db = nullptr; // the connection's handle
    struct Mark
    {
        QByteArray key;
        qint64 rank; // rows before key in name order
    };
    std::vector<Mark> m_sample; // every step-th sort key when taken, kept current after
    qint64 m_sampleRows = -1;   // rows in the table; -1: the sample must be taken again
    qint64 m_sampleVersion = -1;
    qint64 m_sampleEdits = 0; // own changes of the order since the sample was taken
    QString m_dir;
    QString m_path;
    bool m_readOnly = false;
    std::unique_ptr<Statements> m_stmts;
    std::unique_ptr<TextTokenizer> m_tokenizer;
};
