#pragma once

#include <QString>

class QCoreApplication;

#include <vector>

// The large dream table the benchmarks measure on.
namespace BenchTable {

// The name of the i-th generated entry: two words and the number, all different.
QString name(qint64 i);

// The meanings of the entries are all the same, but for one entry in RareEvery whose meaning
// also holds a rare word, "quimera".
constexpr qint64 RareEvery = 50000;

// Creates the table in dir with rows generated entries (meanings of about 200 characters),
// committing every 100,000 rows.
void build(const QString &dir, qint64 rows);

// Reads the options --rows N (default 1,000,000) and --dir DIR (default: temporaryDir),
// and builds the table there when the directory holds none. Returns the rows asked for and
// the directory.
struct Setup
{
    qint64 rows;
    QString dir;
};
Setup setUp(const QCoreApplication &app, const QString &temporaryDir);

// Milliseconds from nanoseconds, and the median of nanosecond timings in milliseconds.
double ms(qint64 ns);
double medianMs(std::vector<qint64> ns);

} // namespace BenchTable
