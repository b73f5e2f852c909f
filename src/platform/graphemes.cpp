#include "platform/graphemes.h"

#include <QTextBoundaryFinder>

namespace {

// A regional indicator letter (U+1F1E6..U+1F1FF) starts at index i.
bool regionalLetterAt(const QString &text, int i)
{
    return i + 1 < text.size() && text.at(i).unicode() == 0xD83C &&
           text.at(i + 1).unicode() >= 0xDDE6 && text.at(i + 1).unicode() <= 0xDDFF;
}

} // namespace

QVector<int> graphemeEnds(const QString &text)
{
    const int size = int(text.size());
    QVector<bool> boundary(size + 1, false);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary())
        boundary[int(at)] = true;

    // Never inside a surrogate pair (Qt's finder tailored for some scripts, such as Khmer,
    // marks code units across the whole run of that script, astral characters in it too).
    for (int at = 1; at < size; ++at) {
        if (text.at(at - 1).isHighSurrogate() && text.at(at).isLowSurrogate())
            boundary[at] = false;
    }
    // Within a run of regional letters, a character ends after every second one.
    for (int i = 0; i < size;) {
        if (!regionalLetterAt(text, i)) {
            ++i;
            continue;
        }
        int letters = 1;
        while (regionalLetterAt(text, i + 2 * letters))
            ++letters;
        for (int k = 1; k < letters; ++k)
            boundary[i + 2 * k] = k % 2 == 0;
        i += 2 * letters;
    }

    QVector<int> ends;
    for (int at = 1; at <= size; ++at) {
        if (boundary[at])
            ends << at;
    }
    return ends;
}
