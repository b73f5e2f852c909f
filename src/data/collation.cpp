#include "collation.h"

#include <QVector>

namespace Collation {
namespace {

struct Element
{
    quint16 primary = 0;
    quint8 secondary = 1; // 1: no accent
    quint8 tertiary = 1;  // 1: small letter or no case
};

// One character of the decomposed text: a base with its combining marks.
QVector<Element> elements(const QString &text)
{
    const QString d = text.normalized(QString::NormalizationForm_D);
    QVector<Element> out;
    out.reserve(d.size());
    for (int i = 0; i < d.size();) {
        const QChar base = d.at(i++);
        const QChar lower = base.toLower();
        quint16 u = lower.unicode();
        bool tilde = false;
        quint16 mark = 0;
        int marks = 0;
        while (i < d.size() && d.at(i).isMark()) {
            const quint16 m = d.at(i++).unicode();
            if (m == 0x0303 && lower == QLatin1Char('n') && !tilde) {
                tilde = true; // ñ is a letter of its own
                continue;
            }
            if (marks++ == 0)
                mark = m;
        }
        Element e;
        // Weights: 0 ends a level; ñ takes the place right after n.
        if (tilde)
            e.primary = quint16(u'n' + 1);
        else if (u == 0)
            e.primary = 1;
        else if (u > u'n' && u < 0xFFFF)
            e.primary = quint16(u + 1);
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
