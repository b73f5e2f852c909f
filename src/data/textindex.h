#pragma once

// Inside the table layer: the index of the words of the dream table's texts. Two indexes of
// the engine's full-text kind read their words from the table itself: one over the names,
// one over the name, meaning, notes and the two number fields. They keep only which entries
// hold which words (no positions, no copy of the texts), and triggers in the table file keep
// them current in the same transaction as every insert, change and delete, whichever program
// makes it.
//
// The index is an optional part of a dream table: a table made before it existed opens as
// before (in this program and in older builds, which never look for it) and gets it the first
// time a search needs it. The table format's version stays the same.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

struct sqlite3;
class TextTokenizer;

namespace TextIndex {

// The statements that make the index on a table (empty or not yet indexed).
extern const char *const Sql;

enum class State {
    Absent,     // a table made before the index existed
    Complete,   // every part in place
    Incomplete, // some parts missing: treated as absent, and reported by the check
};
State state(sqlite3 *db);

// The index's tables that a statement reads, by which of the two it means.
const char *tableName(bool namesOnly);

// Makes the index and fills it from the rows, in the caller's write transaction. progress
// is told the entries done and the total every few thousand entries; when it answers false
// the building stops and build answers false (the caller rolls back). Throws EngineError.
bool build(sqlite3 *db, const QString &path,
           const std::function<bool(qint64 done, qint64 total)> &progress);

void setBuildBatch(int entries); // for tests; default 5000

// Removes the index (what there is of it), in the caller's write transaction: a table as it
// was before the index existed. Throws EngineError.
void drop(sqlite3 *db, const QString &path);

// Problems of an index that does not match the rows, inside the caller's read transaction;
// none for a table without the index.
QStringList check(sqlite3 *db, const TextTokenizer &tokenizer);

} // namespace TextIndex
