// The intro screen: its pictures, the picture swap, the colour cycle of its two timers and
// what every showing starts with.

#include "app/form400.h"
#include "app/infowidgets.h"
#include "platform/appearance.h"
#include "platform/application.h"
#include "platform/autodrag.h"
#include "platform/beep.h"
#include "platform/dialogs.h"
#include "platform/modal.h"
#include "platform/windowroster.h"
#include "testmain.h"
#include "widgets/raisedlabel.h"
#include "windowtests.h"

#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QToolTip>

#include <memory>

namespace {

// Fires a timer's tick at once.
void tick(QTimer *timer)
{
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection));
}

} // namespace

class TestIntro : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void pictures();
    void madeOnTheDisplayWhenFirstShownMaximised();
    void everyShowingStartsWithTheFirstPictureOnNavy();
    void pictureSwap();
    void timersCycleTheColours();
    void closing();

private:
    std::unique_ptr<QWidget> m_main; // stands for the main window, which opens the intro
    std::unique_ptr<TForm400> m_intro;
};

void TestIntro::init()
{
    Dialogs::Script::reset();
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::DefaultAnswer);
    resetBeepCount();
    m_main = std::make_unique<QWidget>();
    m_main->setGeometry(0, 0, 800, 600);
    m_main->show();
    QTRY_VERIFY(m_main->isActiveWindow());
    m_intro = std::make_unique<TForm400>();
    windowRoster().Form400 = m_intro.get();
}

void TestIntro::cleanup()
{
    m_intro.reset();
    m_main.reset();
    windowRoster() = WindowRoster();
}

void TestIntro::pictures()
{
    initInfoResources();
    const QImage first(QStringLiteral(":/info/intro/noche.bmp"));
    const QImage second(QStringLiteral(":/info/intro/sueno.bmp"));
    for (const QImage &image : {first, second}) {
        QCOMPARE(image.size(), QSize(637, 477));
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QCOMPARE(image.colorCount(), 256);
    }
    QVERIFY(first != second);

    // Not decoded while the program starts (Qt polishes new widgets at the first turn of the
    // event loop); drawn into an image unshown, a control has its picture.
    QCoreApplication::processEvents();
    for (const QLabel *control : {m_intro->Image1, m_intro->Image3})
        QVERIFY(control->pixmap(Qt::ReturnByValue).isNull());

    // Centred in the control and cut, never scaled: 18 px off each side, 28 at the top.
    for (auto [control, image] : {std::pair{m_intro->Image3, first}, {m_intro->Image1, second}}) {
        QCOMPARE(control->geometry(), QRect(8, 8, 601, 420));
        const QImage shown = control->grab().toImage();
        QCOMPARE(shown.size(), QSize(601, 420));
        for (const QPoint at : {QPoint(0, 0), QPoint(600, 419), QPoint(300, 200)})
            QCOMPARE(shown.pixel(at), image.pixel(at + QPoint(18, 28)));
    }
    QVERIFY(m_intro->Image1->geometry() == m_intro->Image3->geometry());

    // The two pictures lie under the titles, the start button above the panel.
    m_intro->show();
    QCOMPARE(m_intro->Panel1->childAt(m_intro->Label1->geometry().center()), m_intro->Label1);
    QCOMPARE(m_intro->Panel1->childAt(m_intro->Label2->geometry().center()), m_intro->Label2);
    QCOMPARE(m_intro->childAt(m_intro->BITBTN1->geometry().center()), m_intro->BITBTN1);
    QVERIFY(AutoDrag::isInstalled(m_intro->Image3));
    QVERIFY(!AutoDrag::isInstalled(m_intro->Image1));

    // The start button's hint is never shown.
    QCOMPARE(m_intro->BITBTN1->toolTip(), QStringLiteral("Haga clic aquí para comenzar"));
    const QPoint centre = m_intro->BITBTN1->rect().center();
    QHelpEvent help(QEvent::ToolTip, centre, m_intro->BITBTN1->mapToGlobal(centre));
    QCoreApplication::sendEvent(m_intro->BITBTN1, &help);
    QVERIFY(!QToolTip::isVisible());
    m_intro->hide();
}

void TestIntro::madeOnTheDisplayWhenFirstShownMaximised()
{
    // Created hidden at start-up, the intro has no native window yet: the program's first
    // window on screen is the main window.
    QVERIFY(!m_intro->testAttribute(Qt::WA_WState_Created));
    for (int showing = 0; showing < 2; ++showing) {
        m_intro->show();
        QVERIFY(m_intro->windowState() & Qt::WindowMaximized);
        m_intro->hide();
    }
}

void TestIntro::everyShowingStartsWithTheFirstPictureOnNavy()
{
    TForm400 *intro = m_intro.get();
    struct Seen
    {
        bool first = false;
        bool second = false;
        QColor window, title, subtitle;
    } seen;
    OnShow onShow(intro, [&] {
        QTRY_COMPARE(intro->color(), Colors::clNavy);
        seen = {intro->Image3->isVisible(), intro->Image1->isVisible(), intro->color(),
                intro->Label1->fontColor(), intro->Label2->fontColor()};
        intro->BITBTN1->click();
    });

    // The very first showing, before any tick.
    showModal(intro);
    QVERIFY(seen.first && !seen.second);
    QCOMPARE(seen.window, Colors::clNavy);
    QCOMPARE(seen.title, Colors::clRed);
    QCOMPARE(seen.subtitle, Colors::clBlue);

    // The labels keep what the last tick left; the window is navy and the first picture
    // shows, whatever the timers and the pointer did before.
    intro->BITBTN1MouseMove();
    tick(intro->Timer3);
    tick(intro->Timer2); // blue window
    showModal(intro);
    QVERIFY(seen.first && !seen.second);
    QCOMPARE(seen.window, Colors::clNavy);
    QCOMPARE(seen.title, Colors::clRed);
    QCOMPARE(seen.subtitle, Colors::clBlue);

    intro->BITBTN1MouseMove();
    tick(intro->Timer3);
    showModal(intro);
    QVERIFY(seen.first && !seen.second);
    QCOMPARE(seen.window, Colors::clNavy);
    QCOMPARE(seen.title, Colors::clBlue);
    QCOMPARE(seen.subtitle, Colors::clRed);
    QCOMPARE(onShow.shows, 3);
}

void TestIntro::pictureSwap()
{
    TForm400 *intro = m_intro.get();
    const auto showing = [intro]() -> QLabel * {
        if (intro->Image1->isVisible() == intro->Image3->isVisible())
            return nullptr;
        return intro->Image1->isVisible() ? intro->Image1 : intro->Image3;
    };
    bool done = false;
    OnShow onShow(intro, [&] {
        QTRY_COMPARE(showing(), intro->Image3);

        hover(intro->BITBTN1);
        QCOMPARE(showing(), intro->Image1);
        // Leaving the button over a title, the panel's frame or the window's background
        // keeps the second picture.
        hover(intro->Label1);
        hover(intro->Label2, {5, 5});
        hover(intro->Panel1, {2, 2});
        hover(intro, {intro->width() - 3, intro->height() - 3});
        hover(intro, {3, 3});
        QCOMPARE(showing(), intro->Image1);
        // Crossing the picture brings the first one back.
        hover(intro->Image1, {300, 300});
        QCOMPARE(showing(), intro->Image3);
        hover(intro->Image3, {310, 300});
        QCOMPARE(showing(), intro->Image3);
        hover(intro->BITBTN1, {3, 3});
        QCOMPARE(showing(), intro->Image1);
        hover(intro->Image1, {20, 400});
        QCOMPARE(showing(), intro->Image3);
        done = true;
        intro->BITBTN1->click();
    });
    showModal(intro);
    QVERIFY(done);
}

void TestIntro::timersCycleTheColours()
{
    TForm400 *intro = m_intro.get();
    // Both run from creation, shown or not, and are never stopped.
    QVERIFY(intro->Timer2->isActive());
    QVERIFY(intro->Timer3->isActive());
    QCOMPARE(intro->Timer2->interval(), 2000);
    QCOMPARE(intro->Timer3->interval(), 2100);
    // Scheme A lasts exact multiples of 100 ms: a coarse timer's slack of 5% would blur them.
    QCOMPARE(intro->Timer2->timerType(), Qt::PreciseTimer);
    QCOMPARE(intro->Timer3->timerType(), Qt::PreciseTimer);
    QVERIFY(!intro->isVisible());

    // The scheme on display is that of the timer that ticked last.
    const auto scheme = [intro] {
        return QVector<QColor>{intro->Label1->fontColor(), intro->Label2->fontColor(),
                               intro->color()};
    };
    const QVector<QColor> a{Colors::clRed, Colors::clBlue, Colors::clBlue};
    const QVector<QColor> b{Colors::clBlue, Colors::clRed, Colors::clNavy};
    tick(intro->Timer3);
    QCOMPARE(scheme(), b);
    tick(intro->Timer3);
    QCOMPARE(scheme(), b);
    tick(intro->Timer2);
    QCOMPARE(scheme(), a);
    tick(intro->Timer3);
    QCOMPARE(scheme(), b);
    QCOMPARE(intro->Label1->textStyle(), TRaisedLabel::tsRaised);
    QCOMPARE(intro->Label2->textStyle(), TRaisedLabel::tsRaised);

    // Ticks reach the window while it is shown, and showing and closing it stops nothing.
    OnShow onShow(intro, [&] {
        QTRY_COMPARE(intro->color(), Colors::clNavy);
        tick(intro->Timer2);
        QCOMPARE(scheme(), a);
        QCOMPARE(intro->grab().toImage().pixelColor(2, 2), Colors::clBlue);
        tick(intro->Timer3);
        QCOMPARE(intro->grab().toImage().pixelColor(2, 2), Colors::clNavy);
        intro->close();
    });
    showModal(intro);
    QVERIFY(intro->Timer2->isActive());
    QVERIFY(intro->Timer3->isActive());
}

void TestIntro::closing()
{
    TForm400 *intro = m_intro.get();
    int step = 0;
    bool focusOnStart = false;
    bool openAfterEscape = false;
    OnShow onShow(intro, [&] {
        QTRY_VERIFY(intro->isActiveWindow());
        focusOnStart = QApplication::focusWidget() == intro->BITBTN1;
        if (step == 0) {
            QTest::keyClick(intro, Qt::Key_Escape);
            openAfterEscape = intro->isVisible();
            QTest::keyClick(intro, Qt::Key_I, Qt::AltModifier);
        } else {
            intro->close(); // the title bar's close control
        }
    });
    QCOMPARE(showModal(intro), int(QDialog::Rejected));
    QVERIFY(focusOnStart);
    QVERIFY(openAfterEscape);
    QVERIFY(!intro->isVisible());
    step = 1;
    QCOMPARE(showModal(intro), int(QDialog::Rejected));
    QVERIFY(!intro->isVisible());
    QCOMPARE(onShow.shows, 2);
    QCOMPARE(beepCount(), 0);
}

NOCTAMBU_TEST_MAIN(TestIntro)

#include "tst_intro.moc"
