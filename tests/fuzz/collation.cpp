// Sort keys of any text, read as UTF-8 or as UTF-16 units (lone surrogates too): every key
// is well formed (levels of non-zero weights, then the name in UTF-8), equal only for equal
// names, ordered as its levels are, and holds the key of the start of any name it begins with.
#include "data/collation.h"
#include "fuzz.h"

#include <QVector>

#include <algorithm>

namespace {

QString text(const QByteArray &bytes, bool utf16)
{
    if (!utf16)
        return QString::fromUtf8(bytes);
    return QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
}

// A key taken apart: the first level's weights, the second and third (each as long as the
// first, trailing weights of 1 put back), then the name.
struct Levels
{
    QVector<int> levels[3];
    QByteArray name;
};

Levels parse(const QByteArray &key)
{
    Levels out;
    const auto byteAt = [&key](int i) {
        return int(static_cast<unsigned char>(key.at(i)));
    };
    int i = 0;
    for (;; i += 2) {
        FUZZ_CHECK(i + 1 < key.size());
        const int weight = byteAt(i) << 8 | byteAt(i + 1);
        if (weight == 0)
            break;
        out.levels[0].append(weight);
    }
    i += 2;
    for (int level = 1; level < 3; ++level) {
        for (;; ++i) {
            FUZZ_CHECK(i < key.size());
            if (byteAt(i) == 0)
                break;
            out.levels[level].append(byteAt(i));
        }
        ++i;
        FUZZ_CHECK(out.levels[level].size() <= out.levels[0].size());
        while (out.levels[level].size() < out.levels[0].size())
            out.levels[level].append(1);
    }
    out.name = key.mid(i);
    return out;
}

int compare(const QByteArray &a, const QByteArray &b)
{
    return a < b ? -1 : b < a ? 1 : 0;
}

// The order the levels give: the first level where they differ decides, a level that is a
// beginning of the other one coming first; then the name's bytes.
int compare(const Levels &a, const Levels &b)
{
    for (int level = 0; level < 3; ++level) {
        const QVector<int> &x = a.levels[level];
        const QVector<int> &y = b.levels[level];
        if (x != y)
            return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end()) ? -1 : 1;
    }
    return compare(a.name, b.name);
}

} // namespace

FUZZ_ENTRY
{
    fuzz::Input in(data, size);
    const bool utf16 = in.flag();
    const unsigned split = in.byte();
    const QByteArray bytes = in.rest();
    const int at = int(bytes.size() * split / 256) & ~1;
    const QString a = text(bytes.left(at), utf16);
    const QString b = text(bytes.mid(at), utf16);

    const QByteArray keyA = Collation::sortKey(a);
    const QByteArray keyB = Collation::sortKey(b);
    const Levels levelsA = parse(keyA);
    const Levels levelsB = parse(keyB);
    FUZZ_CHECK(levelsA.name == Collation::normalized(a).toUtf8());
    FUZZ_CHECK(levelsB.name == Collation::normalized(b).toUtf8());
    FUZZ_CHECK((keyA == keyB) == (Collation::normalized(a) == Collation::normalized(b)));
    FUZZ_CHECK(compare(keyA, keyB) == compare(levelsA, levelsB));

    // Capitals come after small letters.
    QString upper = a;
    for (QChar &c : upper)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = c.toUpper();
    FUZZ_CHECK(upper == a || keyA < Collation::sortKey(upper));

    // A name lies in the range of keys that a search for any of its beginnings looks at.
    const QString nameA = Collation::normalized(a);
    for (int length = 0; length <= a.size(); length += 1 + length / 4) {
        const QString prefix = a.left(length);
        if (!nameA.startsWith(Collation::normalized(prefix)))
            continue;
        const QByteArray low = Collation::primaryPrefix(prefix);
        FUZZ_CHECK(keyA.startsWith(low));
        FUZZ_CHECK(keyA < low + QByteArray("\xFF\xFF", 2));
    }
    return 0;
}
