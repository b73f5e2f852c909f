#include "data/storage.h"

#include "data/collation.h"
#include "data/errors.h"
#include "data/picturecodec.h"
#include "data/tableconnection.h"
#include "data/tablefile.h"
#include "data/textindex.h"
#include "data/textsearch.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>

namespace {

qint64 sampleMinimumRows = 20000;
int sampleStep = 1024;

#define ROW_COLUMNS "id, name, meaning, notes, lucky, affine, picture, skey"

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
    sqlite3_stmt *idOfName = nullptr;
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
    sqlite3_stmt *textRowsAfter = nullptr;
    sqlite3_stmt *textNamesAfter = nullptr;
    sqlite3_stmt *matchingRowsAfter = nullptr;
    sqlite3_stmt *matchingNamesAfter = nullptr;
    sqlite3_stmt *textById = nullptr;
    sqlite3_stmt *nameById = nullptr;
    sqlite3_stmt *wordsMatch = nullptr;
    sqlite3_stmt *namesMatch = nullptr;
    sqlite3_stmt *wordsCount = nullptr;
    sqlite3_stmt *namesCount = nullptr;

    // Every statement prepared on the connection, finalized together before it closes.
    std::vector<sqlite3_stmt *> all;

    ~Statements()
    {
        for (sqlite3_stmt *s : all)
            sqlite3_finalize(s);
    }
};

namespace {

// The statements the storage prepares when it opens a table: the writing ones only on a
// table opened for editing, those that read the index of words only once the table has it.
enum class Needs { Reading, Writing, TextIndex };

struct StatementDef
{
    sqlite3_stmt *Storage::Statements::*member;
    const char *sql;
    Needs needs;
};

using S = Storage::Statements;
const StatementDef statementDefs[] = {
    {&S::byId, "SELECT " ROW_COLUMNS " FROM dreams WHERE id=?1", Needs::Reading},
    {&S::first, "SELECT " ROW_COLUMNS " FROM dreams ORDER BY skey LIMIT 1", Needs::Reading},
    {&S::last, "SELECT " ROW_COLUMNS " FROM dreams ORDER BY skey DESC LIMIT 1", Needs::Reading},
    {&S::after, "SELECT " ROW_COLUMNS " FROM dreams WHERE skey>?1 ORDER BY skey LIMIT 1",
     Needs::Reading},
    {&S::before, "SELECT " ROW_COLUMNS " FROM dreams WHERE skey<?1 ORDER BY skey DESC LIMIT 1",
     Needs::Reading},
    {&S::forwardFrom,
     "SELECT " ROW_COLUMNS " FROM dreams WHERE skey>?1 ORDER BY skey LIMIT 1 OFFSET ?2",
     Needs::Reading},
    {&S::backwardFrom,
     "SELECT " ROW_COLUMNS " FROM dreams WHERE skey<?1 ORDER BY skey DESC LIMIT 1 OFFSET ?2",
     Needs::Reading},
    {&S::insert,
     "INSERT INTO dreams (name, meaning, notes, lucky, affine, picture, skey)"
     " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
     Needs::Writing},
    {&S::update,
     "UPDATE dreams SET name=?1, meaning=?2, notes=?3, lucky=?4, affine=?5, picture=?6,"
     " skey=?7 WHERE id=?8",
     Needs::Writing},
    {&S::remove, "DELETE FROM dreams WHERE id=?1", Needs::Writing},
    {&S::idOfName, "SELECT id FROM dreams WHERE name=?1", Needs::Reading},
    {&S::namesAfter, "SELECT id, name FROM dreams WHERE skey>?1 ORDER BY skey LIMIT ?2",
     Needs::Reading},
    {&S::namesFromInclusive, "SELECT id, name FROM dreams WHERE skey>=?1 ORDER BY skey LIMIT ?2",
     Needs::Reading},
    {&S::namesBefore, "SELECT id, name FROM dreams WHERE skey<?1 ORDER BY skey DESC LIMIT ?2",
     Needs::Reading},
    {&S::namesToInclusive, "SELECT id, name FROM dreams WHERE skey<=?1 ORDER BY skey DESC LIMIT ?2",
     Needs::Reading},
    {&S::namesFirst, "SELECT id, name FROM dreams ORDER BY skey LIMIT ?1", Needs::Reading},
    {&S::namesLast, "SELECT id, name FROM dreams ORDER BY skey DESC LIMIT ?1", Needs::Reading},
    {&S::count, "SELECT count(*) FROM dreams", Needs::Reading},
    {&S::rank, "SELECT count(*) FROM dreams WHERE skey<?1", Needs::Reading},
    {&S::atRank, "SELECT " ROW_COLUMNS " FROM dreams ORDER BY skey LIMIT 1 OFFSET ?1",
     Needs::Reading},
    {&S::prefixExists, "SELECT 1 FROM dreams WHERE name>=?1 AND name<?2 LIMIT 1", Needs::Reading},
    {&S::dataVersion, "PRAGMA data_version", Needs::Reading},
    {&S::namesFirstKey, "SELECT skey FROM dreams ORDER BY skey LIMIT 1", Needs::Reading},
    {&S::keyAfterStep, "SELECT skey FROM dreams WHERE skey>=?1 ORDER BY skey LIMIT 1 OFFSET ?2",
     Needs::Reading},
    {&S::rankFrom, "SELECT count(*) FROM dreams WHERE skey>=?1 AND skey<?2", Needs::Reading},
    {&S::atRankFrom,
     "SELECT " ROW_COLUMNS " FROM dreams WHERE skey>=?1 ORDER BY skey LIMIT 1 OFFSET ?2",
     Needs::Reading},
    {&S::prefixFirst,
     "SELECT " ROW_COLUMNS " FROM dreams WHERE skey>=?1 AND skey<?2"
     " AND substr(name, 1, ?3)=?4 ORDER BY skey LIMIT 1",
     Needs::Reading},
    {&S::textRowsAfter,
     "SELECT id, name, meaning, notes, lucky, affine, skey FROM dreams WHERE skey>?1"
     " ORDER BY skey LIMIT ?2",
     Needs::Reading},
    {&S::textNamesAfter, "SELECT id, name, skey FROM dreams WHERE skey>?1 ORDER BY skey LIMIT ?2",
     Needs::Reading},
    {&S::textById, "SELECT id, name, meaning, notes, lucky, affine FROM dreams WHERE id=?1",
     Needs::Reading},
    {&S::nameById, "SELECT id, name FROM dreams WHERE id=?1", Needs::Reading},
    {&S::wordsMatch, "SELECT rowid FROM dreams_words WHERE dreams_words MATCH ?1",
     Needs::TextIndex},
    {&S::namesMatch, "SELECT rowid FROM dreams_names WHERE dreams_names MATCH ?1",
     Needs::TextIndex},
    {&S::matchingRowsAfter,
     "SELECT id, name, meaning, notes, lucky, affine, skey FROM dreams WHERE skey>?1 AND id IN"
     " (SELECT rowid FROM dreams_words WHERE dreams_words MATCH ?3) ORDER BY skey LIMIT ?2",
     Needs::TextIndex},
    {&S::matchingNamesAfter,
     "SELECT id, name, skey FROM dreams WHERE skey>?1 AND id IN"
     " (SELECT rowid FROM dreams_names WHERE dreams_names MATCH ?3) ORDER BY skey LIMIT ?2",
     Needs::TextIndex},
    {&S::wordsCount,
     "SELECT count(*) FROM (SELECT 1 FROM dreams_words_terms WHERE term>=?1 AND term<?2"
     " LIMIT ?3)",
     Needs::TextIndex},
    {&S::namesCount,
     "SELECT count(*) FROM (SELECT 1 FROM dreams_names_terms WHERE term>=?1 AND term<?2"
     " LIMIT ?3)",
     Needs::TextIndex},
};

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
    // As UTF-16: Qt's UTF-8 decoder would drop a U+FEFF at the start of the text.
    const auto *p = static_cast<const QChar *>(sqlite3_column_text16(s, col));
    return QString(p, sqlite3_column_bytes16(s, col) / int(sizeof(QChar)));
}

QVariant columnBlob(sqlite3_stmt *s, int col)
{
    if (sqlite3_column_type(s, col) == SQLITE_NULL)
        return QVariant();
    const auto *p = static_cast<const char *>(sqlite3_column_blob(s, col));
    const int n = sqlite3_column_bytes(s, col);
    return QByteArray(p ? p : "", n);
}

// Binds the fields of a row. The picture is bound without a copy: it must outlive the step.
void bindRow(sqlite3_stmt *s, const Row &row, const QByteArray &picture)
{
    // Names are kept composed, so that one name has one spelling in the exact index.
    bindText(s, 1,
             row.values[ImagenOnirica].isNull() ? QVariant()
                                                : QVariant(Collation::normalized(row.name())));
    for (int f = InterpretacionOnirica; f <= NAfin; ++f)
        bindText(s, f + 1, row.values[f]);
    if (row.values[GraficoBMP].isNull())
        sqlite3_bind_null(s, 6);
    else
        sqlite3_bind_blob64(s, 6, picture.isEmpty() ? "" : picture.constData(),
                            sqlite3_uint64(picture.size()), SQLITE_STATIC);
    bindBlob(s, 7, Collation::sortKey(row.name()));
}

EngineError keyViolation(const QString &name)
{
    return EngineError(
        QStringLiteral("Violación de clave: ya existe una entrada llamada %1").arg(quoted(name)),
        EngineError::Reason::KeyViolation);
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
    TableFile::create(dir);
}

void Storage::fail(const QString &what) const
{
    const int rc = sqlite3_extended_errcode(m_db);
    EngineError::Reason reason = EngineError::Reason::Other;
    if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED)
        reason = EngineError::Reason::Locked;
    else if ((rc & 0xFF) == SQLITE_CORRUPT)
        reason = EngineError::Reason::Damaged;
    else if ((rc & 0xFF) == SQLITE_READONLY)
        reason = EngineError::Reason::ReadOnly;
    throw EngineError(QStringLiteral("%1 (%2): %3")
                          .arg(what, QDir::toNativeSeparators(m_path), engineReason(m_db, rc)),
                      reason);
}

void Storage::checkWritable() const
{
    if (!m_stmts || !m_stmts->insert)
        throw EngineError(QStringLiteral("La tabla de sueños %1 es de solo lectura")
                              .arg(QDir::toNativeSeparators(m_path)),
                          EngineError::Reason::ReadOnly);
}

void Storage::open(const QString &dir, Access access)
{
    close();
    if (!QFileInfo(dir).isDir())
        throw EngineError(QStringLiteral("La carpeta de la base de datos %1 no existe")
                              .arg(QDir::toNativeSeparators(dir)),
                          EngineError::Reason::Missing);
    openFile(tablePath(dir), access);
    m_dir = dir;
}

void Storage::openFile(const QString &path, Access access)
{
    close();
    bool readOnly = true;
    m_connection = std::make_unique<Connection>(openTableFile(path, access, &readOnly));
    m_db = m_connection->db();
    m_path = path;
    m_readOnly = readOnly;
    try {
        prepareStatements();
    } catch (...) {
        close();
        throw;
    }
}

void Storage::prepareStatements()
{
    m_stmts = std::make_unique<Statements>();
    for (const StatementDef &def : statementDefs) {
        if (def.needs == Needs::Reading || (def.needs == Needs::Writing && !m_readOnly))
            m_stmts.get()->*def.member = prepare(def.sql);
    }
    if (TextIndex::state(m_db) == TextIndex::State::Complete)
        prepareTextStatements();
}

void Storage::prepareTextStatements()
{
    for (const StatementDef &def : statementDefs) {
        if (def.needs == Needs::TextIndex && !(m_stmts.get()->*def.member))
            m_stmts.get()->*def.member = prepare(def.sql);
    }
}

void Storage::close()
{
    m_tokenizer.reset();
    m_sample.clear();
    m_sampleRows = -1;
    m_stmts.reset();
    m_connection.reset();
    m_db = nullptr;
    m_dir.clear();
    m_path.clear();
}

sqlite3_stmt *Storage::prepare(const char *sql)
{
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
        fail(QStringLiteral("No se puede leer la tabla de sueños"));
    m_stmts->all.push_back(s);
    return s;
}

void Storage::begin()
{
    if (sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QStringLiteral("No se puede empezar a escribir en la tabla de sueños"));
}

void Storage::beginRead()
{
    if (sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QStringLiteral("No se puede leer la tabla de sueños"));
}

void Storage::commit()
{
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QStringLiteral("No se pueden guardar los cambios en la tabla de sueños"));
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
    checkWritable();
    checkOneLineName(row);
    sqlite3_stmt *s = m_stmts->insert;
    Use use(s);
    const QByteArray picture = row.values[GraficoBMP].toByteArray();
    bindRow(s, row, picture);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
        throw keyViolation(row.name());
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("No se puede guardar la entrada %1").arg(quoted(row.name())));
    noteInserted(Collation::sortKey(row.name()));
    return sqlite3_last_insert_rowid(m_db);
}

void Storage::updateRow(const Row &row)
{
    checkWritable();
    checkOneLineName(row);
    const std::optional<QByteArray> before = storedKey(row.id);
    sqlite3_stmt *s = m_stmts->update;
    Use use(s);
    const QByteArray picture = row.values[GraficoBMP].toByteArray();
    bindRow(s, row, picture);
    sqlite3_bind_int64(s, 8, row.id);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_CONSTRAINT_UNIQUE)
        throw keyViolation(row.name());
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("No se puede guardar la entrada %1").arg(quoted(row.name())));
    if (sqlite3_changes(m_db) != 1)
        throw EngineError(
            QStringLiteral("Otro usuario ha borrado la entrada %1").arg(quoted(row.name())));
    const QByteArray after = Collation::sortKey(row.name());
    if (before && *before != after) { // renamed: the row moves in the order
        noteDeleted(*before);
        noteInserted(after);
    }
}

void Storage::deleteRow(qint64 id)
{
    checkWritable();
    const std::optional<QByteArray> key = storedKey(id);
    sqlite3_stmt *s = m_stmts->remove;
    Use use(s);
    sqlite3_bind_int64(s, 1, id);
    if (sqlite3_step(s) != SQLITE_DONE)
        fail(QStringLiteral("No se puede borrar la entrada"));
    if (key && sqlite3_changes(m_db) == 1)
        noteDeleted(*key);
}

qint64 Storage::idOfName(const QString &name)
{
    sqlite3_stmt *s = m_stmts->idOfName;
    Use use(s);
    bindText(s, 1, Collation::normalized(name));
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE)
        return 0;
    if (rc != SQLITE_ROW)
        fail(QStringLiteral("No se puede leer la tabla de sueños"));
    return sqlite3_column_int64(s, 0);
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
        fail(QStringLiteral("No se puede leer la tabla de sueños"));
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
            fail(QStringLiteral("No se puede buscar en la tabla de sueños"));
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
        fail(QStringLiteral("No se puede leer la tabla de sueños"));
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
        fail(QStringLiteral("No se puede leer la tabla de sueños"));
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
            fail(QStringLiteral("No se puede leer la tabla de sueños"));
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
            fail(QStringLiteral("No se puede leer la tabla de sueños"));
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
            fail(QStringLiteral("No se puede leer la tabla de sueños"));
        return sqlite3_column_int64(m_stmts->rank, 0);
    }
    // The last sampled key before the anchor, then the few rows between.
    auto it = std::upper_bound(m_sample.begin(), m_sample.end(), anchor,
                               [](const QByteArray &a, const Mark &m) { return a < m.key; });
    if (it == m_sample.begin()) { // before every mark: only a few rows lie there
        Use use(m_stmts->rank);
        bindBlob(m_stmts->rank, 1, anchor);
        if (sqlite3_step(m_stmts->rank) != SQLITE_ROW)
            fail(QStringLiteral("No se puede leer la tabla de sueños"));
        return sqlite3_column_int64(m_stmts->rank, 0);
    }
    --it;
    Use use(m_stmts->rankFrom);
    bindBlob(m_stmts->rankFrom, 1, it->key);
    bindBlob(m_stmts->rankFrom, 2, anchor);
    if (sqlite3_step(m_stmts->rankFrom) != SQLITE_ROW)
        fail(QStringLiteral("No se puede leer la tabla de sueños"));
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

QStringList Storage::check(const std::function<void(qint64 done)> &progress)
{
    beginRead(); // one state of the table throughout
    QStringList problems = engineCheck();
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(m_db, "SELECT id, name, skey, picture FROM dreams ORDER BY skey", -1, &s,
                       nullptr);
    QByteArray previous;
    qint64 checked = 0;
    int rc;
    while (s && (rc = sqlite3_step(s)) == SQLITE_ROW) {
        if (progress)
            progress(++checked);
        const qint64 id = sqlite3_column_int64(s, 0);
        const QString name = columnText(s, 1).toString();
        const QByteArray key = columnBlob(s, 2).toByteArray();
        const QString entry = QStringLiteral("entrada %1 (%2)").arg(id).arg(quoted(name));
        if (name.isEmpty() || codePointCount(name) > NameMaxLength)
            problems << entry + QStringLiteral(": el nombre está vacío o es demasiado largo");
        if (key != Collation::sortKey(name))
            problems << entry +
                            QStringLiteral(": su lugar en el orden de los nombres no está al día");
        if (!previous.isEmpty() && key <= previous)
            problems << entry + QStringLiteral(": fuera del orden de los nombres");
        previous = key;
        // Either form is readable: with the 8-byte header or a plain bitmap file image.
        if (sqlite3_column_type(s, 3) != SQLITE_NULL &&
            !PictureCodec::isDecodableBitmap(
                PictureCodec::bitmapFile(columnBlob(s, 3).toByteArray())))
            problems << entry + QStringLiteral(": el gráfico no es un mapa de bits legible");
    }
    sqlite3_finalize(s);
    problems += TextIndex::check(m_db, textTokenizer());
    commit();
    return problems;
}

// The lines of the engine's own integrity check that report a problem.
QStringList Storage::engineCheck()
{
    QStringList problems;
    sqlite3_stmt *s = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "PRAGMA integrity_check", -1, &s, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(s)) == SQLITE_ROW) {
        const QString line =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
        if (line != QLatin1String("ok"))
            problems << line;
        rc = SQLITE_OK;
    }
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE)
        problems << engineReason(m_db, rc);
    return problems;
}

bool Storage::hasTextIndex()
{
    // Another program may have made it, or removed it, since the table was opened.
    if (TextIndex::state(m_db) != TextIndex::State::Complete)
        return false;
    prepareTextStatements();
    return true;
}

bool Storage::buildTextIndex(const std::function<bool(qint64 done, qint64 total)> &progress)
{
    checkWritable();
    begin();
    try {
        if (!TextIndex::build(m_db, m_path, progress)) {
            rollback();
            return false;
        }
        commit();
    } catch (...) {
        rollback();
        throw;
    }
    prepareTextStatements();
    return true;
}

const TextTokenizer &Storage::textTokenizer()
{
    if (!m_tokenizer)
        m_tokenizer = std::make_unique<TextTokenizer>(m_db);
    return *m_tokenizer;
}

namespace {

QByteArray columnUtf8(sqlite3_stmt *s, int col)
{
    return QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(s, col)),
                      sqlite3_column_bytes(s, col));
}

TextRow textRow(sqlite3_stmt *s, bool namesOnly)
{
    TextRow row;
    row.id = sqlite3_column_int64(s, 0);
    row.name = columnUtf8(s, 1);
    row.namesOnly = namesOnly;
    if (!namesOnly) {
        row.meaning = columnUtf8(s, 2);
        row.notes = columnUtf8(s, 3);
        row.lucky = columnUtf8(s, 4);
        row.affine = columnUtf8(s, 5);
    }
    return row;
}

} // namespace

QVector<TextRow> Storage::textRowsAfter(const QByteArray &anchor, int count, bool namesOnly,
                                        const QByteArray &expression)
{
    if (!expression.isEmpty() && !hasTextIndex())
        throw EngineError(QStringLiteral("La tabla de sueños %1 no tiene índice de búsqueda")
                              .arg(QDir::toNativeSeparators(m_path)));
    sqlite3_stmt *s = expression.isEmpty()
                          ? (namesOnly ? m_stmts->textNamesAfter : m_stmts->textRowsAfter)
                          : (namesOnly ? m_stmts->matchingNamesAfter : m_stmts->matchingRowsAfter);
    const int keyColumn = namesOnly ? 2 : 6;
    Use use(s);
    bindBlob(s, 1, anchor);
    sqlite3_bind_int(s, 2, count);
    if (!expression.isEmpty())
        sqlite3_bind_text(s, 3, expression.constData(), expression.size(), SQLITE_TRANSIENT);
    QVector<TextRow> rows;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        rows.append(textRow(s, namesOnly));
        rows.last().sortKey = columnBlob(s, keyColumn).toByteArray();
    }
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("No se puede leer la tabla de sueños"));
    return rows;
}

std::optional<TextRow> Storage::textRowById(qint64 id, bool namesOnly)
{
    sqlite3_stmt *s = namesOnly ? m_stmts->nameById : m_stmts->textById;
    Use use(s);
    sqlite3_bind_int64(s, 1, id);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE)
        return std::nullopt;
    if (rc != SQLITE_ROW)
        fail(QStringLiteral("No se puede leer la tabla de sueños"));
    return textRow(s, namesOnly);
}

std::vector<qint64> Storage::textCandidates(bool namesOnly, const QByteArray &expression, int limit)
{
    if (!hasTextIndex())
        throw EngineError(QStringLiteral("La tabla de sueños %1 no tiene índice de búsqueda")
                              .arg(QDir::toNativeSeparators(m_path)));
    sqlite3_stmt *s = namesOnly ? m_stmts->namesMatch : m_stmts->wordsMatch;
    Use use(s);
    sqlite3_bind_text(s, 1, expression.constData(), expression.size(), SQLITE_TRANSIENT);
    std::vector<qint64> ids;
    int rc = SQLITE_DONE;
    while ((limit <= 0 || int(ids.size()) < limit) && (rc = sqlite3_step(s)) == SQLITE_ROW)
        ids.push_back(sqlite3_column_int64(s, 0));
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        fail(QStringLiteral("No se puede buscar en la tabla de sueños"));
    if (!std::is_sorted(ids.begin(), ids.end()))
        std::sort(ids.begin(), ids.end());
    return ids;
}

int Storage::indexedWords(bool namesOnly, const QByteArray &from, const QByteArray &to, int cap)
{
    if (!hasTextIndex())
        return 0;
    sqlite3_stmt *s = namesOnly ? m_stmts->namesCount : m_stmts->wordsCount;
    Use use(s);
    sqlite3_bind_text(s, 1, from.constData(), from.size(), SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 2, to.constData(), to.size(), SQLITE_TRANSIENT);
    sqlite3_bind_int(s, 3, cap);
    if (sqlite3_step(s) != SQLITE_ROW)
        fail(QStringLiteral("No se puede buscar en la tabla de sueños"));
    return sqlite3_column_int(s, 0);
}
