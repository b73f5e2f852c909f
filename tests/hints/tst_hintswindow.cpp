// Status-line hints and the clock on the real dictionary window.

#include "controls/dbimage.h"
#include "controls/dblookuplistbox.h"
#include "controls/dbmemo.h"
#include "controls/dbnavigator.h"
#include "data/errors.h"
#include "data/storage.h"
#include "data/table.h"
#include "dictionary/formaprimera.h"
#include "dictionary/formaprimera_hints.h"
#include "dictionary/hoverrules.h"
#include "hover.h"
#include "platform/appearance.h"
#include "platform/regionalformats.h"
#include "support/tempdictionary.h"
#include "testmain.h"
#include "widgets/raisedlabel.h"

#include <QFrame>
#include <QHelpEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QWindow>
#include <QtTest>

#include <memory>

namespace {

const QString picture = QStringLiteral("Imagen Onírica");

QString ruleText(const char *control)
{
    return *hoverRuleFor(QLatin1String(control))->statusText;
}

} // namespace

class TestHintsWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startState();
    void hoverSequence();
    void pointerThroughTheWindowSystem();
    void prologueMode();
    void listPanelTakesTheFocus();
    void clockTicksWithTheRegionalFormats();
    void noTimerNoWindow();

private:
    QString status() const { return m_w->Panel3->text(); }
    QColor statusColor() const { return statusLineColor(m_w->Panel3); }

    std::unique_ptr<TestSupport::TempDictionary> m_dir;
    std::unique_ptr<TFORMAPRIMERA> m_w;
};

void TestHintsWindow::init()
{
    m_dir = std::make_unique<TestSupport::TempDictionary>(
        TestSupport::named({QStringLiteral("Agua"), QStringLiteral("Luna")}));
    m_w = std::make_unique<TFORMAPRIMERA>(m_dir->path());
}

void TestHintsWindow::cleanup()
{
    m_w.reset();
    m_dir.reset();
}

void TestHintsWindow::startState()
{
    QCOMPARE(status(), QString());
    QCOMPARE(statusColor(), Colors::clRed);
    QCOMPARE(m_w->Label16->text(), picture);
    QCOMPARE(m_w->Label16->fontColor(), Colors::clNavy);
    QCOMPARE(m_w->LABEL999->text(), QStringLiteral("22:22:22"));
    QCOMPARE(m_w->LABEL888->text(), QStringLiteral("22/22/98"));
    for (QTimer *timer : {m_w->Timer3, m_w->Timer4}) {
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 1000);
        QCOMPARE(timer->timerType(), Qt::PreciseTimer);
    }
    QVERIFY(m_w->hasMouseTracking());
    QVERIFY(m_w->memo10->viewport()->hasMouseTracking());

    // No tooltips, whatever a control carries.
    m_w->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_w.get()));
    m_w->BitBtn2000->setToolTip(QStringLiteral("Buscar"));
    const QPoint at = m_w->BitBtn2000->rect().center();
    QHelpEvent help(QEvent::ToolTip, at, m_w->BitBtn2000->mapToGlobal(at));
    QApplication::sendEvent(m_w->BitBtn2000, &help);
    QVERIFY(!QToolTip::isVisible());
}

void TestHintsWindow::hoverSequence()
{
    // No rule has set a colour yet: the sentence shows in red.
    hover(m_w->Label9);
    QCOMPARE(status(), ruleText("Label9"));
    QCOMPARE(statusColor(), Colors::clRed);
    hover(m_w->memo10);
    QCOMPARE(statusColor(), Colors::clMaroon);
    hover(m_w->Label9);
    QCOMPARE(status(), ruleText("Label9"));
    QCOMPARE(statusColor(), Colors::clMaroon);

    hover(m_w->DBImage1);
    QCOMPARE(m_w->Label16->text(), QStringLiteral("Aquí Pegará los Gráficos"));
    QCOMPARE(m_w->Label16->fontColor(), Colors::clBlue);
    hover(m_w->Label16);
    QCOMPARE(m_w->Label16->text(), picture);
    QCOMPARE(m_w->Label16->fontColor(), Colors::clBlue);
    hover(m_w->Panel1, QPoint(440, 60)); // bare, between the commands and the toolbar
    QCOMPARE(m_w->Label16->fontColor(), Colors::clNavy);
    QCOMPARE(status(), QString());

    hover(m_w->Spbuton100);
    const QString list = status();
    QCOMPARE(list, ruleText("Spbuton100"));
    hover(m_w->Panel4, QPoint(2, 2));
    QCOMPARE(m_w->Label16->fontColor(), Colors::clBlack);
    QCOMPARE(status(), list);
    QCOMPARE(statusColor(), Colors::clBlue);
    hover(m_w->LABEL888);
    QCOMPARE(status(), QStringLiteral("Fecha obtenida del sistema."));

    hover(m_w->Panel3);
    QCOMPARE(status(), publisherContactLine());
    // Whole on the status line, in its font.
    QVERIFY(QFontMetrics(m_w->Panel3->font()).horizontalAdvance(status()) <=
            m_w->Panel3->contentsRect().width());
    hover(m_w->Label3);
    hover(m_w.get(), QPoint(m_w->width() - 2, m_w->height() / 2)); // the window's own margin
    QCOMPARE(status(), publisherContactLine());

    // Over a navigator button the caption label's sentence stays.
    hover(m_w->Label7, QPoint(2, 2));
    hover(m_w->NUEVO);
    QCOMPARE(status(), ruleText("Label7"));
}

void TestHintsWindow::pointerThroughTheWindowSystem()
{
    m_w->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_w.get()));
    QWindow *window = m_w->windowHandle();
    auto moveOnto = [&](QWidget *control, QPoint at) {
        QTest::mouseMove(window, control->mapTo(m_w.get(), at));
    };
    moveOnto(m_w->memo10, QPoint(40, 40));
    QTRY_COMPARE(status(), ruleText("memo10"));
    moveOnto(m_w->DBImage1, QPoint(40, 40));
    QTRY_COMPARE(m_w->Label16->text(), QStringLiteral("Aquí Pegará los Gráficos"));
    QCOMPARE(status(), ruleText("DBImage1"));
    moveOnto(m_w->Label7, QPoint(2, 2));
    QTRY_COMPARE(status(), ruleText("Label7"));
    moveOnto(m_w->NUEVO, QPoint(10, 10));
    moveOnto(m_w->Panel4, QPoint(2, 2)); // the last move is handled when this one is
    QTRY_COMPARE(m_w->Label16->fontColor(), Colors::clBlack);
    QCOMPARE(status(), ruleText("Label7"));
}

void TestHintsWindow::prologueMode()
{
    hover(m_w->memo10);
    m_w->BitBoton9812Click();
    QVERIFY(m_w->Panel3->isHidden());

    // Disabled toolbar button: the toolbar panel's rule; disabled caption: the main panel's.
    hover(m_w->BitBtn2956);
    QCOMPARE(status(), QString());
    QCOMPARE(m_w->Label16->fontColor(), Colors::clNavy);
    hover(m_w->memo10);
    hover(m_w->Label3, QPoint(2, 2));
    QCOMPARE(status(), QString());
    hover(m_w->memo10);
    hover(m_w->Label9);
    QCOMPARE(status(), QString());
    hover(m_w->memo10);
    hover(m_w->DBNavigator5);
    QCOMPARE(status(), QString());

    // The last sentence shows when the status line comes back.
    hover(m_w.get(), QPoint(m_w->width() - 2, m_w->height() / 2));
    QCOMPARE(status(), publisherContactLine());
    m_w->BOTONNAIPESClick();
    QVERIFY(!m_w->Panel3->isHidden());
    QCOMPARE(status(), publisherContactLine());
    QCOMPARE(statusColor(), Colors::clMaroon);

    hover(m_w->BitBtn2956);
    QCOMPARE(status(), QStringLiteral("Haga clic para Salir del Programa."));
}

void TestHintsWindow::listPanelTakesTheFocus()
{
    m_w->show();
    m_w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
    QTRY_VERIFY(m_w->memo9->hasFocus()); // after activation

    m_w->PANELLISTA->show();
    m_w->DBLOOKUPLISTBOX1->show();
    m_w->DBLOOKUPLISTBOX1->setFocus();
    QVERIFY(m_w->DBLOOKUPLISTBOX1->hasFocus());
    m_w->Label9->setText(QStringLiteral("Escriba el nombre"));
    m_w->Label9->setFontColor(Colors::clBlue);
    m_w->Label16->setFontColor(Colors::clBlack);

    hover(m_w->DBLOOKUPLISTBOX1);
    QVERIFY(m_w->DBLOOKUPLISTBOX1->hasFocus());

    hover(m_w->PANELLISTA, QPoint(m_w->PANELLISTA->width() - 2, m_w->PANELLISTA->height() - 2));
    QCOMPARE(status(), ruleText("PANELLISTA"));
    QVERIFY(m_w->DBImage1->hasFocus());
    QCOMPARE(m_w->Label9->text(), QStringLiteral("Nombre de la Imagen Onírica:"));
    QCOMPARE(m_w->Label9->fontColor(), Colors::clNavy);
    QCOMPARE(m_w->Label16->text(), picture);
    QCOMPARE(m_w->Label16->fontColor(), Colors::clNavy);
}

void TestHintsWindow::clockTicksWithTheRegionalFormats()
{
    WindowClock *clock = windowClock(m_w.get());
    QVERIFY(clock);
    clock->setSource([] { return QDateTime(QDate(2026, 12, 24), QTime(21, 45, 3)); });
    QString name = QStringLiteral("es_ES");
    clock->formats()->setLocaleSource([&name] { return QLocale(name); });

    // The timers run on their own.
    QTRY_COMPARE(m_w->LABEL999->text(), QStringLiteral("21:45:03"));
    QTRY_COMPARE(m_w->LABEL888->text(), QStringLiteral("24/12/26"));

    // The settings change while the program runs: read again on the system's notice.
    name = QStringLiteral("en_US");
    m_w->Timer3Timer();
    QCOMPARE(m_w->LABEL999->text(), QStringLiteral("21:45:03"));
    QEvent change(QEvent::LocaleChange);
    QApplication::sendEvent(m_w.get(), &change);
    QTRY_COMPARE(m_w->LABEL999->text(), QStringLiteral("9:45:03 PM"));
    QTRY_COMPARE(m_w->LABEL888->text(), QStringLiteral("12/24/26"));
    name = QStringLiteral("de_DE");
    QApplication::sendEvent(m_w.get(), &change);
    m_w->Timer4Timer();
    QCOMPARE(m_w->LABEL888->text(), QStringLiteral("24.12.26"));
}

void TestHintsWindow::noTimerNoWindow()
{
    // A timer that belongs to another thread cannot be had from this one.
    QThread other;
    other.start();
    auto *timer = new QTimer;
    timer->moveToThread(&other);
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^QObject::startTimer: Timers")));
    bool raised = false;
    try {
        startClockTimer(timer);
    } catch (const Error &error) {
        raised = true;
        QCOMPARE(error.message(), QStringLiteral("Not enough timers available"));
    }
    timer->deleteLater(); // in its own thread
    other.quit();
    other.wait();
    QVERIFY(raised);
}

NOCTAMBU_TEST_MAIN(TestHintsWindow)
#include "tst_hintswindow.moc"
