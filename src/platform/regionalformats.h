#pragma once

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QString>

#include <functional>

// Not QLocale's own formats: the clock shows the time the way the regional settings describe
// it field by field (separator, leading zero, 12-hour designators), which QLocale::toString
// does not take apart.
// The long time format of the user's regional settings: the hour, the time separator,
// two-digit minutes, the separator, two-digit seconds, and on a 12-hour clock a blank and the
// morning or afternoon designator. The defaults are what applies where the settings give no
// value.
struct LongTimeFormat
{
    QString separator = QStringLiteral(":");
    bool leadingZero = false;
    bool twelveHour = true;
    QString am = QStringLiteral("am");
    QString pm = QStringLiteral("pm");

    QString format(const QTime &time) const;
};

// The regional short-date pattern, which carries the regional date separator; without one,
// month/day/two-digit year with "/".
struct ShortDateFormat
{
    QString pattern = QStringLiteral("M/d/yy"); // QDate::toString notation
    QLocale locale = QLocale::c();              // for month and day names in the pattern

    QString format(const QDate &date) const;
};

// Builds the formats from a locale's time pattern, designators and short date pattern. The
// C (POSIX) locale gives no regional settings, so its formats are the fallbacks.
LongTimeFormat longTimeFormatFrom(const QString &timePattern, const QString &am, const QString &pm);
LongTimeFormat longTimeFormatOf(const QLocale &locale);
ShortDateFormat shortDateFormatOf(const QLocale &locale);

// The one provider of the clock's formats. It reads them from the system's regional settings
// (QLocale::system()) when made and again on reload(), which the windows call when the
// system announces a change. Tests give it another locale source.
class RegionalFormats : public QObject
{
    Q_OBJECT
public:
    using LocaleSource = std::function<QLocale()>;

    explicit RegionalFormats(QObject *parent = nullptr);

    // Replaces where the settings come from and reads them from there.
    void setLocaleSource(LocaleSource source);
    void reload();

    const LongTimeFormat &longTimeFormat() const { return m_time; }
    const ShortDateFormat &shortDateFormat() const { return m_date; }

    QString timeText(const QDateTime &moment) const { return m_time.format(moment.time()); }
    QString dateText(const QDateTime &moment) const { return m_date.format(moment.date()); }

signals:
    void changed();

private:
    LocaleSource m_source;
    LongTimeFormat m_time;
    ShortDateFormat m_date;
};
