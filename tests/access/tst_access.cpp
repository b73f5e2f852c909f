// Every window as assistive technology reads it, and a whole sitting driven by the keyboard
// shortcuts alone.

#include "app/accessibles.h"
#include "app/form100.h"
#include "app/form2.h"
#include "app/form400.h"
#include "app/form99.h"
#include "app/formabox.h"
#include "app/roster.h"
#include "controls/dbimage.h"
#include "controls/dblookuplistbox.h"
#include "controls/dbmemo.h"
#include "controls/dbnavigator.h"
#include "data/storage.h"
#include "data/table.h"
#include "dictionary/formaprimera.h"
#include "dictionary/formaprimera_access.h"
#include "dictionary/hoverrules.h"
#include "platform/accessibility.h"
#include "platform/application.h"
#include "platform/beep.h"
#include "platform/dialogs.h"
#include "platform/modal.h"
#include "platform/windowroster.h"
#include "support/tempdictionary.h"
#include "testmain.h"
#include "widgets/raisedlabel.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace {

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// The role each kind of control the user works with has.
QAccessible::Role roleOfKind(const QWidget *w)
{
    static const QHash<QString, QAccessible::Role> roles = {
        {QStringLiteral("TDBNavigator"), QAccessible::Button},
        {QStringLiteral("QPushButton"), QAccessible::Button},
        {QStringLiteral("QToolButton"), QAccessible::Button},
        {QStringLiteral("TDBMemo"), QAccessible::EditableText},
        {QStringLiteral("TMemo"), QAccessible::EditableText},
        {QStringLiteral("QTextEdit"), QAccessible::EditableText},
        {QStringLiteral("TDBImage"), QAccessible::Graphic},
        {QStringLiteral("TDBLookupListBox"), QAccessible::List},
    };
    return roles.value(QLatin1String(w->metaObject()->className()), QAccessible::NoRole);
}

// A visible control that takes the focus or can be clicked, not a part of Qt's own (a
// scroll area's viewport or scroll bar).
bool isInteractive(const QWidget *w)
{
    const QWidget *p = w->parentWidget();
    return w->isVisible() && !w->isWindow() && !qobject_cast<const QAbstractScrollArea *>(p) &&
           (w->focusPolicy() != Qt::NoFocus || qobject_cast<const QAbstractButton *>(w)) &&
           !(p && qobject_cast<const QAbstractScrollArea *>(p->parentWidget()));
}

int firstKey(const QKeySequence &sequence)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return sequence[0].toCombined();
#else
    return sequence[0];
#endif
}

} // namespace

class TestAccess : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installAccessibleFactory(); }
    void init();
    void cleanup();

    void everyControlSpeaks();
    void mainWindowAsAScreenReaderReadsIt_data();
    void mainWindowAsAScreenReaderReadsIt();
    void shortcutsTakeNoKeyOfTheControls();
    void aSittingByShortcutsOnly();
    void stateChangesAreAnnounced();

private:
    // Presses a key combination where the focus is, as the user does.
    void press(const char *keys)
    {
        QTest::keySequence(QApplication::focusWidget(),
                           QKeySequence(QLatin1String(keys), QKeySequence::PortableText));
    }
    QString current() const { return w->Table1->fieldText(ImagenOnirica); }
    QStringList storedNames() const;
    void checkWindow(QWidget *window);

    std::unique_ptr<TempDictionary> m_dir;
    std::unique_ptr<Roster> m_roster;
    TFORMAPRIMERA *w = nullptr;
    QList<QObject *> m_announced; // what the notices were about
};

// Every window of the program on a table of two entries; the main window active. The intro
// stays out of the roster, so that the activation goes on at once.
void TestAccess::init()
{
    Dialogs::Script::reset();
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::DefaultAnswer);
    Termination::reset();
    Termination::setQuitFunction([] {});
    m_dir =
        std::make_unique<TempDictionary>(named({QStringLiteral("Agua"), QStringLiteral("Luna")}));
    m_roster = std::make_unique<Roster>(m_dir->path());
    windowRoster().Form400 = nullptr;
    w = m_roster->FORMAPRIMERA();
    resetBeepCount();
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTRY_COMPARE(beepCount(), 2);
    resetBeepCount();
    m_announced.clear();
    Accessibility::setObserver([this](QAccessibleEvent *event) { m_announced << event->object(); });
}

void TestAccess::cleanup()
{
    Accessibility::setObserver(nullptr);
    m_roster.reset();
    m_dir.reset();
    Termination::reset();
}

QStringList TestAccess::storedNames() const
{
    Table table;
    table.setDatabaseDir(m_dir->path());
    table.open();
    QStringList names;
    for (table.first(); !table.eof(); table.next())
        names << table.fieldText(ImagenOnirica);
    return names;
}

void TestAccess::checkWindow(QWidget *window)
{
    for (QWidget *c : window->findChildren<QWidget *>()) {
        if (!isInteractive(c))
            continue;
        const QByteArray where = (window->objectName() + '/' + c->objectName()).toUtf8();
        QAccessibleInterface *iface = accessible(c);
        QVERIFY2(!iface->text(QAccessible::Name).trimmed().isEmpty(), where);
        QVERIFY2(roleOfKind(c) != QAccessible::NoRole && iface->role() == roleOfKind(c), where);
    }
}

// Every control the user works with, in every window and view, has a name and its role.
void TestAccess::everyControlSpeaks()
{
    QCOMPARE(accessible(w)->role(), QAccessible::Window);
    QCOMPARE(accessible(w)->text(QAccessible::Name), applicationTitle());
    const std::function<void()> views[] = {
        [] {},
        [this] { w->Spbuton100->click(); },
        [this] { w->BitBoton9812->click(); },
    };
    for (const auto &view : views) {
        view();
        checkWindow(w);
        if (QTest::currentTestFailed())
            return;
    }
    for (QWidget *window : std::initializer_list<QWidget *>{
             m_roster->Form99(), m_roster->Form2(), m_roster->Form100(), m_roster->Form400()}) {
        window->show();
        checkWindow(window);
        window->hide();
        if (QTest::currentTestFailed())
            return;
    }
}

// The main window's controls as a screen reader reads them: role, name, key, the keys named
// in Spanish like the rest of the program.
void TestAccess::mainWindowAsAScreenReaderReadsIt_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");
    const auto row = [](const char *control, QAccessible::Role role, const char *name,
                        const char *key = "") {
        QTest::newRow(control) << QString::fromLatin1(control) << int(role)
                               << QString::fromUtf8(name) << QString::fromUtf8(key);
    };
    const QAccessible::Role button = QAccessible::Button;
    row("DBNavigator3", button, "Primero", "Alt+Inicio");
    row("DBNavigator7", button, "Cancelar", "Control+D");
    row("NUEVO", button, "Añadir", "Control+N");
    row("DBNavigator6", button, "Borrar", "Alt+Suprimir");
    row("DBNavigator2", button, "Actualizar", "F5");
    row("DBNavigator1", button, "Grabar", "Control+S");
    row("DBNavigator4", button, "Anterior", "Alt+Re Pág");
    row("DBNavigator5", button, "Siguiente", "Alt+Av Pág");
    row("BitBoton9812", button, "Prólogo", "F2");
    row("BitBtn7gf", button, "Acerca de...", "F12");
    row("BitBtn2956", button, "Salir", "Control+Q");
    row("BOTONAYUDA", button, "Ayuda sobre la Base de Datos", "F1");
    row("BitBtn214569", button, "Imprimir", "Control+P");
    row("Spbuton100", button, "Visualizar Lista", "Control+L");
    row("BitBtn2000", button, "Buscar registros", "Control+B");
    row("BOTONCANCELAR", button, "Ocultar Lista", "Alt+O");
    row("BOTONNAIPES", button, "Ocultar", "Alt+O");
    row("memo9", QAccessible::EditableText, "Nombre de la Imagen Onírica:");
    row("memo10", QAccessible::EditableText, "Significado Onírico:");
    row("Memo11", QAccessible::EditableText,
        "Número(s) de la Suerte para Juegos de Azar y Apuestas:");
    row("MARCO", QAccessible::Grouping, "Imagen Onírica");
    row("DBImage1", QAccessible::Graphic, "Agua: sin Gráfico BMP");
    row("DBLOOKUPLISTBOX1", QAccessible::List, "Imagen Onírica");
    row("Memoayuda", QAccessible::EditableText, "Prólogo");
    row("Label98", QAccessible::StaticText, "Siguiente");
    row("Panel2", QAccessible::ToolBar, "");
    row("Panel3", QAccessible::StatusBar, "");
    row("Panel4", QAccessible::StaticText, "10:00:00 1/2/03"); // the clock: time and date
}

void TestAccess::mainWindowAsAScreenReaderReadsIt()
{
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QString, key);
    auto *c = w->findChild<QWidget *>(control);
    w->Timer3->stop();
    w->Timer4->stop();
    w->LABEL999->setText(QStringLiteral("10:00:00"));
    w->LABEL888->setText(QStringLiteral("1/2/03"));
    QAccessibleInterface *iface = accessible(c);
    QCOMPARE(int(iface->role()), role);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QCOMPARE(iface->text(QAccessible::Accelerator), key);
    if (!key.isEmpty()) {
        QCOMPARE(iface->actionInterface()
                     ->keyBindingsForAction(QAccessibleActionInterface::pressAction())
                     .value(0),
                 key);
    }
    // The description is the control's status-line sentence; a record command's is that of
    // the caption around it.
    const HoverRule *rule = hoverRuleFor(control);
    for (const QLabel *label : w->findChildren<QLabel *>()) {
        if (!rule && label->buddy() == c && qobject_cast<QAbstractButton *>(c))
            rule = hoverRuleFor(label->objectName());
    }
    if (rule && rule->statusText && !rule->statusText->isEmpty())
        QCOMPARE(iface->text(QAccessible::Description), *rule->statusText);
}

// No shortcut is a key that a control of the window takes for itself while it has the
// focus, nor one the windows give a meaning of their own; none repeats another.
void TestAccess::shortcutsTakeNoKeyOfTheControls()
{
    w->Spbuton100->click(); // the list's controls shown too
    const char *const fixed[] = {"Return",    "Enter",     "Esc",      "Tab",    "Shift+Tab",
                                 "Alt+O",     "Alt+S",     "Alt+V",    "Alt+C",  "Alt+I",
                                 "Ctrl+F",    "Ctrl+C",    "Ctrl+X",   "Ctrl+V", "Ctrl+Ins",
                                 "Shift+Ins", "Shift+Del", "Ctrl+Del", "Ins"};
    QSet<QKeySequence> seen;
    for (const CommandKey &command : commandKeys()) {
        QVERIFY2(!seen.contains(command.key), command.control);
        seen.insert(command.key);
        for (const char *key : fixed)
            QVERIFY2(command.key != QKeySequence(QLatin1String(key)), command.control);
        for (QWidget *c : w->findChildren<QWidget *>()) {
            if (!c->isVisible() || c->focusPolicy() == Qt::NoFocus)
                continue;
            const int combination = firstKey(command.key);
            QKeyEvent event(QEvent::ShortcutOverride, combination & ~Qt::KeyboardModifierMask,
                            Qt::KeyboardModifiers(combination & Qt::KeyboardModifierMask));
            event.setAccepted(false);
            QApplication::sendEvent(c, &event);
            QVERIFY2(!event.isAccepted(), qPrintable(c->objectName() + QLatin1String(" takes ") +
                                                     command.key.toString()));
        }
    }
}

void TestAccess::aSittingByShortcutsOnly()
{
    // A new entry: Añadir, the name, Enter, the meaning, Grabar.
    press("Ctrl+N");
    QTest::keyClicks(w->memo9, QStringLiteral("Sol"));
    press("Return");
    QTest::keyClicks(w->memo10, QStringLiteral("calor"));
    press("Ctrl+S");
    QCOMPARE(storedNames(), (QStringList{"Agua", "Luna", "Sol"}));
    QCOMPARE(beepCount(), 2); // Añadir and Grabar

    // Paging; an unavailable command does nothing and does not beep, as with a click.
    press("Alt+Home");
    QCOMPARE(current(), QStringLiteral("Agua"));
    resetBeepCount();
    press("Alt+Home");
    press("Alt+PgUp");
    QCOMPARE(beepCount(), 0);
    press("Alt+PgDown");
    QCOMPARE(current(), QStringLiteral("Luna"));
    QVERIFY(w->DBImage1->hasFocus()); // the handler moved the focus, as after a click

    Dialogs::Script::text(QStringLiteral("So"));
    press("Ctrl+B");
    QCOMPARE(current(), QStringLiteral("Sol"));

    // The list: open it, go into the grid, pick the entry above, close it with its button
    // (whose mnemonic clicks it a moment later).
    press("Ctrl+L");
    press("Tab");
    QVERIFY(w->DBLOOKUPLISTBOX1->hasFocus());
    press("Up");
    press("Alt+O");
    QTRY_VERIFY(!w->DBLOOKUPLISTBOX1->isVisible());
    QCOMPARE(current(), QStringLiteral("Luna"));

    Dialogs::Script::answer(Dialogs::Ok);
    press("Alt+Del");
    QCOMPARE(storedNames(), (QStringList{"Agua", "Sol"}));

    // Leave through the exit confirmation, answered from the keyboard too.
    TForm99 *confirmation = m_roster->Form99();
    bool answered = false;
    QTimer::singleShot(0, this, [&] {
        confirmation->activateWindow();
        if (QTest::qWaitForWindowActive(confirmation)) {
            press("Alt+S");
            answered = QTest::qWaitFor([&] { return !confirmation->isVisible(); });
        }
        if (confirmation->isVisible()) // whatever went wrong, the modal loop ends
            confirmation->close();
    });
    press("Ctrl+Q");
    QVERIFY(answered);
    QVERIFY(Termination::requested());
    QCOMPARE(storedNames(), (QStringList{"Agua", "Sol"}));
}

void TestAccess::stateChangesAreAnnounced()
{
    // "Grabar" becomes available with a new entry and says so, and unavailable again.
    QAccessibleInterface *post = accessible(w->DBNavigator1);
    QVERIFY(post->state().disabled);
    press("Ctrl+N");
    QVERIFY(!post->state().disabled);
    QVERIFY(m_announced.contains(w->DBNavigator1));
    press("Ctrl+D");
    QVERIFY(post->state().disabled);

    // Another entry: the picture's name changes with it.
    m_announced.clear();
    press("Alt+PgDown");
    QCOMPARE(accessible(w->DBImage1)->text(QAccessible::Name),
             QStringLiteral("Luna: sin Gráfico BMP"));
    QVERIFY(m_announced.contains(w->DBImage1));

    // Pressed through assistive technology, a command is clicked once the request is done.
    accessible(w->DBNavigator3)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(current(), QStringLiteral("Luna"));
    QTRY_COMPARE(current(), QStringLiteral("Agua"));

    // The list: its rows, the selected one, the focus following the current entry.
    press("Ctrl+L");
    press("Tab");
    QAccessibleInterface *list = accessible(w->DBLOOKUPLISTBOX1);
    QCOMPARE(list->childCount(), 2);
    m_announced.clear();
    press("Down");
    QAccessibleInterface *luna = list->child(1);
    QCOMPARE(luna->text(QAccessible::Name), QStringLiteral("Luna"));
    QCOMPARE(list->text(QAccessible::Value), QStringLiteral("Luna"));
    QVERIFY(luna->state().selected && luna->state().focused);
    QVERIFY(!list->child(0)->state().selected);
    QCOMPARE(list->focusChild(), luna);
    QCOMPARE(list->indexOfChild(luna), 1);
    QVERIFY(m_announced.contains(w->DBLOOKUPLISTBOX1));
}

NOCTAMBU_TEST_MAIN(TestAccess)
#include "tst_access.moc"
