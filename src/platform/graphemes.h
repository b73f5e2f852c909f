#pragma once

#include <QString>
#include <QVector>

// Where the characters of text end, as the reader sees them, in UTF-16 units: the ends of its
// grapheme clusters (a letter with its accents, a surrogate pair, a flag, an emoji sequence
// with joiners or a skin tone), the last being text.size(). Empty for an empty text.
//
// Two faults of Qt's boundary finder (6.4) are mended here, as Unicode's rules for grapheme
// clusters say: after an emoji it pairs the regional letters of flags one letter off (here
// they pair up from the start of each run of them), and in text with some scripts (Khmer) it
// can end a character inside a surrogate pair.
QVector<int> graphemeEnds(const QString &text);
