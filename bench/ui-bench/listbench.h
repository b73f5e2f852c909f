#pragma once

#include <QString>

// The record list and the search on the main window over a large table: opening the list,
// a Page Down and an End in the grid, a search that finds and one that does not, each from
// the click until the window is painted (the search: until the focus is in the name editor),
// and the memory that opening the list takes. Prints one line per measurement.
// databaseDir must hold a dream table.
void runListBench(const QString &databaseDir);
