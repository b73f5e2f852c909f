// The dream dictionary window as the user meets it: the first start, paging to the ends,
// adding an entry, changing and cancelling, deleting, prologue mode with a pending insert,
// and pasting and cutting pictures.

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
#include "platform/picturefield.h"
#include "support/tempdictionary.h"
#include "testmain.h"
#include "widgets/blotterframe.h"
#include "widgets/raisedlabel.h"

#include <QBuffer>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace {

const QString NamePrompt = QStringLiteral("Nombre de la Imagen Onírica:");
const QString MeaningPrompt = QStringLiteral("Significado Onírico:");
const QString NumbersPrompt =
    QStringLiteral("Número(s) de la Suerte para Juegos de Azar y Apuestas:");
const QString PicturePrompt = QStringLiteral("Imagen Onírica");
const QString TypeNamePrompt = QStringLiteral("Escriba el Nombre de la Imagen Onírica:");

QImage testPicture(int width, int height)
{
    // Four quadrants in different colours, so position and scale show in a render.
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           x < width / 2 ? (y < height / 2 ? 0xFF0000 : 0x00FF00)
                                         : (y < height / 2 ? 0x0000FF : 0xFFFF00));
    return image;
}

QImage pictureOf(const QByteArray &stored)
{
    QImage image;
    image.loadFromData(PictureCodec::bitmapFile(stored), "BMP");
    return image;
}

// Types text as a keyboard does, letters outside ASCII included.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(c.toUpper().unicode()), QString(c),
                            Qt::NoModifier);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void firstStart();
    void pagingToTheEnds();
    void addingAnEntry();
    void addingTwiceDropsTheUntouchedRow();
    void addingOnAnEmptyTable();
    void nameEditorLimitsAndEnter();
    void editorsShowEachEntryFromItsFirstLine_data();
    void editorsShowEachEntryFromItsFirstLine();
    void pastedNameIsOneLine_data();
    void pastedNameIsOneLine();
    void caretStaysWhenTheEntryIsReadAgain_data();
    void caretStaysWhenTheEntryIsReadAgain();
    void postFailuresKeepTheRow();
    void changingAndCancelling();
    void clickPromptsOnlyOnClick();
    void onlyTheFrameRingDrags_data();
    void onlyTheFrameRingDrags();
    void memoHandsOverOnFocusLoss();
    void deletingWithBothAnswers();
    void prologueModeWithAPendingInsert();
    void toolbarClosesTheList();
    void pastingAndCuttingPictures();
    void unreadablePictureIsKept();
    void largePictureIsCentredNotScaled();
    void keyboardOrder();
    void readOnlyTableLeavesEditorsUnchanged();

private:
    void makeWindow(const QVector<Entry> &entries);
    void activate();
    QString current() const { return w->Table1->fieldText(ImagenOnirica); }
    QVector<QString> storedNames() const;
    // Clicks a navigator the way the user does.
    static void press(TDBNavigator *button) { QTest::mouseClick(button, Qt::LeftButton); }

    std::unique_ptr<TempDictionary> m_dir;
    std::unique_ptr<TFORMAPRIMERA> w;
};

void TestMainWindow::init()
{
    Dialogs::Script::reset();
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::DefaultAnswer);
    resetBeepCount();
}

void TestMainWindow::cleanup()
{
    w.reset();
    m_dir.reset();
    Dialogs::Script::reset();
    QGuiApplication::clipboard()->clear();
}

void TestMainWindow::makeWindow(const QVector<Entry> &entries)
{
    m_dir = std::make_unique<TempDictionary>(entries);
    w = std::make_unique<TFORMAPRIMERA>(m_dir->path());
}

// Shows the window and waits for its activation (no intro is registered, so its modal step
// returns at once).
void TestMainWindow::activate()
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QTRY_COMPARE(beepCount(), 2);
    QVERIFY(w->memo9->hasFocus());
    resetBeepCount();
}

QVector<QString> TestMainWindow::storedNames() const
{
    Table table;
    table.setDatabaseDir(m_dir->path());
    table.open();
    QVector<QString> names;
    for (table.first(); !table.eof(); table.next())
        names << table.fieldText(ImagenOnirica);
    return names;
}

void TestMainWindow::firstStart()
{
    makeWindow({{QStringLiteral("Luna"), QStringLiteral("luz"), QString(), {}},
                {QStringLiteral("Agua"), QStringLiteral("vida"), QStringLiteral("7"), {}}});
    w->Table1->last();
    w->show();
    w->activateWindow();
    QTRY_COMPARE(beepCount(), 2);
    QVERIFY(w->memo9->hasFocus());

    // The first entry in name order, the name editor in red, the standard prompts in navy.
    QCOMPARE(current(), QStringLiteral("Agua"));
    QCOMPARE(w->memo9->toPlainText(), QStringLiteral("Agua"));
    QCOMPARE(w->memo10->toPlainText(), QStringLiteral("vida"));
    QCOMPARE(w->Memo11->toPlainText(), QStringLiteral("7"));
    QCOMPARE(w->memo9->currentTextColor(), Colors::clRed);
    QCOMPARE(w->memo10->currentTextColor(), systemColor(SystemColor::WindowText));
    const QList<TRaisedLabel *> prompts{w->Label9, w->Label11, w->label990, w->Label16};
    const QStringList captions{NamePrompt, MeaningPrompt, NumbersPrompt, PicturePrompt};
    for (int i = 0; i < prompts.size(); ++i) {
        QCOMPARE(prompts[i]->text(), captions[i]);
        QCOMPARE(prompts[i]->fontColor(), Colors::clNavy);
    }

    // Commands available at the beginning of the table.
    QVERIFY(!w->DBNavigator3->isAvailable());
    QVERIFY(!w->DBNavigator4->isAvailable());
    QVERIFY(w->DBNavigator5->isAvailable());
    QVERIFY(!w->DBNavigator1->isAvailable());
    QVERIFY(!w->DBNavigator7->isAvailable());
    QVERIFY(w->NUEVO->isAvailable() && w->DBNavigator6->isAvailable());
    QVERIFY(w->DBNavigator2->isAvailable());

    // The browse layout.
    QVERIFY(!w->Memoayuda->isVisible());
    QVERIFY(!w->MASCARA->isVisible());
    QVERIFY(!w->BOTONNAIPES->isVisible());
    QVERIFY(!w->PANELLISTA->isVisible());
    QVERIFY(w->MARCO->isVisible() && w->DBImage1->isVisible());
    QVERIFY(w->Panel3->isVisible() && w->Panel4->isVisible());
    QCOMPARE(w->Panel3->text(), QString());
    QCOMPARE(w->Panel3->palette().color(QPalette::WindowText), Colors::clRed);
    for (QWidget *dragged : std::initializer_list<QWidget *>{w->MARCO, w->Memoayuda, w->PANELLISTA})
        QVERIFY(AutoDrag::isInstalled(dragged));

    // The prologue text: 21 lines as written, shown without further breaks.
    const QStringList lines = w->Memoayuda->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 21);
    QVERIFY(lines.first().startsWith(QStringLiteral("DICCIONARIO DE LOS SUEÑOS:  ")));
    QVERIFY(lines.at(11).startsWith(QStringLiteral("JUEGOS DE AZAR:  ")));
    QVERIFY(lines.at(10).isEmpty());
    QCOMPARE(
        std::count_if(lines.begin(), lines.end(),
                      [](const QString &l) { return l.startsWith(QStringLiteral("Consejo:")); }),
        1);
    for (const QString &line : lines)
        QVERIFY2(line.size() <= 95, qPrintable(line));
    QCOMPARE(w->Memoayuda->displayLines().size(), 21);
}

void TestMainWindow::pagingToTheEnds()
{
    makeWindow({{QStringLiteral("Agua"), {}, {}, {}},
                {QStringLiteral("Luna"), {}, {}, {}},
                {QStringLiteral("Sol"), {}, {}, {}}});
    activate();
    w->memo9Click(); // a click prompt that the paging puts back
    QCOMPARE(w->Label9->text(), TypeNamePrompt);

    press(w->DBNavigator5);
    QCOMPARE(current(), QStringLiteral("Luna"));
    QCOMPARE(w->memo9->toPlainText(), QStringLiteral("Luna"));
    QCOMPARE(beepCount(), 1);
    QVERIFY(w->DBImage1->hasFocus());
    QCOMPARE(w->Label9->text(), NamePrompt);
    QCOMPARE(w->Label9->fontColor(), Colors::clNavy);
    QVERIFY(w->DBNavigator3->isAvailable() && w->DBNavigator4->isAvailable());

    press(w->DBNavigator5);
    QCOMPARE(current(), QStringLiteral("Sol"));
    // On the last entry "Siguiente" stays available until it is clicked once more.
    QVERIFY(w->DBNavigator5->isAvailable());
    press(w->DBNavigator5);
    QCOMPARE(current(), QStringLiteral("Sol"));
    QCOMPARE(beepCount(), 3);
    QVERIFY(!w->DBNavigator5->isAvailable());
    // A click on the grey button does nothing at all.
    press(w->DBNavigator5);
    QCOMPARE(beepCount(), 3);

    w->DBNavigator4->click(); // a click from code runs the action too
    QCOMPARE(current(), QStringLiteral("Luna"));
    press(w->DBNavigator3);
    QCOMPARE(current(), QStringLiteral("Agua"));
    QVERIFY(!w->DBNavigator3->isAvailable() && !w->DBNavigator4->isAvailable());
    QCOMPARE(beepCount(), 5);
    // The buttons never take the focus.
    QCOMPARE(w->DBNavigator5->focusPolicy(), Qt::NoFocus);
}

void TestMainWindow::addingAnEntry()
{
    makeWindow({{QStringLiteral("Agua"), QStringLiteral("vida"), {}, {}}});
    activate();
    QGuiApplication::clipboard()->setImage(testPicture(20, 10));

    press(w->NUEVO);
    QCOMPARE(w->Table1->state(), DatasetState::Insert);
    QCOMPARE(beepCount(), 1);
    QVERIFY(w->memo9->hasFocus());
    QCOMPARE(w->memo9->toPlainText(), QString());
    QCOMPARE(w->memo10->toPlainText(), QString());
    QCOMPARE(w->Label9->text(), TypeNamePrompt);
    QCOMPARE(w->Label9->fontColor(), Colors::clBlue);
    QCOMPARE(w->Label11->fontColor(), Colors::clNavy);
    QCOMPARE(w->label990->fontColor(), Colors::clNavy);
    QCOMPARE(w->Label16->fontColor(), Colors::clBlue);
    QCOMPARE(w->Label16->text(), PicturePrompt);

    QTest::keyClicks(w->memo9, QStringLiteral("Oso"));
    QTest::keyClick(w->memo9, Qt::Key_Return);
    QVERIFY(w->memo10->hasFocus());
    QCOMPARE(w->memo9->toPlainText(), QStringLiteral("Oso"));
    QTest::keyClicks(w->memo10, QStringLiteral("fuerza"));
    QTest::keyClick(w->memo10, Qt::Key_Return);
    QTest::keyClicks(w->memo10, QStringLiteral("y calma"));
    QTest::mouseClick(w->Memo11->viewport(), Qt::LeftButton);
    QVERIFY(w->Memo11->hasFocus());
    QTest::keyClicks(w->Memo11, QStringLiteral("12 21"));
    QTest::mouseClick(w->DBImage1, Qt::LeftButton);
    QVERIFY(w->DBImage1->hasFocus());
    QTest::keyClick(w->DBImage1, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w->DBImage1->picture().size(), QSize(20, 10));
    QVERIFY(w->DBNavigator1->isAvailable());

    press(w->DBNavigator1);
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
    QCOMPARE(storedNames(), QVector<QString>({QStringLiteral("Agua"), QStringLiteral("Oso")}));
    QCOMPARE(current(), QStringLiteral("Oso"));
    QCOMPARE(w->Table1->fieldText(InterpretacionOnirica), QStringLiteral("fuerza\ny calma"));
    QCOMPARE(w->Table1->fieldText(DatosDeInteres), QStringLiteral("12 21"));
    QCOMPARE(pictureOf(w->Table1->fieldBytes(GraficoBMP)), testPicture(20, 10));
    QVERIFY(!w->DBNavigator1->isAvailable() && !w->DBNavigator7->isAvailable());
}

void TestMainWindow::addingTwiceDropsTheUntouchedRow()
{
    makeWindow({{QStringLiteral("Agua"), {}, {}, {}}});
    activate();
    // The record list, opened and closed before, does not disturb the new row.
    w->Spbuton100Click();
    w->BOTONCANCELARClick();
    press(w->NUEVO);
    QCOMPARE(w->Table1->state(), DatasetState::Insert);
    press(w->DBNavigator7);
    resetBeepCount();
    press(w->NUEVO);
    press(w->NUEVO);
    QCOMPARE(w->Table1->state(), DatasetState::Insert);
    QCOMPARE(beepCount(), 2);
    press(w->DBNavigator7);
    QCOMPARE(storedNames(), QVector<QString>({QStringLiteral("Agua")}));
    QCOMPARE(current(), QStringLiteral("Agua"));
}

void TestMainWindow::addingOnAnEmptyTable()
{
    makeWindow({});
    activate();
    QVERIFY(!w->DBNavigator6->isAvailable());
    press(w->NUEVO);
    QCOMPARE(w->Table1->state(), DatasetState::Insert);
    QTest::keyClicks(w->memo9, QStringLiteral("Primera"));
    press(w->DBNavigator1);
    QCOMPARE(storedNames(), QVector<QString>({QStringLiteral("Primera")}));
}

void TestMainWindow::nameEditorLimitsAndEnter()
{
    makeWindow({{QStringLiteral("Agua"), QStringLiteral("vida"), {}, {}}});
    activate();

    // Enter while browsing moves on without a line break and without starting edit state;
    // so do navigation keys.
    QTest::keyClick(w->memo9, Qt::Key_End);
    QTest::keyClick(w->memo9, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(w->memo9, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(w->memo9, Qt::Key_Return);
    QVERIFY(w->memo10->hasFocus());
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
    QCOMPARE(w->memo9->toPlainText(), QStringLiteral("Agua"));
    // In the meaning editor Enter breaks the line and starts edit state.
    QTest::keyClick(w->memo10, Qt::Key_Return);
    QCOMPARE(w->Table1->state(), DatasetState::Edit);
    QCOMPARE(w->memo10->toPlainText().count(QLatin1Char('\n')), 1);
    press(w->DBNavigator7);

    // At most 50 characters, typed or pasted.
    press(w->NUEVO);
    const QString fortyEight(48, QLatin1Char('x'));
    QTest::keyClicks(w->memo9, fortyEight);
    QGuiApplication::clipboard()->setText(QStringLiteral("abcdef"));
    QTest::keyClick(w->memo9, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w->memo9->toPlainText(), fortyEight + QStringLiteral("ab"));
    QTest::keyClicks(w->memo9, QStringLiteral("zz"));
    QCOMPARE(w->memo9->toPlainText().size(), 50);
    // Selected text is replaced within the limit.
    QTest::keyClick(w->memo9, Qt::Key_Backspace);
    QTest::keyClick(w->memo9, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClicks(w->memo9, QStringLiteral("12"));
    QCOMPARE(w->memo9->toPlainText(), fortyEight + QStringLiteral("12"));
    // A character outside the Basic Multilingual Plane counts as one, as in the table.
    QTest::keyClick(w->memo9, Qt::Key_Backspace);
    QTest::keyClick(w->memo9, Qt::Key_Backspace);
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    QGuiApplication::clipboard()->setText(clef + clef + clef);
    QTest::keyClick(w->memo9, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w->memo9->toPlainText(), fortyEight + clef + clef);
    press(w->DBNavigator7);
}

void TestMainWindow::editorsShowEachEntryFromItsFirstLine_data()
{
    QTest::addColumn<int>("scrolledBy");
    QTest::newRow("Ctrl+Down, Enter") << int(Qt::ControlModifier);
    QTest::newRow("Alt+Down, Enter") << int(Qt::AltModifier);
    QTest::newRow("long name saved") << 0;
}

// Whatever scrolled an editor on one entry, every entry loaded afterwards is shown from its
// first line, the caret at its start.
void TestMainWindow::editorsShowEachEntryFromItsFirstLine()
{
    QFETCH(int, scrolledBy);
    const QString lines = QStringLiteral("línea\n").repeated(20);
    makeWindow({{QStringLiteral("Agua"), QStringLiteral("a ") + lines, lines, {}},
                {QStringLiteral("Luna"), QStringLiteral("b ") + lines, lines, {}},
                {QStringLiteral("Sol"), QStringLiteral("c ") + lines, lines, {}}});
    activate();
    const QList<TDBMemo *> editors{w->memo9, w->memo10, w->Memo11};
    const auto scrolledEditor = [&editors]() {
        for (TDBMemo *editor : editors) {
            if (editor->verticalScrollBar()->value() != 0 || editor->textCursor().position() != 0)
                return editor->objectName();
        }
        return QString();
    };
    if (scrolledBy) {
        for (TDBMemo *editor : editors) {
            editor->setFocus();
            for (int i = 0; i < 5; ++i)
                QTest::keyClick(editor, Qt::Key_Down, Qt::KeyboardModifiers(scrolledBy));
            QVERIFY(editor->verticalScrollBar()->value() > 0);
        }
        QTest::keyClick(w->memo9, Qt::Key_Return);
    } else {
        press(w->NUEVO);
        typeText(w->memo9, QStringLiteral("Sueño con ñandú, águila y búho en el río Ébano"));
        QVERIFY(w->memo9->verticalScrollBar()->value() > 0); // typing scrolls as before
        QTest::keyClick(w->memo9, Qt::Key_Return);
        QTest::keyClicks(w->memo10, QStringLiteral("sentido"));
        press(w->DBNavigator1);
        QCOMPARE(w->Table1->state(), DatasetState::Browse);
        QCOMPARE(w->memo9->verticalScrollBar()->value(), 0);
        press(w->DBNavigator3);
        QVERIFY2(scrolledEditor().isEmpty(), qPrintable(scrolledEditor()));
    }
    for (const QString &name : {QStringLiteral("Luna"), QStringLiteral("Sol")}) {
        press(w->DBNavigator5);
        QCOMPARE(current(), name);
        QVERIFY2(scrolledEditor().isEmpty(), qPrintable(scrolledEditor()));
    }
}

void TestMainWindow::pastedNameIsOneLine_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("shown");
    QTest::newRow("line feed") << QString() << QStringLiteral("Doble\nLínea")
                               << QStringLiteral("Doble Línea");
    QTest::newRow("every break and tab")
        << QString() << QStringLiteral("a\r\nb\tc\rd\u2029e") << QStringLiteral("a b c d e");
    const QString fortyEight(48, QLatin1Char('x'));
    QTest::newRow("then the limit")
        << fortyEight << QStringLiteral("\r\n\tab") << fortyEight + QStringLiteral("  ");
}

void TestMainWindow::pastedNameIsOneLine()
{
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, shown);
    makeWindow({});
    activate();
    press(w->NUEVO);
    QTest::keyClicks(w->memo9, typed);
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(w->memo9, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w->memo9->toPlainText(), shown);
    press(w->DBNavigator1);
    QCOMPARE(storedNames(), QVector<QString>{shown});
}

void TestMainWindow::caretStaysWhenTheEntryIsReadAgain_data()
{
    QTest::addColumn<QString>("changedTo");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("caret");
    QTest::newRow("longer") << QStringLiteral("Aguacero") << 4 << 4 << QStringLiteral("Aguaxcero")
                            << 5;
    QTest::newRow("shorter, clamped")
        << QStringLiteral("Sol") << 4 << 4 << QStringLiteral("Solx") << 4;
    QTest::newRow("selection") << QStringLiteral("Agüero") << 1 << 4 << QStringLiteral("Axro") << 2;
}

// Another program changes the entry; the first key typed re-reads it and lands where the
// user put the caret (or replaces what was selected), within the new text.
void TestMainWindow::caretStaysWhenTheEntryIsReadAgain()
{
    QFETCH(QString, changedTo);
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(QString, after);
    QFETCH(int, caret);
    makeWindow({{QStringLiteral("Agua"), {}, {}, {}}});
    activate();
    {
        Table other;
        other.setDatabaseDir(m_dir->path());
        other.open();
        other.edit();
        other.setFieldValue(ImagenOnirica, changedTo);
        other.post();
    }
    QTextCursor cursor = w->memo9->textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    w->memo9->setTextCursor(cursor);
    QTest::keyClick(w->memo9, Qt::Key_X);
    QCOMPARE(w->Table1->state(), DatasetState::Edit);
    QCOMPARE(w->memo9->toPlainText(), after);
    QCOMPARE(w->memo9->textCursor().position(), caret);
    press(w->DBNavigator7);
}

void TestMainWindow::postFailuresKeepTheRow()
{
    makeWindow({{QStringLiteral("Agua"), {}, {}, {}}});
    activate();
    press(w->NUEVO);
    w->memo10->setFocus();
    QTest::keyClicks(w->memo10, QStringLiteral("sin nombre"));
    resetBeepCount();
    press(w->DBNavigator1);
    // The error box, the name editor focused, the row still inserting, no handler.
    QCOMPARE(Dialogs::Script::shown().size(), 1);
    QCOMPARE(Dialogs::Script::shown().last().text,
             QStringLiteral("Field 'Imagen Onírica' must have a value."));
    QCOMPARE(Dialogs::Script::shown().last().icon, Dialogs::Icon::Critical);
    QVERIFY(w->memo9->hasFocus());
    QCOMPARE(w->Table1->state(), DatasetState::Insert);
    QCOMPARE(beepCount(), 0);
    QCOMPARE(w->Label9->text(), TypeNamePrompt);
    QCOMPARE(w->memo10->toPlainText(), QStringLiteral("sin nombre"));

    // A name that another entry has: the engine's error, the row still inserting.
    QTest::keyClicks(w->memo9, QStringLiteral("Agua"));
    press(w->DBNavigator1);
    QCOMPARE(Dialogs::Script::shown().size(), 2);
    QVERIFY(Dialogs::Script::shown().last().text.contains(QStringLiteral("Agua")));
    QCOMPARE(w->Table1->state(), DatasetState::Insert);
    // Moving on cannot store it either: the move does not take place.
    press(w->DBNavigator3);
    QCOMPARE(Dialogs::Script::shown().size(), 3);
    QCOMPARE(w->Table1->state(), DatasetState::Insert);
    QCOMPARE(storedNames(), QVector<QString>({QStringLiteral("Agua")}));
}

void TestMainWindow::changingAndCancelling()
{
    makeWindow({{QStringLiteral("Agua"), QStringLiteral("vida"), {}, {}},
                {QStringLiteral("Luna"), QStringLiteral("luz"), {}, {}}});
    activate();
    w->memo10->setFocus();
    QTest::keyClick(w->memo10, Qt::Key_End);
    QTest::keyClick(w->memo10, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
    QVERIFY(!w->DBNavigator1->isAvailable());

    QTest::keyClick(w->memo10, Qt::Key_S);
    QCOMPARE(w->Table1->state(), DatasetState::Edit);
    QCOMPARE(w->memo10->toPlainText(), QStringLiteral("svida"));
    QVERIFY(w->DBNavigator1->isAvailable() && w->DBNavigator7->isAvailable());
    // Esc puts back the row's value; the edit stays.
    QTest::keyClick(w->memo10, Qt::Key_Escape);
    QCOMPARE(w->memo10->toPlainText(), QStringLiteral("vida"));

    QTest::keyClicks(w->memo10, QStringLiteral("otra "));
    w->Label16->setText(QStringLiteral("Aquí Pegará los Gráficos"));
    w->Label16->setFontColor(Colors::clBlue);
    w->memo10Click();
    press(w->DBNavigator7);
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
    QCOMPARE(w->memo10->toPlainText(), QStringLiteral("vida"));
    QVERIFY(!w->DBNavigator1->isAvailable() && !w->DBNavigator7->isAvailable());
    QVERIFY(w->DBImage1->hasFocus());
    QCOMPARE(w->Label11->text(), MeaningPrompt);
    QCOMPARE(w->Label11->fontColor(), Colors::clNavy);
    QCOMPARE(w->label990->text(), NumbersPrompt);

    // Pasting starts edit state too; a changed row is stored by a move.
    w->Memo11->setFocus();
    QGuiApplication::clipboard()->setText(QStringLiteral("3"));
    QTest::keyClick(w->Memo11, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w->Table1->state(), DatasetState::Edit);
    QTest::keyClicks(w->Memo11, QStringLiteral("3"));
    press(w->DBNavigator5);
    QCOMPARE(current(), QStringLiteral("Luna"));
    press(w->DBNavigator4);
    QCOMPARE(w->Memo11->toPlainText(), QStringLiteral("33"));

    // "Actualizar" stores a change too and beeps.
    w->memo10->setFocus();
    QTest::keyClick(w->memo10, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(w->memo10, QStringLiteral("!"));
    resetBeepCount();
    press(w->DBNavigator2);
    QCOMPARE(beepCount(), 1);
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
    QCOMPARE(w->Table1->fieldText(InterpretacionOnirica), QStringLiteral("vida!"));
}

void TestMainWindow::clickPromptsOnlyOnClick()
{
    makeWindow({{QStringLiteral("Agua"), QStringLiteral("vida"), {}, {}}});
    activate();
    // Tabbing into the meaning editor changes no prompt.
    QTest::keyClick(w->memo9, Qt::Key_Tab);
    QVERIFY(w->memo10->hasFocus());
    QCOMPARE(w->memo10->currentTextColor(), Colors::clRed);
    QCOMPARE(w->memo9->currentTextColor(), systemColor(SystemColor::WindowText));
    QCOMPARE(w->Label11->text(), MeaningPrompt);

    QTest::mouseClick(w->memo10->viewport(), Qt::LeftButton);
    QCOMPARE(w->Label11->text(), QStringLiteral("Escriba el Significado Onírico:"));
    QCOMPARE(w->Label11->fontColor(), Colors::clBlue);
    QCOMPARE(w->Label9->text(), QStringLiteral("Nombre de la imagen Onírica"));
    QCOMPARE(w->Label9->fontColor(), Colors::clNavy);
    QCOMPARE(w->label990->text(),
             QStringLiteral("Número(s) de la Suerte para Jugar en Juegos de Azar y Apuestas"));

    w->Label16->setText(QStringLiteral("Aquí Pegará los Gráficos"));
    QTest::mouseClick(w->Memo11->viewport(), Qt::LeftButton);
    QCOMPARE(w->Label16->text(), PicturePrompt);
    QCOMPARE(w->label990->text(),
             QStringLiteral("Escriba los Números de la Suerte para Juegos de Azar y Apuestas:"));
    QCOMPARE(w->label990->fontColor(), Colors::clBlue);
    QCOMPARE(w->Label9->text(), QStringLiteral("Nombre de la Imagen Onírica"));

    QTest::mouseClick(w->memo9->viewport(), Qt::LeftButton);
    QCOMPARE(w->Label9->text(), TypeNamePrompt);
    QCOMPARE(w->Label9->fontColor(), Colors::clBlue);
    QCOMPARE(w->label990->text(), NumbersPrompt);

    // A click on the picture gives it the focus and puts the field prompts back; the
    // picture prompt keeps its caption.
    w->Label16->setText(QStringLiteral("Aquí Pegará los Gráficos"));
    w->Label16->setFontColor(Colors::clBlue);
    QTest::mouseClick(w->DBImage1, Qt::LeftButton);
    QVERIFY(w->DBImage1->hasFocus());
    QCOMPARE(w->Label9->text(), NamePrompt);
    QCOMPARE(w->Label9->fontColor(), Colors::clNavy);
    QCOMPARE(w->Label16->text(), QStringLiteral("Aquí Pegará los Gráficos"));
    QCOMPARE(w->Label16->fontColor(), Colors::clNavy);
    QCOMPARE(beepCount(), 0);
}

void TestMainWindow::onlyTheFrameRingDrags_data()
{
    QTest::addColumn<bool>("onPicture");
    QTest::newRow("the picture") << true;
    QTest::newRow("the frame's ring") << false;
}

// Pressed and released as the window system delivers them (through the window, where a
// mouse grab takes the release): a click on the picture runs its handler, a press on the
// frame's visible ring drags the frame and nothing else happens.
void TestMainWindow::onlyTheFrameRingDrags()
{
    QFETCH(bool, onPicture);
    makeWindow({{QStringLiteral("Agua"), {}, {}, {}}});
    activate();
    QTest::mouseClick(w->Memo11->viewport(), Qt::LeftButton);
    const QString numbersClicked =
        QStringLiteral("Escriba los Números de la Suerte para Juegos de Azar y Apuestas:");
    QCOMPARE(w->label990->text(), numbersClicked);

    const QPoint at = onPicture ? w->DBImage1->mapTo(w.get(), w->DBImage1->rect().center())
                                : w->MARCO->mapTo(w.get(), QPoint(3, w->MARCO->height() / 2));
    QTest::mousePress(w->windowHandle(), Qt::LeftButton, {}, at);
    QCOMPARE(AutoDrag::dragging(), onPicture ? nullptr : static_cast<QWidget *>(w->MARCO));
    QCOMPARE(QGuiApplication::overrideCursor() != nullptr, !onPicture);
    QTest::mouseRelease(w->windowHandle(), Qt::LeftButton, {}, at);
    QVERIFY(!AutoDrag::dragging() && !QGuiApplication::overrideCursor());
    QCOMPARE(w->DBImage1->hasFocus(), onPicture);
    QCOMPARE(w->label990->text(), onPicture ? NumbersPrompt : numbersClicked);
    QCOMPARE(w->label990->fontColor(), onPicture ? Colors::clNavy : Colors::clBlue);
}

void TestMainWindow::memoHandsOverOnFocusLoss()
{
    makeWindow({{QStringLiteral("Agua"), QStringLiteral("vida"), {}, {}}});
    activate();
    w->memo10->setFocus();
    QTest::keyClicks(w->memo10, QStringLiteral("a"));
    QVERIFY(!w->Table1->isModified());
    w->Memo11->setFocus();
    QVERIFY(w->Table1->isModified());
    QCOMPARE(w->Table1->fieldText(InterpretacionOnirica), QStringLiteral("avida"));
    // The name is handed over only when the row asks for it.
    w->memo9->setFocus();
    QTest::keyClick(w->memo9, Qt::Key_End);
    QTest::keyClicks(w->memo9, QStringLiteral("s"));
    w->memo10->setFocus();
    QCOMPARE(w->Table1->fieldText(ImagenOnirica), QStringLiteral("Agua"));
    press(w->DBNavigator1);
    QCOMPARE(storedNames(), QVector<QString>({QStringLiteral("Aguas")}));
}

void TestMainWindow::deletingWithBothAnswers()
{
    makeWindow({{QStringLiteral("Agua"), {}, {}, {}}, {QStringLiteral("Luna"), {}, {}, {}}});
    activate();
    w->Label16->setFontColor(Colors::clBlue);

    Dialogs::Script::answer(Dialogs::Cancel);
    press(w->DBNavigator6);
    QCOMPARE(Dialogs::Script::shown().size(), 1);
    const Dialogs::Shown box = Dialogs::Script::shown().first();
    QCOMPARE(box.caption, QStringLiteral("Confirm"));
    QCOMPARE(box.text, QStringLiteral("Delete record?"));
    QCOMPARE(box.icon, Dialogs::Icon::Question);
    QCOMPARE(box.buttons, Dialogs::Ok | Dialogs::Cancel);
    QCOMPARE(box.defaultButton, Dialogs::Ok);
    QCOMPARE(storedNames().size(), 2);
    QCOMPARE(beepCount(), 1);
    QCOMPARE(w->Label16->fontColor(), Colors::clNavy);

    w->Label16->setFontColor(Colors::clBlue);
    Dialogs::Script::answer(Dialogs::Ok);
    press(w->DBNavigator6);
    QCOMPARE(storedNames(), QVector<QString>({QStringLiteral("Luna")}));
    QCOMPARE(current(), QStringLiteral("Luna"));
    QCOMPARE(w->memo9->toPlainText(), QStringLiteral("Luna"));
    QCOMPARE(beepCount(), 2);
    QCOMPARE(w->Label16->fontColor(), Colors::clNavy);

    // Deleting an unsaved new row drops it and deletes nothing.
    press(w->NUEVO);
    Dialogs::Script::answer(Dialogs::Ok);
    press(w->DBNavigator6);
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
    QCOMPARE(storedNames(), QVector<QString>({QStringLiteral("Luna")}));
}

void TestMainWindow::prologueModeWithAPendingInsert()
{
    makeWindow({{QStringLiteral("Agua"), {}, {}, {}}});
    activate();
    press(w->NUEVO);
    QTest::keyClicks(w->memo9, QStringLiteral("Nube"));
    resetBeepCount();

    QTest::mouseClick(w->BitBoton9812, Qt::LeftButton);
    QCOMPARE(beepCount(), 1);
    QVERIFY(w->Memoayuda->isVisible() && w->MASCARA->isVisible() && w->BOTONNAIPES->isVisible());
    QVERIFY(!w->MARCO->isVisible() && !w->DBImage1->isVisible() && !w->Panel3->isVisible());
    QVERIFY(w->Panel4->isVisible());
    QVERIFY(!w->memo9->isEnabled());
    QVERIFY(w->memo10->isEnabled() && w->Memo11->isEnabled());
    for (QWidget *control : std::initializer_list<QWidget *>{
             w->DBNavigator1, w->DBNavigator2, w->DBNavigator3, w->DBNavigator4, w->DBNavigator5,
             w->DBNavigator6, w->DBNavigator7, w->NUEVO,        w->Label3,       w->Label99,
             w->Label7,       w->Label8,       w->Label5,       w->Label4,       w->Label10,
             w->Label98,      w->Label9,       w->Label11,      w->BitBoton9812, w->BitBtn7gf,
             w->BitBtn2956,   w->BOTONAYUDA,   w->BitBtn214569, w->Spbuton100,   w->BitBtn2000})
        QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
    QVERIFY(w->label990->isEnabled() && w->Label16->isEnabled());
    // The keyboard does not reach the editors under the prologue.
    QVERIFY(!w->memo10->hasFocus() && !w->Memo11->hasFocus());

    // No command reacts, whatever the table's state.
    QVERIFY(w->DBNavigator1->isAvailable());
    press(w->DBNavigator1);
    press(w->DBNavigator7);
    QTest::mouseClick(w->BitBtn2956, Qt::LeftButton);
    QCOMPARE(beepCount(), 1);
    QCOMPARE(w->Table1->state(), DatasetState::Insert);
    QVERIFY(Dialogs::Script::shown().isEmpty());

    QTest::mouseClick(w->BOTONNAIPES, Qt::LeftButton);
    QCOMPARE(beepCount(), 2);
    QVERIFY(!w->Memoayuda->isVisible() && !w->MASCARA->isVisible());
    QVERIFY(!w->BOTONNAIPES->isVisible() && !w->PANELLISTA->isVisible());
    QVERIFY(w->MARCO->isVisible() && w->DBImage1->isVisible() && w->Panel3->isVisible());
    for (QWidget *control : std::initializer_list<QWidget *>{
             w->DBNavigator1, w->NUEVO, w->Label3, w->Label98, w->Label9, w->Label11, w->memo9,
             w->BitBoton9812, w->BitBtn7gf, w->BitBtn2956, w->BOTONAYUDA, w->BitBtn214569,
             w->Spbuton100, w->BitBtn2000})
        QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    QVERIFY(w->memo9->hasFocus());
    QCOMPARE(w->Table1->state(), DatasetState::Insert);
    QCOMPARE(w->memo9->toPlainText(), QStringLiteral("Nube"));
    press(w->DBNavigator1);
    QCOMPARE(storedNames(), QVector<QString>({QStringLiteral("Agua"), QStringLiteral("Nube")}));
}

void TestMainWindow::toolbarClosesTheList()
{
    makeWindow({{QStringLiteral("Agua"), {}, {}, {}}});
    activate();
    // Without the About and help windows registered, their modal steps return at once.
    for (QPushButton *button : {w->BitBtn7gf, w->BOTONAYUDA}) {
        w->PANELLISTA->show();
        w->BOTONCANCELAR->show();
        w->DBLOOKUPLISTBOX1->show();
        w->Memoayuda->show();
        w->Label16->setFontColor(Colors::clBlue);
        resetBeepCount();
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(beepCount(), 1);
        QVERIFY(!w->PANELLISTA->isVisible() && !w->BOTONCANCELAR->isVisible() &&
                !w->DBLOOKUPLISTBOX1->isVisible());
        // Only the help hides the prologue and puts the picture prompt in navy.
        QCOMPARE(w->Memoayuda->isVisible(), button == w->BitBtn7gf);
        QCOMPARE(w->Label16->fontColor(), button == w->BitBtn7gf ? Colors::clBlue : Colors::clNavy);
    }
}

void TestMainWindow::pastingAndCuttingPictures()
{
    const QImage stored = testPicture(30, 40);
    makeWindow({{QStringLiteral("Agua"), {}, {}, {}},
                {QStringLiteral("Luna"), {}, {}, PictureField::encode(stored)}});
    activate();
    w->DBImage1->setFocus();

    // Without a picture, cut does nothing; text on the clipboard pastes nothing.
    QTest::keyClick(w->DBImage1, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
    QGuiApplication::clipboard()->setText(QStringLiteral("no es un dibujo"));
    QTest::keyClick(w->DBImage1, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
    QVERIFY(w->DBImage1->picture().isNull());

    // Pasting into a stored entry starts edit state; "Cancelar" brings back the stored one.
    press(w->DBNavigator5);
    QCOMPARE(w->DBImage1->picture(), stored);
    QGuiApplication::clipboard()->setImage(testPicture(8, 8));
    QTest::keyClick(w->DBImage1, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w->DBImage1->picture().size(), QSize(8, 8));
    QVERIFY(w->DBNavigator1->isAvailable() && w->DBNavigator7->isAvailable());
    press(w->DBNavigator7);
    QCOMPARE(w->DBImage1->picture(), stored);

    // Esc puts back the row's picture.
    QTest::keyClick(w->DBImage1, Qt::Key_V, Qt::ShiftModifier);
    QTest::keyClick(w->DBImage1, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(w->DBImage1->picture().size(), QSize(8, 8));
    QTest::keyClick(w->DBImage1, Qt::Key_Escape);
    QCOMPARE(w->DBImage1->picture(), stored);
    press(w->DBNavigator7);

    // Copy puts the picture on the clipboard.
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(w->DBImage1, Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), stored);

    // Cut empties the editor; after "Grabar" the field is empty.
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(w->DBImage1, Qt::Key_Delete, Qt::ShiftModifier);
    QVERIFY(w->DBImage1->picture().isNull());
    QCOMPARE(w->Table1->state(), DatasetState::Edit);
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), stored);
    press(w->DBNavigator1);
    QVERIFY(w->Table1->fieldIsNull(GraficoBMP));

    // A pasted picture is stored as a bitmap the table reads back.
    QGuiApplication::clipboard()->setImage(testPicture(12, 6));
    QTest::keyClick(w->DBImage1, Qt::Key_V, Qt::ControlModifier);
    press(w->DBNavigator1);
    const QByteArray bytes = w->Table1->fieldBytes(GraficoBMP);
    QVERIFY(PictureCodec::isDecodableBitmap(PictureCodec::bitmapFile(bytes)));
    QCOMPARE(pictureOf(bytes), testPicture(12, 6));
}

void TestMainWindow::unreadablePictureIsKept()
{
    const QByteArray junk = PictureCodec::encode(QByteArray("BM not really a bitmap", 22));
    makeWindow({{QStringLiteral("Agua"), QStringLiteral("vida"), {}, junk}});
    activate();
    QVERIFY(w->DBImage1->picture().isNull());
    // Another change to the entry keeps the stored value byte for byte.
    w->memo10->setFocus();
    QTest::keyClicks(w->memo10, QStringLiteral("x"));
    press(w->DBNavigator1);
    QCOMPARE(w->Table1->fieldBytes(GraficoBMP), junk);
    // Cut has no picture to take; only a paste replaces the value.
    w->DBImage1->setFocus();
    QTest::keyClick(w->DBImage1, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
    QGuiApplication::clipboard()->setImage(testPicture(4, 4));
    QTest::keyClick(w->DBImage1, Qt::Key_V, Qt::ControlModifier);
    press(w->DBNavigator1);
    QCOMPARE(pictureOf(w->Table1->fieldBytes(GraficoBMP)), testPicture(4, 4));
}

void TestMainWindow::largePictureIsCentredNotScaled()
{
    // Wider and taller than the editor: cut off equally on both sides, never scaled.
    const QImage big = testPicture(200, 240);
    makeWindow({{QStringLiteral("Agua"), {}, {}, PictureField::encode(big)}});
    activate();
    TDBImage *image = w->DBImage1;
    const QImage shown = image->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect inside = image->contentsRect();
    const QPoint centre = inside.topLeft() + QPoint(inside.width() / 2, inside.height() / 2);
    // The picture's quadrants meet at the editor's centre (within a pixel of rounding).
    const int left = inside.x() + (inside.width() - big.width()) / 2;
    const int top = inside.y() + (inside.height() - big.height()) / 2;
    QCOMPARE(shown.pixel(inside.x() + 2, inside.y() + 2),
             big.pixel(inside.x() + 2 - left, inside.y() + 2 - top));
    QCOMPARE(QColor(shown.pixel(centre - QPoint(2, 2))), QColor(Qt::red));
    QCOMPARE(QColor(shown.pixel(centre + QPoint(2, 2))), QColor(Qt::yellow));
    QCOMPARE(QColor(shown.pixel(centre + QPoint(2, -2))), QColor(Qt::blue));

    // A small picture lies centred on the window colour.
    QGuiApplication::clipboard()->setImage(testPicture(10, 10));
    image->setFocus();
    QTest::keyClick(image, Qt::Key_V, Qt::ControlModifier);
    const QImage small = image->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(QColor(small.pixel(centre - QPoint(2, 2))), QColor(Qt::red));
    QCOMPARE(small.pixel(centre + QPoint(-8, 0)),
             systemColor(SystemColor::Window, image->palette()).rgb());
    // The focus frame runs round the inside.
    QCOMPARE(small.pixel(inside.topLeft() + QPoint(20, 0)),
             systemColor(SystemColor::WindowFrame, image->palette()).rgb());
    press(w->DBNavigator7);
}

void TestMainWindow::keyboardOrder()
{
    makeWindow({{QStringLiteral("Agua"), {}, {}, {}}});
    activate();
    const QList<QWidget *> order{w->memo10,     w->Memo11,     w->BitBoton9812,
                                 w->BitBtn7gf,  w->BitBtn2956, w->BitBtn214569,
                                 w->BOTONAYUDA, w->BitBtn2000, w->DBImage1};
    for (QWidget *expected : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), expected);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w->memo9);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), w->DBImage1);
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
}

void TestMainWindow::readOnlyTableLeavesEditorsUnchanged()
{
    makeWindow({{QStringLiteral("Agua"), QStringLiteral("vida"), {}, {}}});
    w->Table1->close();
    w->Table1->setReadOnly(true);
    w->Table1->open();
    activate();
    QVERIFY(!w->NUEVO->isAvailable() && !w->DBNavigator6->isAvailable());
    w->memo10->setFocus();
    QTest::keyClicks(w->memo10, QStringLiteral("x"));
    QCOMPARE(w->memo10->toPlainText(), QStringLiteral("vida"));
    QCOMPARE(w->Table1->state(), DatasetState::Browse);
}

NOCTAMBU_TEST_MAIN(TestMainWindow)

#include "tst_mainwindow.moc"
