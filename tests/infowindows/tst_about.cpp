// The About window with its publisher box, and the database help window: what each showing
// starts with, the keys, the pointer rules, the activation rule across the windows.

#include "app/form100.h"
#include "app/form2.h"
#include "app/form400.h"
#include "app/form99.h"
#include "app/formabox.h"
#include "app/infotexts.h"
#include "app/infowidgets.h"
#include "app/roster.h"
#include "data/storage.h"
#include "dictionary/formaprimera.h"
#include "dictionary/hoverrules.h"
#include "platform/appearance.h"
#include "platform/application.h"
#include "platform/autodrag.h"
#include "platform/beep.h"
#include "platform/dialogs.h"
#include "platform/modal.h"
#include "platform/windowroster.h"
#include "support/tempdictionary.h"
#include "testmain.h"
#include "widgets/raisedlabel.h"
#include "windowtests.h"

#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>

#include <memory>

class TestAbout : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void everyShowingStartsEmptyWithTheFocusOnClose();
    void emblemOnlyBeepsFromTheKeyboard();
    void pointerRules();
    void publisherBoxGivesTheActivationBack();
    void publisherBoxOutlivesTheAboutWindow();
    void helpWindowClosing();
    void helpWindowTexts();
    void contactLineAgreesWithThePublisherBox();
    void centredOnTheScreen();
    void automaticDragging();
    void noIntroAfterTheseWindowsClose();

private:
    QString status() const { return m_about->Panel1->caption(); }

    std::unique_ptr<QWidget> m_main; // stands for the main window
    std::unique_ptr<TForm2> m_about;
    std::unique_ptr<TFORMABOX> m_box;
    std::unique_ptr<TForm100> m_help;
    int m_mainActivations = 0;
};

void TestAbout::init()
{
    Dialogs::Script::reset();
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::DefaultAnswer);
    Termination::reset();
    m_main = std::make_unique<QWidget>();
    m_main->setWindowTitle(QStringLiteral("main"));
    m_main->setGeometry(0, 0, 800, 600);
    auto *watcher = new ActivationWatcher(m_main.get());
    m_mainActivations = 0;
    connect(watcher, &ActivationWatcher::activated, this, [this] { ++m_mainActivations; });
    m_about = std::make_unique<TForm2>();
    m_box = std::make_unique<TFORMABOX>();
    m_help = std::make_unique<TForm100>();
    windowRoster().FORMAPRIMERA = m_main.get();
    windowRoster().Form2 = m_about.get();
    windowRoster().FORMABOX = m_box.get();
    windowRoster().Form100 = m_help.get();
    m_main->show();
    QTRY_COMPARE(m_mainActivations, 1);
    resetBeepCount();
}

void TestAbout::cleanup()
{
    m_help.reset();
    m_box.reset();
    m_about.reset();
    m_main.reset();
    windowRoster() = WindowRoster();
    QCoreApplication::processEvents();
}

void TestAbout::everyShowingStartsEmptyWithTheFocusOnClose()
{
    TForm2 *about = m_about.get();
    const QVector<int> keys{Qt::Key_Return, Qt::Key_Space, Qt::Key_Enter};
    int showing = 0;
    bool openAfterEscape = false;
    OnShow onShow(about, [&] {
        QTRY_COMPARE(status(), QString());
        QTRY_COMPARE(QApplication::focusWidget(), about->SALIRACERCA);
        if (showing == 0) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            openAfterEscape = about->isVisible();
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(keys[showing]));
    });
    for (showing = 0; showing < keys.size(); ++showing) {
        // Whatever the status panel showed when the window was last closed.
        about->applyPointerRule({AboutPointerRule::Unchanged, InfoTexts::telephoneLine()});
        about->botondre333->setFocus();
        QCOMPARE(showModal(about), int(QDialog::Rejected));
        QVERIFY(!about->isVisible());
        QCOMPARE(beepCount(), showing + 1);
    }
    QVERIFY(openAfterEscape);
    QCOMPARE(onShow.shows, 3);
    // Back from the About window is no activation of the main window.
    QCoreApplication::processEvents();
    QCOMPARE(m_mainActivations, 1);

    // The closing button explains itself; the emblem does not.
    QCOMPARE(about->SALIRACERCA->toolTip(), QStringLiteral("Volver al Menú"));
    QCOMPARE(about->botondre333->toolTip(), QStringLiteral("Arcania (Distribuidor)"));
}

void TestAbout::emblemOnlyBeepsFromTheKeyboard()
{
    TForm2 *about = m_about.get();
    bool stayedOpen = false;
    int beepsBeforeClose = -1;
    QWidget *dragged = nullptr;
    OnShow onShow(about, [&] {
        QTRY_COMPARE(QApplication::focusWidget(), about->SALIRACERCA);
        about->botondre333->setFocus();
        QTest::keyClick(about->botondre333, Qt::Key_Space);
        QTest::keyClick(about->botondre333, Qt::Key_Return);
        // A mouse press starts a drag instead of a click.
        QTest::mousePress(about->botondre333, Qt::LeftButton);
        dragged = AutoDrag::dragging();
        QTest::mouseRelease(about->botondre333, Qt::LeftButton);
        stayedOpen = about->isVisible();
        beepsBeforeClose = beepCount();
        about->SALIRACERCA->click();
    });
    showModal(about);
    QVERIFY(stayedOpen);
    QCOMPARE(dragged, about->botondre333);
    QCOMPARE(beepsBeforeClose, 2);
    QCOMPARE(beepCount(), 3);
}

void TestAbout::pointerRules()
{
    TForm2 *about = m_about.get();
    TFORMABOX *box = m_box.get();
    const QString publisher = InfoTexts::publisherLine();
    const QString telephone = InfoTexts::telephoneLine();
    bool done = false;
    OnShow onShow(about, [&] {
        QTRY_COMPARE(QApplication::focusWidget(), about->SALIRACERCA);
        const QPoint margin(2, 2);

        // The margin alone neither shows nor hides the box.
        hover(about, margin);
        QCOMPARE(status(), publisher);
        QVERIFY(!box->isVisible());

        // The emblem shows the box, which beeps as it becomes active; more movement over the
        // emblem changes nothing.
        hover(about->botondre333);
        QVERIFY(box->isVisible());
        QCOMPARE(status(), publisher);
        QTRY_COMPARE(beepCount(), 1);
        QTRY_VERIFY(box->isActiveWindow());
        hover(about->botondre333, {3, 3});
        hover(about, margin);
        QVERIFY(box->isVisible());
        QCOMPARE(beepCount(), 1);

        // Every other part hides it again; each hiding of the active box gives the About
        // window its activation steps back (empty status, focus on the closing button),
        // then the part's own status text shows.
        struct Part
        {
            QWidget *control;
            QPoint at;
            QString text;
        };
        const QVector<Part> parts{
            {about->Panel2, {20, 60}, publisher},
            {about->RaisedLabel1, {5, 5}, telephone},
            {about->RaisedLabel2, {5, 5}, telephone},
            {about->RaisedLabel3, {5, 5}, telephone},
            {about->RaisedLabel4, {5, 5}, telephone},
            {about->RaisedLabel5, {5, 5}, telephone},
            {about->Memo6->viewport(), {10, 10}, telephone},
            {about->Panel1, {10, 10}, QString()},
            {about->SALIRACERCA, {10, 10}, InfoTexts::closeHint()},
        };
        int shown = 1;
        for (const Part &part : parts) {
            const QByteArray name = part.control->objectName().toLatin1();
            if (!box->isVisible()) {
                hover(about->botondre333);
                QVERIFY2(box->isVisible(), name);
                ++shown;
                QTRY_COMPARE(beepCount(), shown);
            }
            about->SALIRACERCA->clearFocus();
            hover(part.control, part.at);
            QVERIFY2(!box->isVisible(), name);
            QTRY_COMPARE(ActivationWatcher::focusRecord(), about);
            QTRY_COMPARE(QApplication::focusWidget(), about->SALIRACERCA);
            QTRY_COMPARE(status(), QString());
            hover(part.control, part.at + QPoint(1, 0));
            QCOMPARE(status(), part.text);
            QVERIFY2(!box->isVisible(), name);
        }
        // Hidden, the box stays hidden over the margin too.
        hover(about, margin);
        QVERIFY(!box->isVisible());
        QCOMPARE(beepCount(), shown);
        done = true;
        about->SALIRACERCA->click();
    });
    showModal(about);
    QVERIFY(done);
}

void TestAbout::publisherBoxGivesTheActivationBack()
{
    TForm2 *about = m_about.get();
    TFORMABOX *box = m_box.get();
    bool done = false;
    OnShow onShow(about, [&] {
        QTRY_COMPARE(QApplication::focusWidget(), about->SALIRACERCA);
        hover(about->botondre333);
        QTRY_VERIFY(box->isActiveWindow());
        QCOMPARE(beepCount(), 1);
        // Escape does nothing in the box; its close control hides it.
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(box->isVisible());
        about->SALIRACERCA->clearFocus();
        box->close();
        QVERIFY(!box->isVisible());
        QTRY_COMPARE(ActivationWatcher::focusRecord(), about);
        // The activation steps run from the event loop after the activation event, and Qt
        // may have put the focus on the closing button (first in tab order) by itself: the
        // emptied status panel is what tells that they ran.
        QTRY_COMPARE(status(), QString());
        QCOMPARE(QApplication::focusWidget(), about->SALIRACERCA);
        // Clicking into the box again activates it again, with its beep.
        hover(about->botondre333);
        QTRY_COMPARE(beepCount(), 2);
        about->activateWindow();
        QTRY_COMPARE(ActivationWatcher::focusRecord(), about);
        box->activateWindow();
        QTRY_COMPARE(beepCount(), 3);
        about->activateWindow();
        QTRY_COMPARE(ActivationWatcher::focusRecord(), about);
        QCOMPARE(beepCount(), 3);
        done = true;
        about->SALIRACERCA->click();
    });
    showModal(about);
    QVERIFY(done);
    box->hide();
}

void TestAbout::publisherBoxOutlivesTheAboutWindow()
{
    TForm2 *about = m_about.get();
    TFORMABOX *box = m_box.get();
    OnShow onShow(about, [&] {
        QTRY_COMPARE(QApplication::focusWidget(), about->SALIRACERCA);
        hover(about->botondre333);
        QTRY_VERIFY(box->isActiveWindow());
        about->activateWindow();
        QTRY_COMPARE(ActivationWatcher::focusRecord(), about);
        // Alt+F4 while the pointer rests on the emblem; the window manager moves the focus
        // about: to the box, to the main window, back to the box and to the main window.
        OnHide windowManager(about, [this, box] {
            for (QWidget *window : std::initializer_list<QWidget *>{box, m_main.get(), box})
                window->activateWindow();
        });
        about->close();
    });
    showModal(about);
    QVERIFY(!about->isVisible());
    QVERIFY(box->isVisible());
    QTRY_VERIFY(m_main->isActiveWindow());
    QCoreApplication::processEvents();
    QCOMPARE(m_mainActivations, 1); // returning is no activation, whatever came in between
    QCOMPARE(ActivationWatcher::focusRecord(), m_main.get());
    QCOMPARE(beepCount(), 1);

    // The box is on its own now: the user clicks into it, then activates the main window,
    // which counts.
    box->activateWindow();
    QTRY_VERIFY(box->isActiveWindow());
    QTest::mouseClick(box->Label1, Qt::LeftButton);
    QTRY_COMPARE(ActivationWatcher::focusRecord(), box);
    QTRY_COMPARE(beepCount(), 2);
    m_main->activateWindow();
    QTRY_COMPARE(m_mainActivations, 2);

    // Closing the box while it is active hands the activation to the main window, which
    // counts as well.
    box->activateWindow();
    QTRY_COMPARE(ActivationWatcher::focusRecord(), box);
    box->close();
    QTRY_COMPARE(m_mainActivations, 3);
    QVERIFY(!box->isVisible());
}

void TestAbout::helpWindowClosing()
{
    TForm100 *help = m_help.get();
    enum Way { Click, Enter, Space, AltC, CloseControl };
    Way way = Click;
    bool focusOnClose = false;
    bool openAfterEscape = false;
    OnShow onShow(help, [&] {
        QTRY_VERIFY(help->isActiveWindow());
        focusOnClose = QApplication::focusWidget() == help->Button1111;
        QTest::keyClick(help, Qt::Key_Escape);
        openAfterEscape = help->isVisible();
        switch (way) {
        case Click:
            QTest::mouseClick(help->Button1111, Qt::LeftButton);
            break;
        case Enter:
            QTest::keyClick(help->Button1111, Qt::Key_Return);
            break;
        case Space:
            QTest::keyClick(help->Button1111, Qt::Key_Space);
            break;
        case AltC:
            QTest::keyClick(help, Qt::Key_C, Qt::AltModifier);
            break;
        case CloseControl:
            help->close();
            break;
        }
    });
    int beeps = 0;
    for (Way each : {Click, Enter, Space, AltC, CloseControl}) {
        way = each;
        resetBeepCount();
        QCOMPARE(showModal(help), int(QDialog::Rejected));
        QVERIFY(!help->isVisible());
        QVERIFY(focusOnClose);
        QVERIFY(openAfterEscape);
        beeps += beepCount();
        QVERIFY2(beepCount() == (each == CloseControl ? 0 : 1), QByteArray::number(int(each)));
    }
    QCOMPARE(beeps, 4);
}

void TestAbout::helpWindowTexts()
{
    const QVector<QLabel *> &lines = m_help->lines;
    QCOMPARE(lines.size(), 23);
    // Blanks and quotes are part of the texts.
    QCOMPARE(lines[1]->text(), QStringLiteral("2º - Después, deberá pulsar el botón: GRABAR. "));
    QCOMPARE(lines[4]->text(),
             QStringLiteral("    - Para  \"Cambiar de Linea\"  dentro del mismo campo"));
    QCOMPARE(lines[13]->text(),
             QStringLiteral("haciendo uso de las opciones:  Edición \\ Copiar."));
    QCOMPARE(lines[4]->pos(), QPoint(8, 72));
    QCOMPARE(lines[22]->pos(), QPoint(16, 424));
    // The leading blanks are drawn, not dropped: the line is wider than without them.
    QVERIFY(lines[4]->sizeHint().width() >
            lines[4]->fontMetrics().horizontalAdvance(lines[4]->text().trimmed()));
    for (int i = 0; i < lines.size(); ++i) {
        QLabel *line = lines[i];
        QVERIFY2(line->geometry().right() < m_help->Panel1->width(), qPrintable(line->text()));
        if (i == 8) {
            auto *heading = qobject_cast<TRaisedLabel *>(line);
            QVERIFY(heading);
            QCOMPARE(heading->fontColor(), Colors::clNavy);
            continue;
        }
        QCOMPARE(line->palette().color(QPalette::WindowText),
                 i < 8 ? Colors::clBlue : Colors::clNavy);
    }
    // The box's and the About window's contact blocks carry the same heading.
    QCOMPARE(m_box->RaisedLabel2->text(), m_about->RaisedLabel5->text());
    QCOMPARE(m_about->Memo6->document()->blockCount(), 23);
}

void TestAbout::contactLineAgreesWithThePublisherBox()
{
    // The publisher, the distributor, its telephone and fax, its mobile.
    const QString line = publisherContactLine();
    for (const QLabel *label : {m_box->Label1, m_box->Label3, m_box->Label6, m_box->Label7})
        QVERIFY2(line.contains(label->text()), qPrintable(label->text()));
}

void TestAbout::centredOnTheScreen()
{
    TForm99 exitConfirmation;
    for (QWidget *window : std::initializer_list<QWidget *>{m_about.get(), m_box.get(),
                                                            m_help.get(), &exitConfirmation}) {
        // Every showing, also after the user moved the window away.
        for (int showing = 0; showing < 2; ++showing) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QTRY_VERIFY2(centredOnScreen(window), qPrintable(window->objectName()));
            window->move(window->pos() + QPoint(30, 20));
            window->hide();
        }
    }
}

void TestAbout::automaticDragging()
{
    TForm2 *about = m_about.get();
    for (QWidget *control : std::initializer_list<QWidget *>{
             about->Panel2, about->RaisedLabel1, about->RaisedLabel2, about->RaisedLabel3,
             about->RaisedLabel4, about->RaisedLabel5, about->Memo6, about->Panel1,
             about->botondre333, m_box->Panel1, m_box->Label1, m_box->Label2, m_box->Label3,
             m_box->Label4, m_box->Label5, m_box->Label6, m_box->Label7, m_help->Panel1})
        QVERIFY2(AutoDrag::isInstalled(control), qPrintable(control->objectName()));
    QVERIFY(!AutoDrag::isInstalled(about->SALIRACERCA));
    QVERIFY(!AutoDrag::isInstalled(m_box->RaisedLabel1));
    QVERIFY(!AutoDrag::isInstalled(m_box->Comments));
    for (int i = 0; i < m_help->lines.size(); ++i)
        QCOMPARE(AutoDrag::isInstalled(m_help->lines[i]), i != 8 && i < 20);
}

void TestAbout::noIntroAfterTheseWindowsClose()
{
    cleanup();
    const TestSupport::TempDictionary dict;
    Roster roster(dict.path());
    OnShow intro(roster.Form400(), [&] { roster.Form400()->BITBTN1->click(); });
    OnShow about(roster.Form2(), [&] { roster.Form2()->SALIRACERCA->click(); });
    OnShow help(roster.Form100(), [&] { roster.Form100()->Button1111->click(); });

    roster.FORMAPRIMERA()->showMaximized();
    QTRY_COMPARE(intro.shows, 1);
    QTRY_VERIFY(!roster.Form400()->isVisible());
    QTRY_COMPARE(ActivationWatcher::focusRecord(), roster.FORMAPRIMERA());

    showModal(roster.Form2());
    showModal(roster.Form100());
    QCOMPARE(about.shows, 1);
    QCOMPARE(help.shows, 1);
    roster.FORMAPRIMERA()->activateWindow();
    QTRY_VERIFY(roster.FORMAPRIMERA()->isActiveWindow());
    QCoreApplication::processEvents();
    QCOMPARE(intro.shows, 1);

    // Left over by the About window, the publisher box brings the intro back when the main
    // window is activated from it.
    about.action = [&] {
        hover(roster.Form2()->botondre333);
        roster.Form2()->SALIRACERCA->click();
    };
    showModal(roster.Form2());
    QVERIFY(roster.FORMABOX()->isVisible());
    roster.FORMABOX()->activateWindow();
    QTRY_COMPARE(ActivationWatcher::focusRecord(), roster.FORMABOX());
    roster.FORMAPRIMERA()->activateWindow();
    QTRY_COMPARE(intro.shows, 2);
    QTRY_VERIFY(!roster.Form400()->isVisible());
    roster.FORMABOX()->hide();
}

NOCTAMBU_TEST_MAIN(TestAbout)

#include "tst_about.moc"
