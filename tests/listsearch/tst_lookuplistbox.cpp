// The list grid as a view over the dream table: the window of rows that follows the current
// row, every key, click and scroll-bar action, the position the scroll bar shows, and the
// settling of an edited row when the grid moves away from it.

#include "controls/datasource.h"
#include "controls/dblookuplistbox.h"
#include "data/storage.h"
#include "data/table.h"
#include "platform/dialogs.h"
#include "support/tempdictionary.h"
#include "testmain.h"

#include <QLineEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace {

QString nameAt(int i)
{
    return QStringLiteral("Nombre %1").arg(i, 3, 10, QLatin1Char('0'));
}

} // namespace

class TestLookupListBox : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void windowFollowsKeys();
    void tabMovesRowsAndKeepsFocus();
    void readOnlyKeys();
    void clicksAndDoubleClick();
    void scrollBarMovesCurrentRow();
    void wheelMovesCurrentRow();
    void locatedRowInTheMiddle();
    void followsMovesMadeElsewhere();
    void positionStaysTrue();
    void movingAwaySettlesEdit();
    void insertShowsNewRow();
    void emptyAndShortTables();
    void looks();

private:
    void makeTable(int rows);
    QString current() const { return m_table->fieldText(ImagenOnirica); }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(m_list, Qt::Key(k), m);
    }
    // The grid's own idea of where it is against the table's.
    void checkPosition();

    std::unique_ptr<TempDictionary> m_dir;
    std::unique_ptr<QWidget> m_window;
    Table *m_table = nullptr;
    DataSource *m_source = nullptr;
    TDBLookupListBox *m_list = nullptr;
};

void TestLookupListBox::init()
{
    m_dir = std::make_unique<TempDictionary>();
    Dialogs::Script::reset();
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::DefaultAnswer);
}

void TestLookupListBox::cleanup()
{
    m_window.reset();
    m_table = nullptr;
    m_list = nullptr;
    Dialogs::Script::reset();
}

void TestLookupListBox::makeTable(int rows)
{
    QStringList names;
    for (int i = 0; i < rows; ++i)
        names << nameAt(i);
    m_dir->add(named(names));
    m_window = std::make_unique<QWidget>();
    m_table = new Table(m_window.get());
    m_table->setDatabaseDir(m_dir->path());
    m_table->open();
    m_source = new DataSource(m_window.get());
    m_source->setDataSet(m_table);
    m_list = new TDBLookupListBox(m_window.get());
    m_list->setGeometry(24, 16, 369, 201);
    m_list->setDataSource(m_source);
    m_list->setDataField(ImagenOnirica);
    m_window->resize(420, 260);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_list->setFocus();
}

void TestLookupListBox::checkPosition()
{
    QTRY_COMPARE(m_list->position(), m_table->recNo());
    QTRY_COMPARE(m_list->rowTotal(), m_table->recordCount());
    QCOMPARE(qint64(m_list->verticalScrollBar()->value()), m_table->recNo() - 1);
    QCOMPARE(qint64(m_list->verticalScrollBar()->maximum()), m_table->recordCount() - 1);
    QCOMPARE(m_list->displayedNames().value(m_list->currentRow()), current());
}

void TestLookupListBox::windowFollowsKeys()
{
    makeTable(100);
    const int rows = m_list->visibleRowCount();
    QVERIFY(rows >= 5);
    QCOMPARE(m_list->displayedNames().size(), rows);
    QCOMPARE(m_list->displayedNames().first(), nameAt(0));
    QCOMPARE(m_list->currentRow(), 0);
    checkPosition();

    // Inside the window nothing scrolls.
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    QCOMPARE(current(), nameAt(2));
    QCOMPARE(m_list->currentRow(), 2);
    QCOMPARE(m_list->displayedNames().first(), nameAt(0));
    key(Qt::Key_Up);
    QCOMPARE(current(), nameAt(1));
    checkPosition();

    // The bottom row shown, then one more: the window scrolls by one.
    key(Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(current(), nameAt(rows - 1));
    QCOMPARE(m_list->currentRow(), rows - 1);
    key(Qt::Key_Down);
    QCOMPARE(current(), nameAt(rows));
    QCOMPARE(m_list->displayedNames().first(), nameAt(1));
    QCOMPARE(m_list->currentRow(), rows - 1);
    checkPosition();

    // A page down moves a page of rows; the current row stays at the bottom.
    key(Qt::Key_PageDown);
    QCOMPARE(current(), nameAt(2 * rows));
    QCOMPARE(m_list->currentRow(), rows - 1);
    QCOMPARE(m_list->displayedNames().first(), nameAt(rows + 1));
    checkPosition();

    // The top row shown, by both keys.
    key(Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(current(), nameAt(rows + 1));
    QCOMPARE(m_list->currentRow(), 0);
    key(Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(current(), nameAt(2 * rows));
    key(Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(current(), nameAt(rows + 1));

    // Past the top edge the window scrolls up so that the current row is at the top.
    key(Qt::Key_PageUp);
    QCOMPARE(current(), nameAt(1));
    QCOMPARE(m_list->currentRow(), 0);
    QCOMPARE(m_list->displayedNames().first(), nameAt(1));
    checkPosition();

    // End and Home, with and without Ctrl.
    key(Qt::Key_End);
    QCOMPARE(current(), nameAt(99));
    QCOMPARE(m_list->currentRow(), rows - 1);
    QCOMPARE(m_list->displayedNames().last(), nameAt(99));
    QVERIFY(m_table->eof());
    checkPosition();
    key(Qt::Key_Down); // nothing below the last
    QCOMPARE(current(), nameAt(99));
    key(Qt::Key_Home);
    QCOMPARE(current(), nameAt(0));
    QCOMPARE(m_list->currentRow(), 0);
    checkPosition();
    key(Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(current(), nameAt(99));
    key(Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(current(), nameAt(0));
    key(Qt::Key_Up); // nothing above the first
    QCOMPARE(current(), nameAt(0));
    QVERIFY(m_table->bof());
    checkPosition();
}

void TestLookupListBox::tabMovesRowsAndKeepsFocus()
{
    makeTable(20);
    auto *other = new QLineEdit(m_window.get());
    other->move(0, 230);
    other->show();
    m_list->setFocus();
    QVERIFY(m_list->hasFocus());
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    QCOMPARE(current(), nameAt(2));
    QVERIFY(m_list->hasFocus());
    key(Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(current(), nameAt(1));
    key(Qt::Key_Backtab);
    QCOMPARE(current(), nameAt(0));
    QVERIFY(m_list->hasFocus());
}

void TestLookupListBox::readOnlyKeys()
{
    makeTable(5);
    key(Qt::Key_Down);
    key(Qt::Key_Insert);
    key(Qt::Key_Delete, Qt::ControlModifier);
    key(Qt::Key_Delete);
    key(Qt::Key_X);
    key(Qt::Key_Return);
    QCOMPARE(m_table->state(), DatasetState::Browse);
    QCOMPARE(m_table->recordCount(), 5);
    QCOMPARE(current(), nameAt(1));
    QCOMPARE(m_list->displayedNames().size(), 5);
}

void TestLookupListBox::clicksAndDoubleClick()
{
    makeTable(30);
    QSignalSpy doubled(m_list, &TDBLookupListBox::doubleClicked);
    const int h = m_list->rowHeight();
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, QPoint(60, 4 * h + h / 2));
    QCOMPARE(current(), nameAt(4));
    QCOMPARE(m_list->currentRow(), 4);
    QVERIFY(m_list->hasFocus());
    // The indicator column selects too; below the rows or with the right button nothing.
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, QPoint(3, 2 * h + 1));
    QCOMPARE(current(), nameAt(2));
    QTest::mouseClick(m_list->viewport(), Qt::RightButton, {}, QPoint(60, h / 2));
    QCOMPARE(current(), nameAt(2));
    QCOMPARE(doubled.count(), 0);
    QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {}, QPoint(60, 6 * h + 2));
    QCOMPARE(current(), nameAt(6));
    QCOMPARE(doubled.count(), 1);
    checkPosition();
}

void TestLookupListBox::scrollBarMovesCurrentRow()
{
    makeTable(200);
    const int rows = m_list->visibleRowCount();
    QScrollBar *bar = m_list->verticalScrollBar();
    QCOMPARE(bar->maximum(), 199);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    // The arrow below: the entry just below the bottom row shown.
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(current(), nameAt(rows));
    QCOMPARE(m_list->currentRow(), rows - 1);
    checkPosition();
    // The arrow above: the entry just above the top row shown.
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(current(), nameAt(0));
    QCOMPARE(m_list->currentRow(), 0);
    checkPosition();
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(current(), nameAt(rows));
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(current(), nameAt(2 * rows));
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(current(), nameAt(rows));
    checkPosition();
    // The thumb: the row at that position in name order.
    bar->setSliderPosition(150);
    QCOMPARE(current(), nameAt(150));
    checkPosition();
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(current(), nameAt(199));
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(current(), nameAt(0));
    checkPosition();

    // Dragging the thumb to the end: the rows follow the thumb, the last place counts.
    const int x = bar->width() / 2;
    const int top = bar->width() + 3; // the thumb, just below the arrow
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(x, top));
    QVERIFY(bar->isSliderDown());
    for (int y = top + 10; y < bar->height(); y += 10) {
        QMouseEvent drag(QEvent::MouseMove, QPointF(x, y), QPointF(bar->mapToGlobal(QPoint(x, y))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &drag);
    }
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(x, bar->height() - 1));
    QCOMPARE(current(), nameAt(199));
    QCOMPARE(m_list->currentRow(), rows - 1);
    checkPosition();
    bar->triggerAction(QAbstractSlider::SliderToMinimum);

    // A click on the track below the thumb pages down.
    const QRect r = bar->rect();
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(r.center().x(), r.bottom() - 30));
    QCOMPARE(current(), nameAt(rows));
    checkPosition();
}

namespace {

void turnWheel(QWidget *target, int notches)
{
    const QPointF at(target->width() / 2, target->height() / 2);
    QWheelEvent wheel(at, target->mapToGlobal(at.toPoint()), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

} // namespace

void TestLookupListBox::wheelMovesCurrentRow()
{
    makeTable(100);
    // Over the rows one entry a notch; towards the user is down the list.
    turnWheel(m_list->viewport(), -2);
    QCOMPARE(current(), nameAt(2));
    turnWheel(m_list->viewport(), 1);
    QCOMPARE(current(), nameAt(1));
    checkPosition();
    // Over the scroll bar as far as the bar scrolls, the current row with it.
    const int before = m_list->verticalScrollBar()->value();
    turnWheel(m_list->verticalScrollBar(), -1);
    QVERIFY(m_list->verticalScrollBar()->value() > before);
    checkPosition();
    QCOMPARE(m_list->displayedNames().value(m_list->currentRow()), current());
}

void TestLookupListBox::locatedRowInTheMiddle()
{
    makeTable(100);
    const int rows = m_list->visibleRowCount();
    QVERIFY(m_table->locate(QStringLiteral("IMAGEN ONÍRICA"), nameAt(50), Table::PartialKey));
    QCOMPARE(m_list->currentRow(), (rows - 1) / 2);
    QCOMPARE(m_list->displayedNames().value((rows - 1) / 2), nameAt(50));
    checkPosition();
    // Near the start there are not enough rows above: the window starts at the first.
    QVERIFY(m_table->locate(QStringLiteral("IMAGEN ONÍRICA"), nameAt(1), Table::PartialKey));
    QCOMPARE(m_list->displayedNames().first(), nameAt(0));
    QCOMPARE(m_list->currentRow(), 1);
    // And near the end the window ends at the last.
    QVERIFY(m_table->locate(QStringLiteral("IMAGEN ONÍRICA"), nameAt(98), Table::PartialKey));
    QCOMPARE(m_list->displayedNames().last(), nameAt(99));
    QCOMPARE(m_list->currentRow(), rows - 2);
    checkPosition();
    // A miss leaves the rows as they are.
    const QStringList shown = m_list->displayedNames();
    QVERIFY(
        !m_table->locate(QStringLiteral("IMAGEN ONÍRICA"), QStringLiteral("x"), Table::PartialKey));
    QCOMPARE(m_list->displayedNames(), shown);
}

void TestLookupListBox::followsMovesMadeElsewhere()
{
    makeTable(40);
    const int rows = m_list->visibleRowCount();
    for (int i = 0; i < rows + 3; ++i)
        m_table->next();
    QCOMPARE(current(), nameAt(rows + 3));
    QCOMPARE(m_list->currentRow(), rows - 1);
    QCOMPARE(m_list->displayedNames().first(), nameAt(4));
    checkPosition();
    m_table->prior();
    QCOMPARE(m_list->currentRow(), rows - 2);
    m_table->moveToId(m_table->namesFrom(0, 1, true).first().id); // the first, by its id
    QCOMPARE(m_list->currentRow(), 0);
    QCOMPARE(m_list->displayedNames().first(), nameAt(0));
    checkPosition();

    // While hidden the grid follows as well and shows the truth when shown again.
    m_list->hide();
    m_table->last();
    m_table->prior();
    m_table->locate(QStringLiteral("Imagen Onírica"), nameAt(20), Table::PartialKey);
    m_table->next();
    m_list->show();
    QCOMPARE(current(), nameAt(21));
    QCOMPARE(m_list->displayedNames().value(m_list->currentRow()), nameAt(21));
    checkPosition();
}

// Many random moves of every kind: the grid's position and rows always agree with the
// table's, and the current row is always in view.
void TestLookupListBox::positionStaysTrue()
{
    makeTable(300);
    QScrollBar *bar = m_list->verticalScrollBar();
    // A fixed seed, so that a failure comes back; NOCTAMBU_SEED tries others.
    const quint32 seed = qEnvironmentVariableIsSet("NOCTAMBU_SEED")
                             ? quint32(qEnvironmentVariableIntValue("NOCTAMBU_SEED"))
                             : 20261208u;
    QRandomGenerator generator(seed);
    auto *rng = &generator;
    const int keys[] = {Qt::Key_Up,   Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown,
                        Qt::Key_Home, Qt::Key_End,  Qt::Key_Tab};
    const QAbstractSlider::SliderAction actions[] = {
        QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderSingleStepSub,
        QAbstractSlider::SliderPageStepAdd, QAbstractSlider::SliderPageStepSub};
    for (int step = 0; step < 300; ++step) {
        const int kind = rng->bounded(6);
        if (kind == 0)
            key(keys[rng->bounded(7)], rng->bounded(3) == 0 ? Qt::ControlModifier : Qt::NoModifier);
        else if (kind == 1)
            bar->triggerAction(actions[rng->bounded(4)]);
        else if (kind == 2)
            bar->setSliderPosition(rng->bounded(300));
        else if (kind == 3)
            m_table->moveBy(rng->bounded(-25, 26));
        else if (kind == 4)
            m_table->locate(QStringLiteral("Imagen Onírica"), nameAt(rng->bounded(300)),
                            Table::PartialKey);
        else
            QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                              QPoint(50, rng->bounded(m_list->viewport()->height())));
        QVERIFY(m_list->currentRow() >= 0);
        QCOMPARE(m_list->displayedNames().value(m_list->currentRow()), current());
        QCOMPARE(m_list->displayedNames().size(), m_list->visibleRowCount());
        QTRY_COMPARE(m_list->position(), m_table->recNo());
        QCOMPARE(qint64(bar->value()), m_table->recNo() - 1);
        // The rows shown are consecutive in name order.
        const int top = m_list->displayedNames().first().mid(7).toInt();
        for (int i = 0; i < m_list->displayedNames().size(); ++i)
            QCOMPARE(m_list->displayedNames().at(i), nameAt(top + i));
    }
}

void TestLookupListBox::movingAwaySettlesEdit()
{
    makeTable(10);
    // A changed row is stored by the move.
    m_table->edit();
    m_table->setFieldValue(InterpretacionOnirica, QStringLiteral("cambiado"));
    QCOMPARE(m_table->state(), DatasetState::Edit);
    key(Qt::Key_Down);
    QCOMPARE(m_table->state(), DatasetState::Browse);
    QCOMPARE(current(), nameAt(1));
    key(Qt::Key_Up);
    QCOMPARE(m_table->fieldText(InterpretacionOnirica), QStringLiteral("cambiado"));

    // A row that cannot be stored stops the move with the error box and stays in edit.
    m_table->edit();
    m_table->setFieldValue(ImagenOnirica, QString());
    QCOMPARE(m_list->displayedNames().at(0), QString());
    Dialogs::Script::reset();
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::DefaultAnswer);
    key(Qt::Key_Down);
    QCOMPARE(Dialogs::Script::shown().size(), 1);
    QCOMPARE(Dialogs::Script::shown().first().text,
             QStringLiteral("Field 'Imagen Onírica' must have a value."));
    QCOMPARE(m_table->state(), DatasetState::Edit);
    QCOMPARE(m_list->currentRow(), 0);
    QCOMPARE(m_list->verticalScrollBar()->value(), 0);
    // The same from the scroll bar: its slider goes back where the row is.
    m_list->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(Dialogs::Script::shown().size(), 2);
    QCOMPARE(m_list->verticalScrollBar()->value(), 0);
    QCOMPARE(m_table->state(), DatasetState::Edit);
    m_table->cancel();
    QCOMPARE(m_list->displayedNames().at(0), nameAt(0));
}

void TestLookupListBox::insertShowsNewRow()
{
    makeTable(30);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    m_table->insert();
    // The new row stands above the row that was current and is the current one.
    QCOMPARE(m_list->currentRow(), 2);
    QCOMPARE(m_list->displayedNames().at(2), QString());
    QCOMPARE(m_list->displayedNames().at(3), nameAt(2));
    m_table->setFieldValue(ImagenOnirica, QStringLiteral("Nombre 001a"));
    QCOMPARE(m_list->displayedNames().at(2), QStringLiteral("Nombre 001a"));
    m_table->post();
    QCOMPARE(current(), QStringLiteral("Nombre 001a"));
    QCOMPARE(m_list->displayedNames().value(m_list->currentRow()), current());
    checkPosition();
    QCOMPARE(m_list->rowTotal(), 31);
    // A click on a row below a new row goes to that row, and the untouched new row goes.
    m_table->insert();
    const int h = m_list->rowHeight();
    const int below = m_list->currentRow() + 2;
    const QString target = m_list->displayedNames().at(below);
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, QPoint(40, below * h + h / 2));
    QCOMPARE(current(), target);
    QCOMPARE(m_table->state(), DatasetState::Browse);
    // An untouched new row disappears with the next move.
    m_table->insert();
    key(Qt::Key_Down);
    QCOMPARE(m_table->recordCount(), 31);
    QVERIFY(!m_list->displayedNames().contains(QString()));
    checkPosition();
}

void TestLookupListBox::emptyAndShortTables()
{
    makeTable(0);
    QCOMPARE(m_list->displayedNames(), QStringList());
    QCOMPARE(m_list->currentRow(), -1);
    key(Qt::Key_Down);
    key(Qt::Key_End);
    m_list->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QSignalSpy doubled(m_list, &TDBLookupListBox::doubleClicked);
    QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
    QCOMPARE(doubled.count(), 1);
    QCOMPARE(m_list->verticalScrollBar()->maximum(), 0);
    // The first entry of an empty table comes by inserting.
    m_table->insert();
    QCOMPARE(m_list->displayedNames(), QStringList(QString()));
    m_table->setFieldValue(ImagenOnirica, QStringLiteral("Agua"));
    m_table->post();
    QCOMPARE(m_list->displayedNames(), QStringList(QStringLiteral("Agua")));
    QCOMPARE(m_list->currentRow(), 0);
    checkPosition();
}

void TestLookupListBox::looks()
{
    makeTable(3);
    QVERIFY(m_list->font().bold());
    QCOMPARE(m_list->font().pixelSize(), 11);
    QCOMPARE(m_list->verticalScrollBar()->isVisible(), true);
    m_table->next();
    // The current row stays highlighted without the focus; the others are on the
    // scroll-bar colour.
    m_list->clearFocus();
    const QImage img = m_list->viewport()->grab().toImage();
    const int h = m_list->rowHeight();
    const QColor highlight = m_list->palette().color(QPalette::Active, QPalette::Highlight);
    const QColor track = m_list->palette().color(QPalette::Active, QPalette::Button);
    QCOMPARE(img.pixelColor(m_list->viewport()->width() - 5, h + h / 2), highlight);
    QCOMPARE(img.pixelColor(m_list->viewport()->width() - 5, h / 2), track);
    QCOMPARE(img.pixelColor(m_list->viewport()->width() - 5, 5 * h), track);
    // The indicator marks the current row only.
    bool marked = false, elsewhere = false;
    for (int x = 0; x < 11; ++x) {
        for (int y = 0; y < h; ++y) {
            marked |= img.pixelColor(x, h + y) == QColor(Qt::black);
            elsewhere |= img.pixelColor(x, y) == QColor(Qt::black);
        }
    }
    QVERIFY(marked);
    QVERIFY(!elsewhere);
}

NOCTAMBU_TEST_MAIN(TestLookupListBox)
#include "tst_lookuplistbox.moc"
