// The record list view and the search by name on the dream dictionary window: opening and
// the two ways of closing the list, the search's steps, its dialogs and its failure path.

#include "controls/datasource.h"
#include "controls/dbimage.h"
#include "controls/dblookuplistbox.h"
#include "controls/dbmemo.h"
#include "controls/dbnavigator.h"
#include "controls/memo.h"
#include "data/picturecodec.h"
#include "data/storage.h"
#include "data/table.h"
#include "dictionary/formaprimera.h"
#include "platform/appearance.h"
#include "platform/application.h"
#include "platform/autodrag.h"
#include "platform/beep.h"
#include "platform/dialogs.h"
#include "support/tempdictionary.h"
#include "testmain.h"
#include "widgets/raisedlabel.h"

#include <QBuffer>
#include <QFrame>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace {

const QString KeyField = QStringLiteral("IMAGEN ONÍRICA");
const QString NotFound = QStringLiteral(
    "Para buscar el nombre, deberá de escribirlo tal y como está escrito en la base de datos; "
    "ya que la opción buscar distingue mayúsculas y minúsculas. -          ¡¡¡ Pruebe de "
    "nuevo !!!");
// A name of the field's full 50 characters.
const QString Long50 = QStringLiteral("Sueño de cincuenta letras que llega hasta el final");

QByteArray pictureBytes(const QColor &colour)
{
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray bmp;
    QBuffer buf(&bmp);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "BMP");
    return PictureCodec::encode(bmp);
}

} // namespace

class TestListSearch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void searchMatchesCaseAndAccents_data();
    void searchMatchesCaseAndAccents();
    void searchStepsAndDialogs();
    void searchCutsToFiftyCharacters();
    void searchClosesListEvenWhenCancelled();
    void searchSettlesEditEvenWhenCancelled();
    void searchStopsWhenEditCannotBeStored();
    void foundEntryInTheMiddleRow();

    void openingSteps();
    void closeByButtonKeepsEditAndRestoresPrompts();
    void closeByDoubleClickStoresEditAndKeepsPrompts();
    void doubleClickFailureClosesListOnly();
    void gridMovesEditorsAndPicture();
    void gridKeysHomeEndAndReadOnly();
    void listFollowsNext();
    void enterOrSpaceRightAfterOpeningCloses();
    void panelDragsOnItsMargin();

private:
    void makeWindow(const QStringList &names);
    QString current() const { return w->Table1->fieldText(ImagenOnirica); }
    bool listOpen() const;
    bool listClosed() const;
    QWidget *focused() const { return w->focusWidget(); }
    void search(const std::optional<QString> &text);
    QVector<Dialogs::Shown> shownOf(Dialogs::Shown::Kind kind) const;

    std::unique_ptr<TempDictionary> m_dir;
    std::unique_ptr<TFORMAPRIMERA> w;
};

void TestListSearch::initTestCase()
{
    installFontSubstitutions();
}

void TestListSearch::init()
{
    m_dir = std::make_unique<TempDictionary>();
    Dialogs::Script::reset();
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::DefaultAnswer);
}

void TestListSearch::cleanup()
{
    w.reset();
    Dialogs::Script::reset();
}

void TestListSearch::makeWindow(const QStringList &names)
{
    QVector<Entry> entries = named(names);
    for (Entry &entry : entries)
        entry.meaning = QStringLiteral("Significado de ") + entry.name;
    m_dir->add(entries);
    w = std::make_unique<TFORMAPRIMERA>(m_dir->path());
    resetBeepCount();
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    // The activation (without an intro here) ends with its second beep: the list closed,
    // the first entry, the focus in the name editor.
    QTRY_COMPARE(beepCount(), 2);
    QVERIFY(listClosed());
    QCOMPARE(focused(), w->memo9);
    resetBeepCount();
    Dialogs::Script::reset();
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::DefaultAnswer);
}

bool TestListSearch::listOpen() const
{
    return !w->DBLOOKUPLISTBOX1->isHidden() && !w->BOTONCANCELAR->isHidden() &&
           !w->PANELLISTA->isHidden();
}

bool TestListSearch::listClosed() const
{
    return w->DBLOOKUPLISTBOX1->isHidden() && w->BOTONCANCELAR->isHidden() &&
           w->PANELLISTA->isHidden();
}

void TestListSearch::search(const std::optional<QString> &text)
{
    Dialogs::Script::text(text);
    w->BitBtn2000Click();
}

QVector<Dialogs::Shown> TestListSearch::shownOf(Dialogs::Shown::Kind kind) const
{
    QVector<Dialogs::Shown> out;
    for (const Dialogs::Shown &s : Dialogs::Script::shown()) {
        if (s.kind == kind)
            out << s;
    }
    return out;
}

void TestListSearch::searchMatchesCaseAndAccents_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("found"); // empty: not found, the entry stays
    QTest::newRow("whole name") << "Agua"
                                << "Agua";
    QTest::newRow("longer prefix") << "Aguac"
                                   << "Aguacero";
    QTest::newRow("whole longer name") << "Aguacero"
                                       << "Aguacero";
    QTest::newRow("small letters") << "agua"
                                   << "";
    QTest::newRow("capitals") << "AGUA"
                              << "";
    QTest::newRow("accent as stored") << "Árbol"
                                      << "Árbol";
    QTest::newRow("accent missing") << "Arbol"
                                    << "";
    QTest::newRow("accent extra") << "Zápato"
                                  << "";
    QTest::newRow("accent missing, other name") << "Agil"
                                                << "";
    QTest::newRow("eñe") << "Ñan"
                         << "Ñandú";
    QTest::newRow("decomposed accent") << QString::fromUtf8("A\xCC\x81rbol") << "Árbol";
    QTest::newRow("beyond every name") << "Zz"
                                       << "";
    QTest::newRow("longer than the name") << "Aguacero grande"
                                          << "";
}

void TestListSearch::searchMatchesCaseAndAccents()
{
    QFETCH(QString, text);
    QFETCH(QString, found);
    makeWindow({QStringLiteral("Agua"), QStringLiteral("Aguacero"), QStringLiteral("Ágil"),
                QStringLiteral("Árbol"), QStringLiteral("Ñandú"), QStringLiteral("Zapato")});
    w->Table1->last(); // Zapato
    search(text);
    QCOMPARE(current(), found.isEmpty() ? QStringLiteral("Zapato") : found);
    QCOMPARE(w->memo9->toPlainText(), current());
    QCOMPARE(shownOf(Dialogs::Shown::Message).size(), found.isEmpty() ? 1 : 0);
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
    QCOMPARE(focused(), w->memo9);
}

void TestListSearch::searchStepsAndDialogs()
{
    makeWindow({QStringLiteral("Agua"), QStringLiteral("Luna")});
    w->Label16->setText(QStringLiteral("Pegue una imagen"));
    w->Label16->setFontColor(Colors::clBlue);
    w->Memoayuda->show();
    w->DBImage1->setFocus();
    search(QStringLiteral("agua"));
    QCOMPARE(beepCount(), 1);
    QCOMPARE(w->Label16->fontColor(), Colors::clNavy);
    QCOMPARE(w->Label16->text(), QStringLiteral("Pegue una imagen"));
    QVERIFY(w->Memoayuda->isHidden());
    QCOMPARE(focused(), w->memo9);

    const QVector<Dialogs::Shown> &shown = Dialogs::Script::shown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].kind, Dialogs::Shown::Input);
    QCOMPARE(shown[0].caption, QStringLiteral("Entrada"));
    QCOMPARE(shown[0].text, QStringLiteral("Introduce el nombre:"));
    QCOMPARE(shown[0].defaultText, QString());
    QCOMPARE(shown[0].maxLength, 255);
    QCOMPARE(shown[0].defaultButton, Dialogs::Ok);
    QCOMPARE(shown[1].kind, Dialogs::Shown::Message);
    QCOMPARE(shown[1].caption, QStringLiteral("Aviso"));
    QCOMPARE(shown[1].text, NotFound);
    QCOMPARE(shown[1].icon, Dialogs::Icon::None);
    QCOMPARE(shown[1].buttons, Dialogs::Buttons(Dialogs::Ok));

    // After a miss the same entry is still shown and the focus is in the name editor.
    QCOMPARE(current(), QStringLiteral("Agua"));
    QCOMPARE(w->memo9->toPlainText(), QStringLiteral("Agua"));
}

void TestListSearch::searchCutsToFiftyCharacters()
{
    QCOMPARE(Long50.size(), 50);
    makeWindow({QStringLiteral("Agua"), Long50, QStringLiteral("Zapato")});
    // Whatever follows the 50th character is not searched.
    search(Long50 + QStringLiteral(" y algo más que no cabe"));
    QCOMPARE(current(), Long50);
    QVERIFY(shownOf(Dialogs::Shown::Message).isEmpty());
    // The first 50 characters decide: a difference inside them misses.
    w->Table1->first();
    QString other = Long50;
    other[49] = QLatin1Char('X');
    search(other + QStringLiteral("l"));
    QCOMPARE(current(), QStringLiteral("Agua"));
    QCOMPARE(shownOf(Dialogs::Shown::Message).size(), 1);
}

void TestListSearch::searchClosesListEvenWhenCancelled()
{
    makeWindow({QStringLiteral("Agua"), QStringLiteral("Luna"), QStringLiteral("Sol")});
    w->Table1->last();
    // Cancelled: the list closes, the empty text goes to the locate like any other, which
    // finds the first entry; no notice.
    w->Spbuton100Click();
    QVERIFY(listOpen());
    search(std::nullopt);
    QVERIFY(listClosed());
    QCOMPARE(current(), QStringLiteral("Agua"));
    QVERIFY(shownOf(Dialogs::Shown::Message).isEmpty());
    QCOMPARE(focused(), w->memo9);
    // An empty "OK" is the same as a cancel.
    w->Table1->last();
    search(QString());
    QCOMPARE(current(), QStringLiteral("Agua"));
    QVERIFY(shownOf(Dialogs::Shown::Message).isEmpty());
    // Not found: closed as well.
    w->Spbuton100Click();
    search(QStringLiteral("xyz"));
    QVERIFY(listClosed());
    QCOMPARE(shownOf(Dialogs::Shown::Message).size(), 1);
    // The search leaves the prompts as they are, save Label16's colour.
    w->Label9->setFontColor(Colors::clBlue);
    search(QStringLiteral("Luna"));
    QCOMPARE(w->Label9->fontColor(), Colors::clBlue);
}

void TestListSearch::searchSettlesEditEvenWhenCancelled()
{
    makeWindow({QStringLiteral("Agua"), QStringLiteral("Luna")});
    // A changed entry is stored, also when the box is cancelled.
    w->memo10->setFocus();
    w->memo10->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->memo10, QStringLiteral(" y mas"));
    QCOMPARE(w->Table1->state(), DatasetState::Edit);
    search(std::nullopt);
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
    QCOMPARE(current(), QStringLiteral("Agua"));
    {
        Table other;
        other.setDatabaseDir(m_dir->path());
        other.open();
        QCOMPARE(other.fieldText(InterpretacionOnirica),
                 QStringLiteral("Significado de Agua y mas"));
    }
    // An entry in edit without changes simply leaves edit state.
    w->Table1->edit();
    search(QStringLiteral("Luna"));
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
    QCOMPARE(current(), QStringLiteral("Luna"));
    // A new entry never typed into disappears.
    w->Table1->insert();
    search(QStringLiteral("Agua"));
    QCOMPARE(w->Table1->recordCount(), 2);
    QCOMPARE(current(), QStringLiteral("Agua"));
}

void TestListSearch::searchStopsWhenEditCannotBeStored()
{
    makeWindow({QStringLiteral("Agua"), QStringLiteral("Luna"), QStringLiteral("Sol")});
    // Renaming Luna to an existing name: the key violation stops the command.
    w->Table1->next();
    w->memo9->setFocus();
    w->memo9->selectAll();
    QTest::keyClicks(w->memo9, QStringLiteral("Sol"));
    w->Memo11->setFocus();
    QCOMPARE(w->Table1->state(), DatasetState::Edit);
    w->Spbuton100Click();
    w->Memo11->setFocus();
    Dialogs::Script::text(QStringLiteral("Agua"));
    QVERIFY(!runHandler([&] { w->BitBtn2000Click(); }));
    QVERIFY(listClosed()); // step 3 had run
    const QVector<Dialogs::Shown> messages = shownOf(Dialogs::Shown::Message);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].icon, Dialogs::Icon::Critical);
    QVERIFY(messages[0].text.endsWith(QLatin1Char('.')));
    QCOMPARE(w->Table1->state(), DatasetState::Edit);
    QCOMPARE(current(), QStringLiteral("Sol")); // the user's change, still pending
    QCOMPARE(w->memo9->toPlainText(), QStringLiteral("Sol"));
    QCOMPARE(focused(), w->Memo11); // no locate, no focus move

    // A new entry without its required name: the same, with the name editor asked for.
    w->Table1->cancel();
    w->Table1->insert();
    w->memo10->setFocus();
    w->memo10->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->memo10, QStringLiteral("sin nombre"));
    Dialogs::Script::reset();
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::DefaultAnswer);
    Dialogs::Script::text(QStringLiteral("Agua"));
    QVERIFY(!runHandler([&] { w->BitBtn2000Click(); }));
    QCOMPARE(shownOf(Dialogs::Shown::Message).size(), 1);
    QCOMPARE(shownOf(Dialogs::Shown::Message)[0].text,
             QStringLiteral("Field 'Imagen Onírica' must have a value."));
    QCOMPARE(w->Table1->state(), DatasetState::Insert);
    QCOMPARE(w->memo10->toPlainText(), QStringLiteral("sin nombre"));
}

void TestListSearch::foundEntryInTheMiddleRow()
{
    QStringList names;
    for (int i = 0; i < 60; ++i)
        names << QStringLiteral("Entrada %1").arg(i, 2, 10, QLatin1Char('0'));
    makeWindow(names);
    search(QStringLiteral("Entrada 30"));
    QCOMPARE(current(), QStringLiteral("Entrada 30"));
    w->Spbuton100Click();
    TDBLookupListBox *list = w->DBLOOKUPLISTBOX1;
    const int middle = (list->visibleRowCount() - 1) / 2;
    QVERIFY(middle >= 3);
    QCOMPARE(list->currentRow(), middle);
    QCOMPARE(list->displayedNames().at(middle), QStringLiteral("Entrada 30"));
    QCOMPARE(list->displayedNames().first(), QStringLiteral("Entrada %1").arg(30 - middle));
    QTRY_COMPARE(list->verticalScrollBar()->value(), 30);
    // Near the start there are not enough entries above it.
    w->BOTONCANCELARClick();
    search(QStringLiteral("Entrada 01"));
    w->Spbuton100Click();
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(list->displayedNames().first(), QStringLiteral("Entrada 00"));
}

void TestListSearch::openingSteps()
{
    makeWindow({QStringLiteral("Agua"), QStringLiteral("Luna")});
    w->Table1->next();
    w->Label16->setText(QStringLiteral("Otra leyenda"));
    w->Label16->setFontColor(Colors::clBlue);
    w->Memoayuda->show();
    // An entry in the middle of an edit stays in edit.
    w->memo10->setFocus();
    w->memo10->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->memo10, QStringLiteral("!"));
    QCOMPARE(w->Table1->state(), DatasetState::Edit);
    w->Spbuton100Click();
    QCOMPARE(beepCount(), 1);
    QVERIFY(listOpen());
    QVERIFY(w->Memoayuda->isHidden());
    QCOMPARE(focused(), w->BOTONCANCELAR);
    QCOMPARE(w->Label16->fontColor(), Colors::clNavy);
    QCOMPARE(w->Label16->text(), QStringLiteral("Otra leyenda"));
    QCOMPARE(w->Table1->state(), DatasetState::Edit);
    QCOMPARE(current(), QStringLiteral("Luna"));
    QCOMPARE(w->DBLOOKUPLISTBOX1->displayedNames().value(w->DBLOOKUPLISTBOX1->currentRow()),
             QStringLiteral("Luna"));
    // Opening an open list puts the focus back on the button.
    w->DBLOOKUPLISTBOX1->setFocus();
    w->Spbuton100Click();
    QVERIFY(listOpen());
    QCOMPARE(focused(), w->BOTONCANCELAR);
    QCOMPARE(beepCount(), 2);
}

void TestListSearch::closeByButtonKeepsEditAndRestoresPrompts()
{
    makeWindow({QStringLiteral("Agua"), QStringLiteral("Luna")});
    w->Spbuton100Click();
    w->memo10->setFocus();
    w->memo10->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->memo10, QStringLiteral("!"));
    w->Label9->setText(QStringLiteral("Escriba el nombre"));
    w->Label9->setFontColor(Colors::clBlue);
    w->label990->setFontColor(Colors::clBlue);
    resetBeepCount();
    w->BOTONCANCELARClick();
    QCOMPARE(beepCount(), 1);
    QVERIFY(listClosed());
    QCOMPARE(focused(), w->DBImage1);
    QCOMPARE(w->Table1->state(), DatasetState::Edit); // left pending
    QCOMPARE(w->Label9->text(), QStringLiteral("Nombre de la Imagen Onírica:"));
    QCOMPARE(w->Label11->text(), QStringLiteral("Significado Onírico:"));
    QCOMPARE(w->label990->text(),
             QStringLiteral("Número(s) de la Suerte para Juegos de Azar y Apuestas:"));
    QCOMPARE(w->Label16->text(), QStringLiteral("Imagen Onírica"));
    for (TRaisedLabel *l : {w->Label9, w->Label11, w->label990, w->Label16})
        QCOMPARE(l->fontColor(), Colors::clNavy);
    // Closing a closed list is harmless and does the rest.
    w->BOTONCANCELARClick();
    QVERIFY(listClosed());
    QCOMPARE(beepCount(), 2);
}

void TestListSearch::closeByDoubleClickStoresEditAndKeepsPrompts()
{
    makeWindow({QStringLiteral("Agua"), QStringLiteral("Luna"), QStringLiteral("Sol")});
    w->memo10->setFocus();
    w->memo10->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->memo10, QStringLiteral("!"));
    w->Label9->setFontColor(Colors::clBlue);
    w->Spbuton100Click();
    TDBLookupListBox *list = w->DBLOOKUPLISTBOX1;
    resetBeepCount();
    // A real double click on the third row: the edit is stored by the move, the list closes.
    const int h = list->rowHeight();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(40, 2 * h + h / 2));
    QCOMPARE(beepCount(), 1);
    QVERIFY(listClosed());
    QCOMPARE(current(), QStringLiteral("Sol"));
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
    QCOMPARE(focused(), w->DBImage1);
    QCOMPARE(w->Label9->fontColor(), Colors::clBlue); // prompts not restored
    w->Table1->first();
    QCOMPARE(w->Table1->fieldText(InterpretacionOnirica), QStringLiteral("Significado de Agua!"));

    // Without a move the refresh stores the edit.
    w->memo10->setFocus();
    w->memo10->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->memo10, QStringLiteral("?"));
    w->Spbuton100Click();
    w->DBLOOKUPLISTBOX1DblClick();
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
    QCOMPARE(w->Table1->fieldText(InterpretacionOnirica), QStringLiteral("Significado de Agua!?"));
    // An unchanged edit is simply left.
    w->Table1->edit();
    w->Spbuton100Click();
    w->DBLOOKUPLISTBOX1DblClick();
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
}

void TestListSearch::doubleClickFailureClosesListOnly()
{
    makeWindow({QStringLiteral("Agua"), QStringLiteral("Luna")});
    w->memo9->setFocus();
    w->memo9->selectAll();
    QTest::keyClicks(w->memo9, QStringLiteral("Luna"));
    w->Memo11->setFocus();
    w->Spbuton100Click();
    w->DBLOOKUPLISTBOX1->setFocus();
    QVERIFY(!runHandler([&] { w->DBLOOKUPLISTBOX1DblClick(); }));
    QVERIFY(listClosed());
    QCOMPARE(shownOf(Dialogs::Shown::Message).size(), 1);
    QCOMPARE(w->Table1->state(), DatasetState::Edit);
    QVERIFY(focused() != w->DBImage1);
    // An empty table: the list is empty, a double click still closes and refreshes.
    w->Table1->cancel();
    w->Table1->first();
    w->Table1->deleteRecord();
    w->Table1->deleteRecord();
    QVERIFY(w->Table1->isEmpty());
    w->Spbuton100Click();
    QVERIFY(w->DBLOOKUPLISTBOX1->displayedNames().isEmpty());
    QTest::mouseDClick(w->DBLOOKUPLISTBOX1->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
    QVERIFY(listClosed());
    QCOMPARE(focused(), w->DBImage1);
}

void TestListSearch::gridMovesEditorsAndPicture()
{
    makeWindow({QStringLiteral("Agua"), QStringLiteral("Luna"), QStringLiteral("Sol")});
    w->Table1->edit();
    w->Table1->setFieldValue(GraficoBMP, pictureBytes(Qt::red));
    w->Table1->post();
    QVERIFY(!w->DBImage1->picture().isNull());
    w->Spbuton100Click();
    TDBLookupListBox *list = w->DBLOOKUPLISTBOX1;
    const int h = list->rowHeight();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(40, h + h / 2));
    // The name and the picture follow at once; the list stays open.
    QCOMPARE(w->memo9->toPlainText(), QStringLiteral("Luna"));
    QVERIFY(w->DBImage1->picture().isNull());
    QVERIFY(listOpen());
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(w->memo9->toPlainText(), QStringLiteral("Agua"));
    QCOMPARE(w->DBImage1->picture().pixelColor(2, 2), QColor(Qt::red));
    QTest::keyClick(list, Qt::Key_Tab);
    QCOMPARE(w->memo9->toPlainText(), QStringLiteral("Luna"));
    QCOMPARE(focused(), list);
}

void TestListSearch::gridKeysHomeEndAndReadOnly()
{
    QStringList names;
    for (int i = 0; i < 40; ++i)
        names << QStringLiteral("Nombre %1").arg(i, 2, 10, QLatin1Char('0'));
    makeWindow(names);
    w->Spbuton100Click();
    TDBLookupListBox *list = w->DBLOOKUPLISTBOX1;
    // The arrow keys act on the list once it has the focus (Tab from the button).
    QTest::keyClick(w->BOTONCANCELAR, Qt::Key_Tab);
    QCOMPARE(focused(), list);
    QTest::keyClick(list, Qt::Key_End);
    QCOMPARE(current(), QStringLiteral("Nombre 39"));
    QCOMPARE(w->memo9->toPlainText(), QStringLiteral("Nombre 39"));
    QTRY_COMPARE(list->verticalScrollBar()->value(), 39);
    QTest::keyClick(list, Qt::Key_Home);
    QCOMPARE(current(), QStringLiteral("Nombre 00"));
    QCOMPARE(list->verticalScrollBar()->value(), 0);
    QTest::keyClick(list, Qt::Key_PageDown);
    QCOMPARE(current(), QStringLiteral("Nombre %1").arg(list->visibleRowCount()));
    QTest::keyClick(list, Qt::Key_Insert);
    QTest::keyClick(list, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
    QCOMPARE(w->Table1->recordCount(), 40);
    QVERIFY(listOpen());
}

void TestListSearch::listFollowsNext()
{
    QStringList names;
    for (int i = 0; i < 40; ++i)
        names << QStringLiteral("Nombre %1").arg(i, 2, 10, QLatin1Char('0'));
    makeWindow(names);
    w->Spbuton100Click();
    TDBLookupListBox *list = w->DBLOOKUPLISTBOX1;
    const int rows = list->visibleRowCount();
    for (int i = 0; i < rows + 2; ++i)
        QTest::mouseClick(w->DBNavigator5, Qt::LeftButton);
    QCOMPARE(current(), QStringLiteral("Nombre %1").arg(rows + 2, 2, 10, QLatin1Char('0')));
    QCOMPARE(list->currentRow(), rows - 1);
    QCOMPARE(list->displayedNames().value(rows - 1), current());
    QTRY_COMPARE(list->verticalScrollBar()->value(), rows + 2);
}

void TestListSearch::enterOrSpaceRightAfterOpeningCloses()
{
    makeWindow({QStringLiteral("Agua")});
    w->Spbuton100Click();
    QCOMPARE(focused(), w->BOTONCANCELAR);
    QTest::keyClick(w->BOTONCANCELAR, Qt::Key_Space);
    QVERIFY(listClosed());
    QCOMPARE(focused(), w->DBImage1);
    w->Spbuton100Click();
    QTest::keyClick(w->BOTONCANCELAR, Qt::Key_Return);
    QVERIFY(listClosed());
    w->Spbuton100Click();
    QTest::keyClick(w.get(), Qt::Key_O, Qt::AltModifier); // the button's mnemonic
    QTRY_VERIFY(listClosed());
    w->Spbuton100Click();
    w->Label9->setFontColor(Colors::clBlue);
    QTest::mouseClick(w->BOTONCANCELAR, Qt::LeftButton);
    QVERIFY(listClosed());
    QCOMPARE(w->Label9->fontColor(), Colors::clNavy);
}

void TestListSearch::panelDragsOnItsMargin()
{
    makeWindow({QStringLiteral("Agua")});
    QVERIFY(AutoDrag::isInstalled(w->PANELLISTA));
    QVERIFY(!AutoDrag::isInstalled(w->DBLOOKUPLISTBOX1));
    QVERIFY(!AutoDrag::isInstalled(w->BOTONCANCELAR));
    QCOMPARE(w->DBLOOKUPLISTBOX1->parentWidget(), w->PANELLISTA);
    QCOMPARE(w->DBLOOKUPLISTBOX1->size(), QSize(369, 201));
}

NOCTAMBU_TEST_MAIN(TestListSearch)
#include "tst_listsearch.moc"
