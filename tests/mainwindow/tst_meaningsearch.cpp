// The window "Buscar en el diccionario" on the dream dictionary window: opened by Ctrl+F and
// the background's context menu, its results as the user types, and how Enter, a double
// click and Esc leave it.

#include "controls/dbmemo.h"
#include "controls/panel.h"
#include "data/storage.h"
#include "data/table.h"
#include "data/textindex.h"
#include "dictionary/formabuscar.h"
#include "dictionary/formaprimera.h"
#include "dictionary/formaprimera_search.h"
#include "platform/beep.h"
#include "platform/dialogs.h"
#include "support/tempdictionary.h"
#include "testmain.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QtTest>

#include <functional>
#include <memory>

class TestMeaningSearch : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void resultsFollowTheTyping();
    void leavingTheWindow_data();
    void leavingTheWindow();
    void commandFollowsTheSearchByName();
    void indexIsMadeOnTheFirstSearch();

private:
    QStringList shownNames() const;
    // Opens the window by Ctrl+F and runs inside it, while it is up, what the user does.
    void inTheWindow(const std::function<void(TFormBuscar *)> &user);

    std::unique_ptr<TestSupport::TempDictionary> m_dir;
    std::unique_ptr<TFORMAPRIMERA> w;
};

void TestMeaningSearch::init()
{
    Dialogs::Script::reset();
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::DefaultAnswer);
    resetBeepCount();
    m_dir = std::make_unique<TestSupport::TempDictionary>(QVector<TestSupport::Entry>{
        {QStringLiteral("Anillo"), QStringLiteral("Compromiso."), {}, {}},
        {QStringLiteral("Banco"), QStringLiteral("Dinero ajeno."), {}, {}},
        {QStringLiteral("Cofre"), QStringLiteral("Un corazón con dinero."), {}, {}},
        {QStringLiteral("Dinero"), QStringLiteral("Ganancias."), {}, {}},
    });
    w = std::make_unique<TFORMAPRIMERA>(m_dir->path());
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QTRY_COMPARE(beepCount(), 2);
    resetBeepCount();
}

void TestMeaningSearch::cleanup()
{
    w.reset();
    m_dir.reset();
    Dialogs::Script::reset();
}

QStringList TestMeaningSearch::shownNames() const
{
    const QListView *list = meaningSearchWindow(w.get())->ListaResultados;
    QStringList names;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        names << list->model()
                     ->index(row, 0)
                     .data(Qt::DisplayRole)
                     .toString()
                     .section(QLatin1Char(':'), 0, 0);
    return names;
}

void TestMeaningSearch::inTheWindow(const std::function<void(TFormBuscar *)> &user)
{
    bool ran = false;
    QTimer::singleShot(0, this, [&] {
        auto *window = qobject_cast<TFormBuscar *>(QApplication::activeModalWidget());
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        ran = true;
        user(window);
        if (window->isVisible()) // the user's steps failed half way
            window->reject();
    });
    QTRY_VERIFY(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(ran);
}

void TestMeaningSearch::resultsFollowTheTyping()
{
    inTheWindow([this](TFormBuscar *window) {
        QCOMPARE(window->windowTitle(), QStringLiteral("Buscar en el diccionario"));
        QTRY_VERIFY(window->EditBuscar->hasFocus());
        // Every control the keyboard reaches has a name.
        for (QWidget *c : window->findChildren<QWidget *>()) {
            if (c->focusPolicy() == Qt::NoFocus || !c->isVisible())
                continue;
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(c);
            QVERIFY2(a && !a->text(QAccessible::Name).isEmpty(), qPrintable(c->objectName()));
        }
        QTest::keyClicks(window->EditBuscar, QStringLiteral("din"));
        QTRY_VERIFY(!window->isSearching());
        // The name that holds the word first, then the meanings, each in name order.
        QCOMPARE(shownNames(), (QStringList{"Dinero", "Banco", "Cofre"}));
        QTest::keyClicks(window->EditBuscar, QStringLiteral("ero CORAZON"));
        QTRY_VERIFY(!window->isSearching());
        QCOMPARE(shownNames(), QStringList{"Cofre"});
        QTest::keyClicks(window->EditBuscar, QStringLiteral(" oro"));
        QTRY_VERIFY(!window->isSearching());
        QCOMPARE(shownNames(), QStringList{});
        QVERIFY(window->PanelEstado->text().startsWith(QStringLiteral("Ninguna entrada")));
    });
}

void TestMeaningSearch::leavingTheWindow_data()
{
    QTest::addColumn<int>("how"); // 0 Enter, 1 double click, 2 Esc
    QTest::addColumn<QString>("current");
    QTest::newRow("Enter on the second") << 0 << QStringLiteral("Banco");
    QTest::newRow("double click on the second") << 1 << QStringLiteral("Banco");
    QTest::newRow("Esc") << 2 << QStringLiteral("Anillo");
}

// An entry chosen becomes current as picking it in the record list makes it: a change being
// edited is posted first. Esc changes nothing and leaves the edit as it was.
void TestMeaningSearch::leavingTheWindow()
{
    QFETCH(int, how);
    QFETCH(QString, current);
    w->Table1->first();
    w->Table1->edit();
    w->Table1->setFieldValue(InterpretacionOnirica, QStringLiteral("Promesa."));
    inTheWindow([&](TFormBuscar *window) {
        QTest::keyClicks(window->EditBuscar, QStringLiteral("dinero"));
        QTRY_VERIFY(!window->isSearching());
        QTest::keyClick(window->EditBuscar, Qt::Key_Down);
        QListView *list = window->ListaResultados;
        QCOMPARE(list->currentIndex().row(), 1);
        if (how == 0) {
            QTest::keyClick(window->EditBuscar, Qt::Key_Return);
        } else if (how == 1) {
            const QPoint at = list->visualRect(list->currentIndex()).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        } else {
            QTest::keyClick(window->EditBuscar, Qt::Key_Escape);
        }
        QVERIFY(!window->isVisible());
    });
    QCOMPARE(w->Table1->fieldText(ImagenOnirica), current);
    QCOMPARE(w->Table1->state() == DatasetState::Browse, how != 2);
    Storage storage;
    storage.open(m_dir->path(), Storage::Access::ReadOnly);
    const QString stored = storage.rowById(storage.idOfName(QStringLiteral("Anillo")))
                               ->values[InterpretacionOnirica]
                               .toString();
    QCOMPARE(stored, how == 2 ? QStringLiteral("Compromiso.") : QStringLiteral("Promesa."));
}

void TestMeaningSearch::commandFollowsTheSearchByName()
{
    auto *command = w->findChild<QAction *>(QStringLiteral("BuscarSignificados"));
    QVERIFY(command);
    QCOMPARE(command->text(), QStringLiteral("Buscar en los significados…"));
    QCOMPARE(command->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
    QVERIFY(command->isEnabled());
    w->BitBoton9812Click(); // prologue mode: no search
    QVERIFY(!w->BitBtn2000->isEnabled());
    QVERIFY(!command->isEnabled());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(!QApplication::activeModalWidget());
}

// A table made before the index of words existed gets it when the window first opens.
void TestMeaningSearch::indexIsMadeOnTheFirstSearch()
{
    w.reset();
    {
        Storage storage;
        storage.open(m_dir->path());
        storage.begin();
        TextIndex::drop(storage.handle(), storage.path());
        storage.commit();
    }
    w = std::make_unique<TFORMAPRIMERA>(m_dir->path());
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    inTheWindow([this](TFormBuscar *window) {
        QTest::keyClicks(window->EditBuscar, QStringLiteral("corazon"));
        QTRY_VERIFY(!window->isSearching());
        QCOMPARE(shownNames(), QStringList{"Cofre"});
    });
    Storage storage;
    storage.open(m_dir->path(), Storage::Access::ReadOnly);
    QVERIFY(storage.hasTextIndex());
}

NOCTAMBU_TEST_MAIN(TestMeaningSearch)
#include "tst_meaningsearch.moc"
