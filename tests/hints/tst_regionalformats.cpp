// The clock's formats from the regional settings.

#include "platform/regionalformats.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QDateTime morning(QDate(2026, 3, 7), QTime(9, 5, 7));
const QDateTime evening(QDate(2026, 12, 24), QTime(21, 45, 0));
const QDateTime midnight(QDate(2026, 1, 1), QTime(0, 0, 59));
const QDateTime noon(QDate(2026, 1, 1), QTime(12, 30, 0));

} // namespace

class TestRegionalFormats : public QObject
{
    Q_OBJECT
private slots:
    void locales_data();
    void locales();
    void fallbacks();
    void changeWhileRunning();
};

void TestRegionalFormats::locales_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("date");

    QTest::newRow("es_ES morning") << "es_ES" << morning << "9:05:07"
                                   << "7/3/26";
    QTest::newRow("es_ES evening") << "es_ES" << evening << "21:45:00"
                                   << "24/12/26";
    QTest::newRow("en_US morning") << "en_US" << morning << "9:05:07 AM"
                                   << "3/7/26";
    QTest::newRow("en_US evening") << "en_US" << evening << "9:45:00 PM"
                                   << "12/24/26";
    QTest::newRow("en_US midnight") << "en_US" << midnight << "12:00:59 AM"
                                    << "1/1/26";
    QTest::newRow("en_US noon") << "en_US" << noon << "12:30:00 PM"
                                << "1/1/26";
    QTest::newRow("de_DE morning") << "de_DE" << morning << "09:05:07"
                                   << "07.03.26";
    QTest::newRow("de_DE midnight") << "de_DE" << midnight << "00:00:59"
                                    << "01.01.26";
    // The C (POSIX) locale gives no regional settings: the fallbacks, never a month name.
    QTest::newRow("C morning") << "C" << morning << "9:05:07 am"
                               << "3/7/26";
    QTest::newRow("C evening") << "C" << evening << "9:45:00 pm"
                               << "12/24/26";
    QTest::newRow("POSIX midnight") << "POSIX" << midnight << "12:00:59 am"
                                    << "1/1/26";
}

void TestRegionalFormats::locales()
{
    QFETCH(QString, locale);
    QFETCH(QDateTime, moment);
    QFETCH(QString, time);
    QFETCH(QString, date);

    RegionalFormats formats;
    formats.setLocaleSource([locale] { return QLocale(locale); });
    QCOMPARE(formats.timeText(moment), time);
    QCOMPARE(formats.dateText(moment), date);
}

void TestRegionalFormats::fallbacks()
{
    // Nothing given: ":" , no leading zero, 12-hour, "am" and "pm".
    const LongTimeFormat none = longTimeFormatFrom(QString(), QString(), QString());
    QCOMPARE(none.format(morning.time()), QStringLiteral("9:05:07 am"));
    QCOMPARE(none.format(evening.time()), QStringLiteral("9:45:00 pm"));

    // Each piece falls back on its own.
    QCOMPARE(longTimeFormatFrom(QStringLiteral("hhmmss AP"), QString(), QStringLiteral("p"))
                 .format(evening.time()),
             QStringLiteral("09:45:00 p"));
    QCOMPARE(longTimeFormatFrom(QStringLiteral("hh.mm.ss"), QStringLiteral("x"), QString())
                 .format(evening.time()),
             QStringLiteral("21.45.00"));
    // Quoted separators and designators placed before the hour.
    QCOMPARE(longTimeFormatFrom(QStringLiteral("AP h'h'mm'm'ss"), QStringLiteral("a. m."),
                                QStringLiteral("p. m."))
                 .format(morning.time()),
             QStringLiteral("9h05h07 a. m."));

    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    const ShortDateFormat noPattern;
    QCOMPARE(noPattern.format(evening.date()), QStringLiteral("12/24/26"));
    QLocale::setDefault(QLocale::c());
}

void TestRegionalFormats::changeWhileRunning()
{
    QString name = QStringLiteral("es_ES");
    RegionalFormats formats;
    formats.setLocaleSource([&name] { return QLocale(name); });
    QCOMPARE(formats.timeText(evening), QStringLiteral("21:45:00"));

    // The settings change underneath; nothing shows until they are read again.
    name = QStringLiteral("en_US");
    QCOMPARE(formats.timeText(evening), QStringLiteral("21:45:00"));
    QSignalSpy changed(&formats, &RegionalFormats::changed);
    formats.reload();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(formats.timeText(evening), QStringLiteral("9:45:00 PM"));
    QCOMPARE(formats.dateText(evening), QStringLiteral("12/24/26"));
}

QTEST_GUILESS_MAIN(TestRegionalFormats)
#include "tst_regionalformats.moc"
