#include "platform/regionalformats.h"

namespace {

// One piece of a QDateTime pattern: a run of one pattern letter, or literal text.
struct Piece
{
    QChar letter; // null for literal text
    int count = 0;
    QString text;
};

bool isPatternLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

// Splits a pattern into letter runs and literal text; quoted text ('...', '' for a quote) is
// literal.
QList<Piece> splitPattern(const QString &pattern)
{
    QList<Piece> pieces;
    auto addLiteral = [&pieces](QChar c) {
        if (pieces.isEmpty() || !pieces.last().letter.isNull())
            pieces.append(Piece{});
        pieces.last().text.append(c);
    };
    for (int i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('\'')) {
            ++i;
            if (i < pattern.size() && pattern.at(i) == QLatin1Char('\'')) {
                addLiteral(c);
                ++i;
                continue;
            }
            while (i < pattern.size()) {
                if (pattern.at(i) == QLatin1Char('\'')) {
                    if (i + 1 < pattern.size() && pattern.at(i + 1) == QLatin1Char('\'')) {
                        addLiteral(pattern.at(i));
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                addLiteral(pattern.at(i));
                ++i;
            }
        } else if (isPatternLetter(c)) {
            int n = 1;
            while (i + n < pattern.size() && pattern.at(i + n) == c)
                ++n;
            pieces.append(Piece{c, n, QString()});
            i += n;
        } else {
            addLiteral(c);
            ++i;
        }
    }
    return pieces;
}

// The C (POSIX) locale is the absence of regional settings: the fallbacks apply.
bool hasRegionalSettings(const QLocale &locale)
{
    return locale.language() != QLocale::C;
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

QString LongTimeFormat::format(const QTime &time) const
{
    int hour = time.hour();
    if (twelveHour) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    QString text = leadingZero ? twoDigits(hour) : QString::number(hour);
    text += separator + twoDigits(time.minute()) + separator + twoDigits(time.second());
    if (twelveHour)
        text += QLatin1Char(' ') + (time.hour() < 12 ? am : pm);
    return text;
}

QString ShortDateFormat::format(const QDate &date) const
{
    return locale.toString(date, pattern);
}

LongTimeFormat longTimeFormatFrom(const QString &timePattern, const QString &am, const QString &pm)
{
    LongTimeFormat format;
    const QList<Piece> pieces = splitPattern(timePattern);
    int hourAt = -1;
    bool designator = false;
    for (int i = 0; i < pieces.size(); ++i) {
        const QChar letter = pieces.at(i).letter.toLower();
        if (letter == QLatin1Char('h') && hourAt < 0)
            hourAt = i;
        if (letter == QLatin1Char('a'))
            designator = true;
    }
    if (hourAt >= 0) {
        const Piece &hour = pieces.at(hourAt);
        format.leadingZero = hour.count >= 2;
        // "H" is always a 24-hour field; "h" counts 1 to 12 only beside a designator.
        format.twelveHour = hour.letter == QLatin1Char('h') && designator;
        // The separator is the literal text between the hour and the minutes.
        if (hourAt + 2 < pieces.size() && pieces.at(hourAt + 1).letter.isNull() &&
            pieces.at(hourAt + 2).letter == QLatin1Char('m')) {
            const QString separator = pieces.at(hourAt + 1).text;
            if (!separator.isEmpty())
                format.separator = separator;
        }
    }
    if (!am.isEmpty())
        format.am = am;
    if (!pm.isEmpty())
        format.pm = pm;
    return format;
}

LongTimeFormat longTimeFormatOf(const QLocale &locale)
{
    if (!hasRegionalSettings(locale))
        return LongTimeFormat();
    return longTimeFormatFrom(locale.timeFormat(QLocale::LongFormat), locale.amText(),
                              locale.pmText());
}

ShortDateFormat shortDateFormatOf(const QLocale &locale)
{
    ShortDateFormat format;
    const QString pattern = locale.dateFormat(QLocale::ShortFormat);
    if (hasRegionalSettings(locale) && !pattern.trimmed().isEmpty()) {
        format.pattern = pattern;
        format.locale = locale;
    }
    return format;
}

RegionalFormats::RegionalFormats(QObject *parent)
    : QObject(parent), m_source([] { return QLocale::system(); })
{
    reload();
}

void RegionalFormats::setLocaleSource(LocaleSource source)
{
    m_source = std::move(source);
    reload();
}

void RegionalFormats::reload()
{
    const QLocale locale = m_source();
    m_time = longTimeFormatOf(locale);
    m_date = shortDateFormatOf(locale);
    emit changed();
}
