#pragma once

#include <QString>

#include <vector>

// The large dream table the benchmarks measure on.
namespace BenchTable {

// The name of the i-th generated entry: two words and the number, all different.
QString name(qint64 i);

// Creates the table in dir with rows generated entries (meanings of about 200 characters),
// committing every 100,000 rows.
void build(const QString &dir, qint64 rows);

// Milliseconds from nanoseconds, and the median of nanosecond timings in milliseconds.
double ms(qint64 ns);
double medianMs(std::vector<qint64> ns);

} // namespace BenchTable
