#pragma once

#include <QString>

#include <functional>

class Storage;

// Whole-file operations on the dream table of a database directory. Each is all or nothing:
// the new file is made and checked beside its final place under a hidden name and moved
// there in one step at the end, so that a failure, or the program killed half way, leaves the
// place as it was. Failures throw EngineError with a message that names the file and the
// reason.
namespace TableFile {

// Makes a new dream table in an existing directory. When fill is given it is called with
// the new table open for writing, inside one transaction, before the table is moved into
// place; when it answers false nothing is made and create answers false. Refuses to
// replace a table that is already there.
bool create(const QString &dir, const std::function<bool(Storage &)> &fill = {});

// Writes a copy of the table in dir to file: one self-contained file, consistent even while
// a program edits the table, checked before it is moved into place. Refuses to overwrite.
void backup(const QString &dir, const QString &file);

// Replaces the table in dir (making dir when needed) with a copy of file, once the copy is
// checked, in one step: no log or shared memory of the old table stays to be applied to the
// new one. Refuses while another program has the table open.
void restore(const QString &dir, const QString &file);

} // namespace TableFile
