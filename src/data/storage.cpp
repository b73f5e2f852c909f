#include "storage.h"

#include "collation.h"
#include "errors.h"
#include "picturecodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>

namespace {

constexpr int ApplicationId = 0x4E4F4354; // marks a dream table file
constexpr int SchemaVersion = 1;
constexpr int BusyTimeoutMs = 5000;
qint64 sampleMinimumRows = 20000;
int sampleStep = 1024;

const char *const SchemaSql = "CREATE TABLE dreams ("
                              " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                              " name TEXT NOT NULL CHECK (length(name) BETWEEN 1 AND 50),"
                              " meaning TEXT, notes TEXT, lucky TEXT, affine TEXT, picture BLOB,"
                              " skey BLOB NOT NULL);"
                              "CREATE UNIQUE INDEX dreams_name ON dreams(name);"
                              "CREATE UNIQUE INDEX dreams_order ON dreams(skey);";

#define ROW_COLUMNS "id, name, meaning, notes, lucky, affine, picture, skey"

QString sqliteMessage(sqlite3 *db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

} // namespace

struct Storage::Statements
{
    sqlite3_stmt *byId = nullptr;
    sqlite3_stmt *first = nullptr;
    sqlite3_stmt *last = nullptr;
    sqlite3_stmt *after = nullptr;
    sqlite3_stmt *before = nullptr;
    sqlite3_stmt *insert = nullptr;
    sqlite3_stmt *update = nullptr;
    sqlite3_stmt *remove = nullptr;
    sqlite3_stmt *namesAfter = nullptr;
    sqlite3_stmt *namesFromInclusive = nullptr;
    sqlite3_stmt *namesBefore = nullptr;
    sqlite3_stmt *namesToInclusive = nullptr;
    sqlite3_stmt *namesFirst = nullptr;
    sqlite3_stmt *namesLast = nullptr;
    sqlite3_stmt *count = nullptr;
    sqlite3_stmt *rank = nullptr;
    sqlite3_stmt *atRank = nullptr;
    sqlite3_stmt *forwardFrom = nullptr;
    sqlite3_stmt *backwardFrom = nullptr;
    sqlite3_stmt *prefixExists = nullptr;
    sqlite3_stmt *prefixFirst = nullptr;
    sqlite3_stmt *dataVersion = nullptr;
    sqlite3_stmt *namesFirstKey = nullptr;
    sqlite3_stmt *keyAfterStep = nullptr;
    sqlite3_stmt *rankFrom = nullptr;
    sqlite3_stmt *atRankFrom = nullptr;

    // Every statement prepared on the connection, finalized together before it closes.
    std::vector<sqlite3_stmt *> all;

    ~Statements()
    {
        for (sqlite3_stmt *s : all)
            sqlite3_finalize(s);
    }
};

namespace {

// Resets a statement when it goes out of scope, so that no read stays open.
class Use
{
public:
    explicit Use(sqlite3_stmt *s) : m_s(s) {}
    ~Use()
    {
        sqlite3_reset(m_s);
        sqlite3_clear_bindings(m_s);
    }
    Use(const Use &) = delete;
    Use &operator=(const Use &) = delete;

private:
    sqlite3_stmt *m_s;
};

void bindText(sqlite3_stmt *s, int i, const QVariant &v)
{
    if (v.isNull()) {
        sqlite3_bind_null(s, i);
        return;
    }
    const QByteArray u = v.toString().toUtf8();
    sqlite3_bind_text(s, i, u.constData(), u.size(), SQLITE_TRANSIENT);
}

void bindBlob(sqlite3_stmt *s, int i, const QByteArray &b)
{
    sqlite3_bind_blob64(s, i, b.isEmpty() ? "" : b.constData(), sqlite3_uint64(b.size()),
                        SQLITE_TRANSIENT);
}

QVariant columnText(sqlite3_stmt *s, int col)
{
    if (sqlite3_column_type(s, col) == SQLITE_NULL)
        return QVariant();
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(s, col));
    return QString::fromUtf8(p, sqlite3_column_bytes(s, col));
}

QVariant columnBlob(sqlite3_stmt *s, int col)
{
    if (sqlite3_column_type(s, col) == SQLITE_NULL)
        return QVariant();
    const auto *p = static_cast<const char *>(sqlite3_column_blob(s, col));
    const int n = sqlite3_column_bytes(s, col);
    return QByteArray(p ? p : "", n);
}

} // namespace

QString Storage::fileName()
{
    return QStringLiteral("SUEÑOS.db");
}

QString Storage::tablePath(const QString &dir)
{
    return QDir(dir).filePath(fileName());
}

Storage::Storage() = default;

Storage::~Storage()
{
    close();
}

void Storage::create(const QString &dir)
{
    const QFileInfo d(dir);
    if (!d.isDir())
        throw EngineError(QStringLiteral("Database directory %1 does not exist")
                              .arg(QDir::toNativeSeparators(dir)));
    const QString path = tablePath(dir);
    if (QFileInfo::exists(path))
        throw EngineError(QStringLiteral("The dream table %1 already exists")
                              .arg(QDir::toNativeSeparators(path)));
    sqlite3 *db = nullptr;
    const QByteArray p = QFile::encodeName(path);
    int rc = sqlite3_open_v2(p.constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE,
                             nullptr);
    QString error;
    if (rc == SQLITE_OK) {
        const QByteArray sql = QByteArray("PRAGMA journal_mode=WAL; PRAGMA application_id=") +
                               QByteArray::number(ApplicationId) +
                               "; PRAGMA user_version=" + QByteArray::number(SchemaVersion) +
                               "; BEGIN; " + SchemaSql + " COMMIT;";
        rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK)
        error = sqliteMessage(db);
    sqlite3_close(db);
    if (!error.isEmpty()) {
        QFile::remove(path);
        throw EngineError(QStringLiteral("Cannot create the dream table %1: %2")
                              .arg(QDir::toNativeSeparators(path), error));
    }
}

void Storage::fail(const QString &what) const
{
    throw EngineError(
        QStringLiteral("%1 (%2): %3")
            .arg(what, QDir::toNativeSeparators(tablePath(m_dir)), sqliteMessage(m_db)));
}

void Storage::open(const QString &dir, bool readOnly)
{
    close();
    const QString path = tablePath(dir);
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo(dir).isDir())
        throw EngineError(QStringLiteral("Database directory %1 does not exist")
                              .arg(QDir::toNativeSeparators(dir)));
    const QFileInfo fi(path);
    if (!fi.exists())
        throw EngineError(QStringLiteral("The dream table %1 does not exist").arg(shown));
    if (!fi.isFile() || !fi.isReadable())
        throw EngineError(QStringLiteral("The dream table %1 cannot be read").arg(shown));

    // Look at the file before SQLite does anything with it.
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            throw EngineError(
                QStringLiteral("Cannot open the dream table %1: %2").arg(shown, f.errorString()));
        if (f.read(16) != QByteArray("SQLite format 3\0", 16))
            throw EngineError(QStringLiteral("%1 is not a dream table").arg(shown));
    }

    m_readOnly = readOnly || !fi.isWritable() || !QFileInfo(dir).isWritable();
    const QByteArray p = QFile::encodeName(path);
    const int flags = m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (sqlite3_open_v2(p.constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        const QString msg = sqliteMessage(m_db);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw EngineError(QStringLiteral("Cannot open the dream table %1: %2").arg(shown, msg));
    }
    m_dir = dir;
    sqlite3_busy_timeout(m_db, BusyTimeoutMs);
    sqlite3_extended_result_codes(m_db, 1);

    try {
        // The file must hold our table and both indexes, and nothing is written before that.
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(m_db, "PRAGMA application_id", -1, &s, nullptr) != SQLITE_OK)
            fail(QStringLiteral("Cannot read the dream table"));
        int appId = 0;
        if (sqlite3_step(s) == SQLITE_ROW)
            appId = sqlite3_column_int(s, 0);
        sqlite3_finalize(s);
        if (appId != ApplicationId)
            throw EngineError(QStringLiteral("%1 is not a dream table").arg(shown));

        s = nullptr;
        sqlite3_prepare_v2(m_db,
                           "SELECT name FROM sqlite_master WHERE (type='table' AND name='dreams')"
                           " OR (type='index' AND tbl_name='dreams' AND name IN"
                           " ('dreams_name','dreams_order'))",
                           -1, &s, nullptr);
        bool table = false, byName = false, byOrder = false;
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            const QByteArray n(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
            table |= n == "dreams";
            byName |= n == "dreams_name";
            byOrder |= n == "dreams_order";
        }
        sqlite3_finalize(s);
        if (rc != SQLITE_DONE)
            fail(QStringLiteral("Cannot read the dream table"));
        if (!table)
            throw EngineError(QStringLiteral("%1 holds no dream table").arg(shown));
        if (!byName || !byOrder)
            throw EngineError(
                QStringLiteral("The index on 'Imagen Onírica' of %1 is missing").arg(shown));

        if (!m_readOnly)
            sqlite3_exec(m_db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);

        m_stmts = std::make_unique<Statements>();
        Statements &st = *m_stmts;
        st.byId = prepare("SELECT " ROW_COLUMNS " FROM dreams WHERE id=?1");
        st.first = prepare("SELECT " ROW_COLUMNS " FROM dreams ORDER BY skey LIMIT 1");
        st.last = prepare("SELECT " ROW_COLUMNS " FROM dreams ORDER BY skey DESC LIMIT 1");
        st.after =
            prepare("SELECT " ROW_COLUMNS " FROM dreams WHERE skey>?1 ORDER BY skey LIMIT 1");
        st.before =
            prepare("SELECT " ROW_COLUMNS " FROM dreams WHERE skey<?1 ORDER BY skey DESC LIMIT 1");
        st.forwardFrom = prepare("SELECT " ROW_COLUMNS
                                 " FROM dreams WHERE skey>?1 ORDER BY skey LIMIT 1 OFFSET ?2");
        st.backwardFrom =
            prepare("SELECT " ROW_COLUMNS
                    " FROM dreams WHERE skey<?1 ORDER BY skey DESC LIMIT 1 OFFSET ?2");
        if (!m_readOnly) {
            st.insert = prepare("INSERT INTO dreams (name, meaning, notes, lucky, affine, picture,"
                                " skey) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
            st.update = prepare("UPDATE dreams SET name=?1, meaning=?2, notes=?3, lucky=?4,"
                                " affine=?5, picture=?6, skey=?7 WHERE id=?8");
            st.remove = prepare("DELETE FROM dreams WHERE id=?1");
        }
        st.namesAfter = prepare("SELECT id, name FROM dreams WHERE skey>?1 ORDER BY skey LIMIT ?2");
        st.namesFromInclusive =
            prepare("SELECT id, name FROM dreams WHERE skey>=?1 ORDER BY skey LIMIT ?2");
        st.namesBefore =
            prepare("SELECT id, name FROM dreams WHERE skey<?1 ORDER BY skey DESC LIMIT ?2");
        st.namesToInclusive =
            prepare("SELECT id, name FROM dreams WHERE skey<=?1 ORDER BY skey DESC LIMIT ?2");
        st.namesFirst = prepare("SELECT id, name FROM dreams ORDER BY skey LIMIT ?1");
        st.namesLast = prepare("SELECT id, name FROM dreams ORDER BY skey DESC LIMIT ?1");
        st.count = prepare("SELECT count(*) FROM dreams");
        st.rank = prepare("SELECT count(*) FROM dreams WHERE skey<?1");
        st.atRank = prepare("SELECT " ROW_COLUMNS " FROM dreams ORDER BY skey LIMIT 1 OFFSET ?1");
        st.prefixExists = prepare("SELECT 1 FROM dreams WHERE name>=?1 AND name<?2 LIMIT 1");
        st.dataVersion = prepare("PRAGMA data_version");
        st.namesFirstKey = prepare("SELECT skey FROM dreams ORDER BY skey LIMIT 1");
        st.keyAfterStep =
            prepare("SELECT skey FROM dreams WHERE skey>=?1 ORDER BY skey LIMIT 1 OFFSET ?2");
        st.rankFrom = prepare("SELECT count(*) FROM dreams WHERE skey>=?1 AND skey<?2");
        st.atRankFrom = prepare("SELECT " ROW_COLUMNS
                                " FROM dreams WHERE skey>=?1 ORDER BY skey LIMIT 1 OFFSET ?2");
        st.prefixFirst = prepare("SELECT " ROW_COLUMNS " FROM dreams WHERE skey>=?1 AND skey<?2"
                                 " AND substr(name, 1, ?3)=?4 ORDER BY skey LIMIT 1");
    } catch (...) {
        close();
        throw;
    }
}

void Storage::close()
{
    m_sample.clear();
    m_sampleRows = -1;
    m_stmts.reset();
    if (m_db) {
        const int rc = sqlite3_close(m_db);
        Q_ASSERT_X(rc == SQLITE_OK, "Storage::close", "a statement was left unfinalized");
        Q_UNUSED(rc)
        m_db = nullptr;
    }
}

sqlite3_stmt *Storage::prepare(const char *sql)
{
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
        fail(QStringLiteral("Cannot read the dream table"));
    m_stmts->all.push_back(s);
    return s;
}

void Storage::begin()
{
    if (sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QStringLiteral("Cannot start a transaction"));
}

void Storage::commit()
{
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QStringLiteral("Cannot commit"));
}

void Storage::rollback()
{
    dropSample(); // the changes it counted are undone
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

QByteArray Storage::sortKeyOf(const Row &row)
{
    return row.sortKey.isEmpty() ? Collation::sortKey(row.name()) : row.sortKey;
}

namespace {
void bindRow(sqlite3_stmt *s, const Row &row)
{
    // Names are kept composed, so that one name has one spelling in the exact index.
    bindText(s, 1,
             row.values[ImagenOnirica].isNull() ? QVariant()
                                                : QVariant(Collation::normalized(row.name())));
    for (int f = InterpretacionOnirica; f <= NAfin; ++f)
        bindText(s, f + 1, row.values[f]);
    const QVariant &pic = row.values[GraficoBMP];
    if (pic.isNull())
        sqlite3_bind_null(s, 6);
    else
        bindBlob(s, 6, pic.toByteArray());
    bindBlob(s, 7, Collation::sortKey(row.name()));
}

// A name is one line: the editors and the import make line breaks and tabs into blanks or
// refuse them, and no other way stores one either.
void checkOneLineName(const Row &row)
{
    const QString name = row.name();
    if (std::any_of(name.begin(), name.end(), isLineBreakOrTab))
        throw EngineError(QStringLiteral(
            "El nombre de una imagen onírica no puede llevar saltos de línea ni tabuladores"));
}
} // namespace

qint64 Storage::insertRow(const Row &row)
{
    checkOneLineName(row);
    if (!m_stmts || !m_stmts->insert)
        throw EngineError(QStringLiteral("The dream table is read-only"));
    sqlite3_stmt *s = m_stmts->insert;
    Use use(s);
    bindRow(s, row);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
        throw EngineError(
            QStringLiteral("Key violation: an entry named '%1' already exists").arg(row.name()));
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("Cannot store the entry '%1'").arg(row.name()));
    noteInserted(Collation::sortKey(row.name()));
    return sqlite3_last_insert_rowid(m_db);
}

void Storage::updateRow(const Row &row)
{
    checkOneLineName(row);
    if (!m_stmts || !m_stmts->update)
        throw EngineError(QStringLiteral("The dream table is read-only"));
    const std::optional<QByteArray> before = storedKey(row.id);
    sqlite3_stmt *s = m_stmts->update;
    Use use(s);
    bindRow(s, row);
    sqlite3_bind_int64(s, 8, row.id);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_CONSTRAINT_UNIQUE)
        throw EngineError(
            QStringLiteral("Key violation: an entry named '%1' already exists").arg(row.name()));
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("Cannot store the entry '%1'").arg(row.name()));
    if (sqlite3_changes(m_db) != 1)
        throw EngineError(
            QStringLiteral("The entry '%1' was deleted by another user").arg(row.name()));
    const QByteArray after = Collation::sortKey(row.name());
    if (before && *before != after) { // renamed: the row moves in the order
        noteDeleted(*before);
        noteInserted(after);
    }
}

void Storage::deleteRow(qint64 id)
{
    if (!m_stmts || !m_stmts->remove)
        throw EngineError(QStringLiteral("The dream table is read-only"));
    const std::optional<QByteArray> key = storedKey(id);
    sqlite3_stmt *s = m_stmts->remove;
    Use use(s);
    sqlite3_bind_int64(s, 1, id);
    if (sqlite3_step(s) != SQLITE_DONE)
        fail(QStringLiteral("Cannot delete the entry"));
    if (key && sqlite3_changes(m_db) == 1)
        noteDeleted(*key);
}

std::optional<QByteArray> Storage::storedKey(qint64 id)
{
    if (m_sampleRows < 0)
        return std::nullopt; // nothing to keep current
    if (auto row = rowById(id))
        return row->sortKey;
    return std::nullopt;
}

void Storage::noteInserted(const QByteArray &key)
{
    if (m_sampleRows < 0)
        return;
    for (Mark &m : m_sample) {
        if (m.key > key)
            ++m.rank;
    }
    ++m_sampleRows;
    if (++m_sampleEdits > sampleStep) // the gaps have grown: take the sample again
        m_sampleRows = -1;
}

void Storage::noteDeleted(const QByteArray &key)
{
    if (m_sampleRows < 0)
        return;
    m_sample.erase(std::remove_if(m_sample.begin(), m_sample.end(),
                                  [&](const Mark &m) { return m.key == key; }),
                   m_sample.end());
    for (Mark &m : m_sample) {
        if (m.key > key)
            --m.rank;
    }
    --m_sampleRows;
    if (++m_sampleEdits > sampleStep)
        m_sampleRows = -1;
}

std::optional<Row> Storage::fetchOne(sqlite3_stmt *s)
{
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE)
        return std::nullopt;
    if (rc != SQLITE_ROW)
        fail(QStringLiteral("Cannot read the dream table"));
    Row row;
    row.id = sqlite3_column_int64(s, 0);
    for (int f = ImagenOnirica; f <= NAfin; ++f)
        row.values[f] = columnText(s, f + 1);
    row.values[GraficoBMP] = columnBlob(s, 6);
    row.sortKey = columnBlob(s, 7).toByteArray();
    return row;
}

std::optional<Row> Storage::rowById(qint64 id)
{
    Use use(m_stmts->byId);
    sqlite3_bind_int64(m_stmts->byId, 1, id);
    return fetchOne(m_stmts->byId);
}

std::optional<Row> Storage::firstRow()
{
    Use use(m_stmts->first);
    return fetchOne(m_stmts->first);
}

std::optional<Row> Storage::lastRow()
{
    Use use(m_stmts->last);
    return fetchOne(m_stmts->last);
}

std::optional<Row> Storage::rowAfter(const QByteArray &anchor)
{
    Use use(m_stmts->after);
    bindBlob(m_stmts->after, 1, anchor);
    return fetchOne(m_stmts->after);
}

std::optional<Row> Storage::rowBefore(const QByteArray &anchor)
{
    Use use(m_stmts->before);
    bindBlob(m_stmts->before, 1, anchor);
    return fetchOne(m_stmts->before);
}

std::optional<Row> Storage::rowFrom(const QByteArray &anchor, qint64 n, qint64 *taken)
{
    *taken = 0;
    if (n == 0)
        return std::nullopt;
    sqlite3_stmt *s = n > 0 ? m_stmts->forwardFrom : m_stmts->backwardFrom;
    const qint64 steps = n > 0 ? n : -n;
    {
        Use use(s);
        bindBlob(s, 1, anchor);
        sqlite3_bind_int64(s, 2, steps - 1);
        if (auto row = fetchOne(s)) {
            *taken = steps;
            return row;
        }
    }
    // Fewer rows than asked for: go to the end in that direction and count the steps.
    auto row = n > 0 ? lastRow() : firstRow();
    if (!row)
        return std::nullopt;
    const QByteArray key = sortKeyOf(*row);
    if ((n > 0 && key <= anchor) || (n < 0 && key >= anchor))
        return std::nullopt;
    const qint64 a = rankOf(anchor);
    const qint64 b = rankOf(key);
    *taken = n > 0 ? b - a : a - b;
    return row;
}

std::optional<Row> Storage::firstWithPrefix(const QString &prefix)
{
    const QString p = Collation::normalized(prefix);
    const QByteArray u = p.toUtf8();
    // A short prefix may span a large part of the table in dictionary order: test on the
    // exact index first, so that a prefix no name has is answered at once.
    if (p.size() < 3) {
        Use use(m_stmts->prefixExists);
        sqlite3_bind_text(m_stmts->prefixExists, 1, u.constData(), u.size(), SQLITE_TRANSIENT);
        QByteArray upper = u;
        upper.append("\xF4\x90", 2); // beyond every UTF-8 character
        sqlite3_bind_text(m_stmts->prefixExists, 2, upper.constData(), upper.size(),
                          SQLITE_TRANSIENT);
        const int rc = sqlite3_step(m_stmts->prefixExists);
        if (rc == SQLITE_DONE)
            return std::nullopt;
        if (rc != SQLITE_ROW)
            fail(QStringLiteral("Cannot search the dream table"));
    }
    const QByteArray lo = Collation::primaryPrefix(p);
    QByteArray hi = lo;
    hi.append("\xFF\xFF", 2);
    Use use(m_stmts->prefixFirst);
    bindBlob(m_stmts->prefixFirst, 1, lo);
    bindBlob(m_stmts->prefixFirst, 2, hi);
    sqlite3_bind_int64(m_stmts->prefixFirst, 3, p.toUcs4().size());
    sqlite3_bind_text(m_stmts->prefixFirst, 4, u.constData(), u.size(), SQLITE_TRANSIENT);
    return fetchOne(m_stmts->prefixFirst);
}

QVector<RowName> Storage::namesFrom(const QByteArray &anchor, int count, bool forward,
                                    bool inclusive)
{
    QVector<RowName> out;
    if (count <= 0)
        return out;
    sqlite3_stmt *s;
    int limitAt = 2;
    if (anchor.isEmpty()) {
        s = forward ? m_stmts->namesFirst : m_stmts->namesLast;
        limitAt = 1;
    } else if (forward) {
        s = inclusive ? m_stmts->namesFromInclusive : m_stmts->namesAfter;
    } else {
        s = inclusive ? m_stmts->namesToInclusive : m_stmts->namesBefore;
    }
    Use use(s);
    if (!anchor.isEmpty())
        bindBlob(s, 1, anchor);
    sqlite3_bind_int(s, limitAt, count);
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        RowName n;
        n.id = sqlite3_column_int64(s, 0);
        n.name = columnText(s, 1).toString();
        out.append(n);
    }
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("Cannot read the dream table"));
    return out;
}

void Storage::setSampling(qint64 minimumRows, int step)
{
    sampleMinimumRows = minimumRows;
    sampleStep = qMax(1, step);
}

qint64 Storage::dataVersion()
{
    Use use(m_stmts->dataVersion);
    if (sqlite3_step(m_stmts->dataVersion) != SQLITE_ROW)
        fail(QStringLiteral("Cannot read the dream table"));
    return sqlite3_column_int64(m_stmts->dataVersion, 0);
}

// Whether the sample describes the table as it is now; takes it again when it does not and
// the table is large enough to need it.
bool Storage::sampleUsable()
{
    const qint64 version = dataVersion(); // changes when another connection commits
    if (m_sampleRows >= 0 && version == m_sampleVersion)
        return true;
    m_sampleRows = -1;
    m_sample.clear();
    m_sampleEdits = 0;
    qint64 count;
    {
        Use use(m_stmts->count);
        if (sqlite3_step(m_stmts->count) != SQLITE_ROW)
            fail(QStringLiteral("Cannot read the dream table"));
        count = sqlite3_column_int64(m_stmts->count, 0);
    }
    if (count < sampleMinimumRows) {
        m_sampleRows = count; // small: counted directly, no sample needed
        m_sampleVersion = version;
        return false;
    }
    // Hop through the order index: each look-up skips step entries inside the engine.
    std::vector<Mark> sample;
    sample.reserve(size_t(count / sampleStep + 1));
    QByteArray key;
    for (;;) {
        sqlite3_stmt *s = sample.empty() ? m_stmts->namesFirstKey : m_stmts->keyAfterStep;
        Use use(s);
        if (!sample.empty()) {
            bindBlob(s, 1, key);
            sqlite3_bind_int64(s, 2, sampleStep);
        }
        const int rc = sqlite3_step(s);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            fail(QStringLiteral("Cannot read the dream table"));
        key = columnBlob(s, 0).toByteArray();
        sample.push_back({key, qint64(sample.size()) * sampleStep});
    }
    const qint64 rows = count;
    m_sample = std::move(sample);
    m_sampleRows = rows;
    m_sampleVersion = version;
    return true;
}

qint64 Storage::rowCount()
{
    sampleUsable();
    return m_sampleRows;
}

qint64 Storage::rankOf(const QByteArray &anchor)
{
    if (!sampleUsable() || m_sample.empty()) {
        Use use(m_stmts->rank);
        bindBlob(m_stmts->rank, 1, anchor);
        if (sqlite3_step(m_stmts->rank) != SQLITE_ROW)
            fail(QStringLiteral("Cannot read the dream table"));
        return sqlite3_column_int64(m_stmts->rank, 0);
    }
    // The last sampled key before the anchor, then the few rows between.
    auto it = std::upper_bound(m_sample.begin(), m_sample.end(), anchor,
                               [](const QByteArray &a, const Mark &m) { return a < m.key; });
    if (it == m_sample.begin()) { // before every mark: only a few rows lie there
        Use use(m_stmts->rank);
        bindBlob(m_stmts->rank, 1, anchor);
        if (sqlite3_step(m_stmts->rank) != SQLITE_ROW)
            fail(QStringLiteral("Cannot read the dream table"));
        return sqlite3_column_int64(m_stmts->rank, 0);
    }
    --it;
    Use use(m_stmts->rankFrom);
    bindBlob(m_stmts->rankFrom, 1, it->key);
    bindBlob(m_stmts->rankFrom, 2, anchor);
    if (sqlite3_step(m_stmts->rankFrom) != SQLITE_ROW)
        fail(QStringLiteral("Cannot read the dream table"));
    return it->rank + sqlite3_column_int64(m_stmts->rankFrom, 0);
}

std::optional<Row> Storage::rowAtRank(qint64 rank)
{
    if (rank < 0)
        return std::nullopt;
    if (!sampleUsable() || m_sample.empty()) {
        Use use(m_stmts->atRank);
        sqlite3_bind_int64(m_stmts->atRank, 1, rank);
        return fetchOne(m_stmts->atRank);
    }
    auto it = std::upper_bound(m_sample.begin(), m_sample.end(), rank,
                               [](qint64 r, const Mark &m) { return r < m.rank; });
    if (it == m_sample.begin()) { // before every mark: only a few rows lie there
        Use use(m_stmts->atRank);
        sqlite3_bind_int64(m_stmts->atRank, 1, rank);
        return fetchOne(m_stmts->atRank);
    }
    --it;
    Use use(m_stmts->atRankFrom);
    bindBlob(m_stmts->atRankFrom, 1, it->key);
    sqlite3_bind_int64(m_stmts->atRankFrom, 2, rank - it->rank);
    return fetchOne(m_stmts->atRankFrom);
}

QStringList Storage::check()
{
    QStringList problems;
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(m_db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK) {
        while (sqlite3_step(s) == SQLITE_ROW) {
            const QString line =
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
            if (line != QLatin1String("ok"))
                problems << line;
        }
    } else {
        problems << sqliteMessage(m_db);
    }
    sqlite3_finalize(s);

    // The table's own rules: names present, at most 50 characters, sort keys current,
    // pictures readable.
    s = nullptr;
    sqlite3_prepare_v2(m_db, "SELECT id, name, skey, picture FROM dreams ORDER BY skey", -1, &s,
                       nullptr);
    QByteArray previous;
    int rc;
    while (s && (rc = sqlite3_step(s)) == SQLITE_ROW) {
        const qint64 id = sqlite3_column_int64(s, 0);
        const QString name = columnText(s, 1).toString();
        const QByteArray key = columnBlob(s, 2).toByteArray();
        if (name.isEmpty() || name.toUcs4().size() > NameMaxLength)
            problems
                << QStringLiteral("entry %1: the name '%2' is empty or too long").arg(id).arg(name);
        if (key != Collation::sortKey(name))
            problems << QStringLiteral("entry %1 ('%2'): its place in name order is out of date")
                            .arg(id)
                            .arg(name);
        if (!previous.isEmpty() && key <= previous)
            problems << QStringLiteral("entry %1 ('%2'): out of name order").arg(id).arg(name);
        previous = key;
        if (sqlite3_column_type(s, 3) != SQLITE_NULL) {
            const QByteArray pic = columnBlob(s, 3).toByteArray();
            // Either form is readable: with the 8-byte header or a plain bitmap file image.
            if (!PictureCodec::isDecodableBitmap(PictureCodec::bitmapFile(pic)))
                problems << QStringLiteral("entry %1 ('%2'): the picture is not a readable bitmap")
                                .arg(id)
                                .arg(name);
        }
    }
    sqlite3_finalize(s);
    return problems;
}
