#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class Storage;

// Moving dream entries between a dream table and a dictionary file: a UTF-8 CSV whose header
// names the six fields and whose picture column holds the path of a bitmap file relative to
// the CSV. What the database tool does with dictionary files, and what the program needs to
// make the sample dictionary.
namespace DictionaryIO {

// The CSV that export writes inside its output directory.
QString csvFileName(); // "dreams.csv"

// The sample dictionary (159 entries, 16 with pictures) that travels inside the program and
// the database tool, as a dictionary file to import.
QString sampleCsv();

// Told the number of entries done so far, now and then during a long operation.
using Progress = std::function<void(qint64 done)>;

// What an import did: the entries it stored, or the problems that stopped it, each as
// "FILE:LINE: reason" (at most 100; the reading stops there).
struct ImportReport
{
    int stored = 0;
    QStringList problems;
};

// Adds the entries of a dictionary file to a table open for writing, in one transaction:
// all of them, or none when a record is faulty or the table refuses one (a name it already
// holds). Records and pictures are read and stored one at a time, so that memory does not
// grow with the file. shownPath names the file in the problems. Throws EngineError when the
// table fails.
ImportReport importFile(Storage &storage, const QString &csvPath, const QString &shownPath,
                        const Progress &progress = {});

// Makes dir (with its parents) and a new dream table in it, filled from the dictionary file
// sampleCsv when one is given, all or nothing: a faulty file is reported and nothing is made.
// Throws EngineError when the table cannot be made (a table already there, a file error).
ImportReport createTable(const QString &dir, const QString &sampleCsv = QString(),
                         const Progress &progress = {});

// Writes every entry of a table, in name order and as the table was at the start, to
// outDir/dreams.csv and the pictures as bitmap files to outDir/pictures. outDir must not exist
// or be empty; it receives the whole export or nothing. Returns the number of entries and
// adds warnings (pictures that are not readable bitmaps, written as they are stored).
// Throws EngineError on failure.
int exportTo(Storage &storage, const QString &outDir, QStringList *warnings,
             const Progress &progress = {});

} // namespace DictionaryIO
