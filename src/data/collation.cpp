#include "data/collation.h"

#include <QVector>

#include <algorithm>

namespace Collation {
namespace {

struct Element
{
    quint16 primary = 0;
    quint8 secondary = 1; // 1: no accent
    quint8 tertiary = 1;  // 1: small letter or no case
};

// ñ is a letter of its own: an n that the text holds composed with a tilde. letter: an n
// and its marks, decomposed (an n with a mark that composes first, as in ṇ̃, is no ñ).
bool isEnye(const QString &letter)
{
    if (!letter.contains(QChar(0x0303)))
        return false;
    return letter.size() == 2 ||
           letter.normalized(QString::NormalizationForm_C).at(0).toLower() == QChar(0x00F1);
}

// One character of the decomposed text: a base with its combining marks.
QVector<Element> elements(const QString &text)
{
    const QString d = text.normalized(QString::NormalizationForm_D);
    QVector<Element> out;
    out.reserve(d.size());
    for (int i = 0; i < d.size();) {
        const int start = i;
        const QChar base = d.at(i++);
        while (i < d.size() && d.at(i).isMark())
            ++i;
        const QChar lower = base.toLower();
        const quint16 u = lower.unicode();
        const bool tilde = lower == QLatin1Char('n') && isEnye(d.mid(start, i - start));
        bool tildeTaken = !tilde;
        quint16 mark = 0;
        int marks = 0;
        for (int k = start + 1; k < i; ++k) {
            const quint16 m = d.at(k).unicode();
            if (m == 0x0303 && !tildeTaken) {
                tildeTaken = true;
                continue;
            }
            if (marks++ == 0)
                mark = m;
        }
        Element e;
        // Weights: 0 ends a level; ñ takes the place right after n. FFFF is never one, so
        // that a first level followed by FF FF lies above every key that begins with it.
        if (tilde)
            e.primary = quint16(u'n' + 1);
        else if (u == 0)
            e.primary = 1;
        else if (u > u'n')
            e.primary = quint16(std::min(u + 1, 0xFFFE));
        else
            e.primary = u;
        if (marks == 1 && mark >= 0x0300 && mark < 0x0370)
            e.secondary = quint8(2 + (mark - 0x0300));
        else if (marks > 0)
            e.secondary = 0xFF;
        e.tertiary = (base != lower) ? 2 : 1;
        out.append(e);
    }
    return out;
}

void appendPrimary(QByteArray &key, const QVector<Element> &els)
{
    for (const Element &e : els) {
        key.append(char(e.primary >> 8));
        key.append(char(e.primary & 0xFF));
    }
}

// Trailing weights of 1 are dropped: with the terminator 0 the order stays the same.
template <typename Get> void appendLevel(QByteArray &key, const QVector<Element> &els, Get get)
{
    int end = els.size();
    while (end > 0 && get(els.at(end - 1)) == 1)
        --end;
    for (int i = 0; i < end; ++i)
        key.append(char(get(els.at(i))));
    key.append('\0');
}

} // namespace

QString normalized(const QString &text)
{
    return text.normalized(QString::NormalizationForm_C);
}

QByteArray sortKey(const QString &name)
{
    const QString nfc = normalized(name);
    const QVector<Element> els = elements(nfc);
    QByteArray key;
    key.reserve(els.size() * 4 + nfc.size() + 8);
    appendPrimary(key, els);
    key.append('\0');
    key.append('\0');
    appendLevel(key, els, [](const Element &e) { return e.secondary; });
    appendLevel(key, els, [](const Element &e) { return e.tertiary; });
    key.append(nfc.toUtf8());
    return key;
}

QByteArray primaryPrefix(const QString &prefix)
{
    QByteArray key;
    appendPrimary(key, elements(normalized(prefix)));
    return key;
}

} // namespace Collation
