// The rewriters' rules written out the plainest way, over whole files in memory, to hold
// the libraries against.
#pragma once

#include <QByteArray>
#include <QVector>

namespace refmodel {

// Every "c:\" and "C:\" of the input gets the drive letter; nothing else changes.
inline QByteArray rewriteReferences(const QByteArray &in, char letter)
{
    QVector<int> letters;
    for (int i = 0; i + 2 < in.size(); ++i) {
        if ((in[i] == 'c' || in[i] == 'C') && in[i + 1] == ':' && in[i + 2] == '\\')
            letters.append(i);
    }
    QByteArray out = in;
    for (int i : letters)
        out[i] = letter;
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
