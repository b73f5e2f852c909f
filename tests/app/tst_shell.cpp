// The window library's shell: error boxes, the dialogs facade, automatic drag, the
// activation rule and termination.

#include "data/errors.h"
#include "platform/application.h"
#include "platform/autodrag.h"
#include "platform/beep.h"
#include "platform/dialogs.h"
#include "platform/lastchance.h"
#include "platform/modal.h"
#include "screencheck.h"
#include "testmain.h"

#include <QDialog>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <stdexcept>

namespace {

// A receiver whose handler fails.
class Failing : public QObject
{
public:
    std::function<void()> fail;
    int handled = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++handled;
        if (fail)
            fail();
        return true;
    }
};

// Runs action inside the next modal loop, once the widget is on screen.
void whenShown(QWidget *widget, std::function<void()> action)
{
    auto *filter = new QObject(widget);
    struct Once : QObject
    {
        QWidget *widget;
        std::function<void()> action;
        bool eventFilter(QObject *object, QEvent *event) override
        {
            if (object == widget && event->type() == QEvent::Show) {
                widget->removeEventFilter(this);
                QTimer::singleShot(0, widget, action);
                deleteLater();
            }
            return false;
        }
    };
    auto *once = new Once;
    once->setParent(filter);
    once->widget = widget;
    once->action = std::move(action);
    widget->installEventFilter(once);
}

QMouseEvent press(QEvent::Type type, QWidget *w, Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint at = w->rect().center();
    return QMouseEvent(type, at, w->mapToGlobal(at), button,
                       type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
}

} // namespace

class TestShell : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        Dialogs::Script::reset();
        Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::DefaultAnswer);
        Termination::reset();
        Termination::setQuitFunction([this]() { ++m_quits; });
        m_quits = 0;
        resetBeepCount();
    }

    void handlerErrorsReachTheErrorBoxAndTheProgramGoesOn();
    void lastChanceReport_data();
    void lastChanceReport();
    void scriptedDialogs();
    void realMessageBox();
    void realInputBox();
    void printDialogSpeaksSpanish();
    void autoDragSwallowsThePress();
    void activationRule();
    void terminationEndsModalLoops();

private:
    int m_quits = 0;
};

void TestShell::handlerErrorsReachTheErrorBoxAndTheProgramGoesOn()
{
    Failing receiver;
    QEvent event(QEvent::User);

    // Errors that reach the last net are shown and told to its observer (which otherwise
    // fails the test).
    QStringList atTheNet;
    const Application::LastNetObserver failing = Application::setLastNetObserver(
        [&](const std::exception &error) { atTheNet << QString::fromUtf8(error.what()); });
    receiver.fail = [] {
        throw DatabaseError(QStringLiteral("Field 'Imagen Onírica' must have a value"));
    };
    QCoreApplication::sendEvent(&receiver, &event);
    receiver.fail = [] {
        throw std::runtime_error("out of range");
    };
    QCoreApplication::sendEvent(&receiver, &event);
    receiver.fail = nullptr;
    QCoreApplication::sendEvent(&receiver, &event);
    Application::setLastNetObserver(failing);
    QCOMPARE(receiver.handled, 3);
    QCOMPARE(atTheNet, QStringList({QStringLiteral("Field 'Imagen Onírica' must have a value"),
                                    QStringLiteral("out of range")}));

    // A handler bound through guarded() reports the same way and never lets the error out.
    QPushButton button;
    connect(&button, &QPushButton::clicked, &button,
            guarded([] { throw EngineError(QStringLiteral("Key violation")); }));
    button.click();
    QVERIFY(
        !runHandler([] { throw EngineError(QStringLiteral("Record locked by another user")); }));
    QVERIFY(runHandler([] {}));

    const QVector<Dialogs::Shown> &shown = Dialogs::Script::shown();
    QCOMPARE(shown.size(), 4);
    const QStringList texts{QStringLiteral("Field 'Imagen Onírica' must have a value."),
                            QStringLiteral("out of range."), QStringLiteral("Key violation."),
                            QStringLiteral("Record locked by another user.")};
    for (int i = 0; i < shown.size(); ++i) {
        QCOMPARE(shown[i].text, texts[i]);
        QCOMPARE(shown[i].caption, QStringLiteral("NOCTAMBULA v2.0 (Noches de Fortuna)"));
        QCOMPARE(shown[i].icon, Dialogs::Icon::Critical);
        QCOMPARE(shown[i].buttons, Dialogs::Buttons(Dialogs::Ok));
    }
}

void TestShell::lastChanceReport_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("expectedClass");
    QTest::addColumn<QString>("expectedTail");
    QTest::newRow("engine") << "engine"
                            << "Database directory /x does not exist"
                            << "EDBEngineError"
                            << "Database directory /x does not exist.";
    QTest::newRow("full stop kept single") << "database"
                                           << "Table is busy."
                                           << "EDatabaseError"
                                           << "Table is busy.";
    QTest::newRow("standard") << "std"
                              << "bad thing"
                              << "std::runtime_error"
                              << "bad thing.";
}

void TestShell::lastChanceReport()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QFETCH(QString, expectedClass);
    QFETCH(QString, expectedTail);
    int marker = 0;
    const void *address = &marker;
    const auto check = [&](const std::exception &error) {
        const QString text = lastChanceText(error, address);
        const QString module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        QCOMPARE(text,
                 QStringLiteral("Exception %1 in module %2 at %3.\n%4")
                     .arg(expectedClass, module, QString::asprintf("%p", address), expectedTail));
        QCOMPARE(reportLastChance(error, address), 1);
        QCOMPARE(Dialogs::Script::shown().size(), 1);
        QCOMPARE(Dialogs::Script::shown()[0].caption, QStringLiteral("Application Error"));
        QCOMPARE(Dialogs::Script::shown()[0].text, text);
        QCOMPARE(Dialogs::Script::shown()[0].icon, Dialogs::Icon::Critical);
    };
    if (kind == QLatin1String("engine"))
        check(EngineError(message));
    else if (kind == QLatin1String("database"))
        check(DatabaseError(message));
    else
        check(std::runtime_error(message.toStdString()));
}

void TestShell::scriptedDialogs()
{
    using namespace Dialogs;
    Script::setUnscripted(Script::Unscripted::Show);
    Script::answer(Cancel);
    Script::answer(Ok);
    Script::text(QStringLiteral("Lu"));
    Script::text(std::nullopt);
    Script::text(QString(300, QLatin1Char('x')));
    Script::printResult(true);
    QCOMPARE(Script::pending(), 6);

    QCOMPARE(message(QStringLiteral("Confirm"), QStringLiteral("Delete record?"), Icon::Question,
                     Ok | Cancel, Ok),
             Cancel);
    QCOMPARE(message(QStringLiteral("Aviso"), QStringLiteral("x"), Icon::None), Ok);
    QCOMPARE(input(QStringLiteral("Entrada"), QStringLiteral("Introduce el nombre:")),
             std::optional<QString>(QStringLiteral("Lu")));
    QCOMPARE(input(QStringLiteral("Entrada"), QStringLiteral("Introduce el nombre:")),
             std::optional<QString>());
    // The edit line takes 255 characters at most, scripted or typed.
    QCOMPARE(input(QStringLiteral("Entrada"), QStringLiteral("Introduce el nombre:"))->size(), 255);
    QVERIFY(print(nullptr));
    QCOMPARE(Script::pending(), 0);

    const QVector<Shown> &shown = Script::shown();
    QCOMPARE(shown.size(), 6);
    QCOMPARE(shown[0].caption, QStringLiteral("Confirm"));
    QCOMPARE(shown[0].text, QStringLiteral("Delete record?"));
    QCOMPARE(shown[0].buttons, Buttons(Ok | Cancel));
    QCOMPARE(shown[1].icon, Icon::None);
    QCOMPARE(shown[2].kind, Shown::Input);
    QCOMPARE(shown[2].text, QStringLiteral("Introduce el nombre:"));
    QCOMPARE(shown[2].maxLength, 255);
    QCOMPARE(shown[5].kind, Shown::Print);

    // Unscripted, a test can opt for default answers instead of real dialogs.
    Script::setUnscripted(Script::Unscripted::DefaultAnswer);
    QCOMPARE(message(QStringLiteral("Confirm"), QStringLiteral("Delete record?"), Icon::Question,
                     Ok | Cancel, Cancel),
             Cancel);
    QCOMPARE(input(QStringLiteral("Entrada"), QStringLiteral("p")), std::optional<QString>());
}

void TestShell::realMessageBox()
{
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::Show);
    QStringList buttonTexts;
    QString caption;
    bool modal = false;
    bool centred = false;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        caption = box->windowTitle();
        modal = box->windowModality() == Qt::ApplicationModal;
        centred = centredOnScreen(box);
        const QList<QAbstractButton *> buttons = box->buttons();
        for (QAbstractButton *b : buttons)
            buttonTexts << b->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    const Dialogs::Button answer =
        Dialogs::message(QStringLiteral("Confirm"), QStringLiteral("Delete record?"),
                         Dialogs::Icon::Question, Dialogs::Ok | Dialogs::Cancel, Dialogs::Ok);
    QCOMPARE(answer, Dialogs::Cancel); // Esc takes Cancel
    QCOMPARE(caption, QStringLiteral("Confirm"));
    QVERIFY(modal);
    QVERIFY(centred);
    buttonTexts.sort(); // as written, though Qt's own texts are Spanish
    QCOMPARE(buttonTexts, QStringList({QStringLiteral("Cancel"), QStringLiteral("OK")}));

    QTimer::singleShot(0,
                       [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
    QCOMPARE(Dialogs::message(QStringLiteral("Confirm"), QStringLiteral("Delete record?"),
                              Dialogs::Icon::Question, Dialogs::Ok | Dialogs::Cancel, Dialogs::Ok),
             Dialogs::Ok); // Enter takes the default

    // A notice has its one button, as written too.
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        buttonTexts.clear();
        for (QAbstractButton *b : box->buttons())
            buttonTexts << b->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    Dialogs::message(QStringLiteral("Aviso"), QStringLiteral("No hay."), Dialogs::Icon::None,
                     Dialogs::Ok, Dialogs::Ok);
    QCOMPARE(buttonTexts, QStringList{QStringLiteral("OK")});
}

void TestShell::realInputBox()
{
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::Show);
    int maxLength = 0;
    bool centred = false;
    QStringList buttonTexts;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        QVERIFY(box);
        centred = centredOnScreen(box);
        for (const QPushButton *button : box->findChildren<QPushButton *>())
            buttonTexts << button->text();
        auto *line = box->findChild<QLineEdit *>();
        QVERIFY(line);
        maxLength = line->maxLength();
        QTest::keyClicks(line, QStringLiteral("Luna"));
        QTest::keyClick(line, Qt::Key_Return);
    });
    QCOMPARE(Dialogs::input(QStringLiteral("Entrada"), QStringLiteral("Introduce el nombre:")),
             std::optional<QString>(QStringLiteral("Luna")));
    QCOMPARE(maxLength, 255);
    QVERIFY(centred);
    buttonTexts.sort();
    QCOMPARE(buttonTexts, QStringList({QStringLiteral("Cancel"), QStringLiteral("OK")}));

    QTimer::singleShot(0,
                       [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    QCOMPARE(Dialogs::input(QStringLiteral("Entrada"), QStringLiteral("Introduce el nombre:"),
                            QStringLiteral("x")),
             std::optional<QString>());
}

void TestShell::printDialogSpeaksSpanish()
{
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::Show);
    QPrinter printer;
    QString caption;
    QStringList texts;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        caption = dialog->windowTitle();
        for (const QAbstractButton *button : dialog->findChildren<QAbstractButton *>())
            texts << button->text();
        for (const QLabel *label : dialog->findChildren<QLabel *>())
            texts << label->text();
        for (const QGroupBox *group : dialog->findChildren<QGroupBox *>())
            texts << group->title();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    QVERIFY(!Dialogs::print(&printer));
    QCOMPARE(caption, QStringLiteral("Imprimir"));
    // Qt's catalog, and the gaps it leaves filled by the program.
    for (const char *spanish :
         {"Im&primir", "Cancelar", "Impresora", "Copias:", "Impresión a doble cara", "Páginas"})
        QVERIFY2(texts.contains(QString::fromUtf8(spanish)),
                 qPrintable(texts.join(QLatin1Char('|'))));
}

void TestShell::autoDragSwallowsThePress()
{
    QWidget window;
    auto *label = new QLabel(QStringLiteral("Arrastre"), &window);
    label->setGeometry(0, 0, 100, 20);
    auto *edit = new QLineEdit(QStringLiteral("texto"), &window);
    edit->setGeometry(0, 30, 100, 20);
    auto *button = new QPushButton(QStringLiteral("Botón"), &window);
    button->setGeometry(0, 60, 100, 25);
    auto *other = new QLineEdit(&window);
    other->setGeometry(0, 90, 100, 20);
    for (QWidget *w : {static_cast<QWidget *>(label), static_cast<QWidget *>(edit),
                       static_cast<QWidget *>(button)})
        AutoDrag::install(w);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    other->setFocus();
    edit->setCursorPosition(0);
    QSignalSpy clicks(button, &QPushButton::clicked);

    for (QWidget *w : {static_cast<QWidget *>(label), static_cast<QWidget *>(edit),
                       static_cast<QWidget *>(button)}) {
        QMouseEvent down = press(QEvent::MouseButtonPress, w);
        QApplication::sendEvent(w, &down);
        QCOMPARE(AutoDrag::dragging(), w);
        QCOMPARE(QWidget::mouseGrabber(), w);
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::ForbiddenCursor);
        QMouseEvent up = press(QEvent::MouseButtonRelease, w);
        QApplication::sendEvent(w, &up);
        QCOMPARE(AutoDrag::dragging(), nullptr);
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
        QVERIFY(!QGuiApplication::overrideCursor());
    }
    // No click, no focus, no caret move, no selection; the keyboard can still reach them.
    QCOMPARE(clicks.count(), 0);
    QVERIFY(other->hasFocus());
    QCOMPARE(edit->cursorPosition(), 0);
    QVERIFY(!edit->hasSelectedText());
    QVERIFY(edit->focusPolicy() & Qt::TabFocus);

    // Other buttons are left alone; a drag ends if its control disappears.
    QMouseEvent right = press(QEvent::MouseButtonPress, label, Qt::RightButton);
    QApplication::sendEvent(label, &right);
    QCOMPARE(AutoDrag::dragging(), nullptr);
    QMouseEvent down = press(QEvent::MouseButtonPress, label);
    QApplication::sendEvent(label, &down);
    label->hide();
    QCOMPARE(AutoDrag::dragging(), nullptr);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestShell::activationRule()
{
    QWidget main;
    main.setWindowTitle(QStringLiteral("main"));
    auto *watcher = new ActivationWatcher(&main);
    int activations = 0;
    QDialog modal;
    QDialog box; // stands for the one non-modal window
    connect(watcher, &ActivationWatcher::activated, &main, [&] {
        ++activations;
        // The handler may open a modal window itself.
        if (activations == 1) {
            QTimer::singleShot(0, &modal, &QDialog::reject);
            showModal(&modal);
        }
    });

    main.show();
    QTRY_COMPARE(activations, 1);
    QTRY_COMPARE(ActivationWatcher::focusRecord(), &main);

    // Back from a modal window: not an activation, however the window comes back.
    whenShown(&modal, [&] { modal.reject(); });
    QCOMPARE(showModal(&modal), int(QDialog::Rejected));
    main.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &main);
    QCoreApplication::processEvents();
    QCOMPARE(activations, 1);

    // From the non-modal window it counts.
    box.show();
    QTRY_COMPARE(ActivationWatcher::focusRecord(), &box);
    main.activateWindow();
    QTRY_COMPARE(activations, 2);
    box.hide();
}

void TestShell::terminationEndsModalLoops()
{
    QDialog outer;
    QDialog inner;
    int innerResult = -1;
    whenShown(&outer, [&] {
        whenShown(&inner, [] { Termination::request(); });
        innerResult = showModal(&inner);
    });
    QCOMPARE(showModal(&outer), int(QDialog::Rejected));
    QCOMPARE(innerResult, int(QDialog::Rejected));
    QVERIFY(!outer.isVisible());
    QVERIFY(!inner.isVisible());
    QVERIFY(Termination::requested());
    QCOMPARE(m_quits, 1);
    // Once terminating, no window is shown modally any more.
    QCOMPARE(showModal(&outer), int(QDialog::Rejected));
    QVERIFY(!outer.isVisible());
}

NOCTAMBU_TEST_MAIN(TestShell)

#include "tst_shell.moc"
