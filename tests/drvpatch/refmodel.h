// The rewriters' rules written out the plainest way, over whole files in memory, to hold
// the libraries against.
#pragma once

#include <QByteArray>

namespace refmodel {

// One pass: every occurrence of pattern, searched from the start, gets the drive letter in
// place of its first character; the search goes on after the letter written.
inline void replaceLetters(QByteArray &text, const char *pattern, char letter)
{
    for (int at = text.indexOf(pattern); at >= 0; at = text.indexOf(pattern, at + 1))
        text[at] = letter;
}

// First every "c:\" gets the drive letter, then every "C:\" of the result.
inline QByteArray rewriteReferences(const QByteArray &in, char letter)
{
    QByteArray out = in;
    replaceLetters(out, "c:\\", letter);
    replaceLetters(out, "C:\\", letter);
    return out;
}

// Read in text mode, rewritten, written in text mode.
inline QByteArray textMode(const QByteArray &file, char letter)
{
    QByteArray read;
    for (int i = 0; i < file.size(); ++i) {
        const char c = file[i];
        if (c == '\x1a')
            break;
        if (c == '\r' && i + 1 < file.size() && file[i + 1] == '\n')
            continue; // the pair reads as its line feed
        read.append(c);
    }
    const QByteArray rewritten = rewriteReferences(read, letter);
    QByteArray written;
    for (char c : rewritten) {
        if (c == '\n')
            written.append('\r');
        written.append(c);
    }
    return written;
}

inline QByteArray byteMode(const QByteArray &file, char letter)
{
    return rewriteReferences(file, letter);
}

} // namespace refmodel
