#pragma once

#include "storage.h"

#include <QString>
#include <QStringList>
#include <QVector>

// Moving dream entries between a dream table and a dictionary file: a UTF-8 CSV whose header
// names the six fields and whose picture column holds the path of a bitmap file relative to
// the CSV.
namespace DictionaryIO {

// The CSV that export writes inside its output directory.
QString csvFileName(); // "dreams.csv"

struct Loaded
{
    QVector<Row> rows;
    QVector<int> lines;   // line of each row's record in the file
    QStringList problems; // "FILE:LINE: reason", one for each bad record
};

// Reads and checks a dictionary file; |shownPath| names the file in the problems. The rows
// are ready to store: names in the table's normal form, pictures in their stored form.
Loaded load(const QString &csvPath, const QString &shownPath);

// Stores the rows in one transaction: all of them, or none when one is refused. Returns the
// problem ("FILE:LINE: reason") or an empty string on success.
QString store(Storage &storage, const Loaded &loaded, const QString &shownPath);

// Writes every row in name order to outDir/dreams.csv and the pictures as bitmap files in
// outDir/pictures. Refuses to overwrite an earlier export. Returns the number of rows and
// adds warnings (pictures that are not readable bitmaps, written as they are stored).
// Throws EngineError on failure.
int exportTo(Storage &storage, const QString &outDir, QStringList *warnings);

} // namespace DictionaryIO
