#pragma once

#include <QStringList>

// The prologue text that prologue mode shows: two paragraphs of ten lines each, the first
// on the dream dictionary, the second on games of chance, with an empty line between them.
// Lines are broken by hand and are at most 95 characters long.
QStringList prologueLines();
