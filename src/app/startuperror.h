#pragma once

#include <QString>

// The message that ends start-up when the dream table cannot be opened: it names the
// database folder and the table layer's reason and, when the folder holds no dictionary,
// says how to make one there with the database tool.
QString cannotOpenDictionary(const QString &databaseDir, const QString &reason);
