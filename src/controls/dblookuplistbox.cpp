#include "controls/dblookuplistbox.h"

#include "controls/datasource.h"
#include "data/collation.h"
#include "platform/accessibility.h"
#include "platform/appearance.h"
#include "platform/application.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QWheelEvent>

#include <climits>

namespace {

constexpr int IndicatorWidth = 11;
constexpr int TextMargin = 2;
constexpr int WheelStep = 120; // one notch of a wheel

// The indicator's marks: the current row while browsing, while edited, while inserted.
void paintIndicator(QPainter &p, const QRect &cell, DatasetState state, const QColor &ink)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(ink);
    p.setBrush(ink);
    const QPoint c = cell.center();
    switch (state) {
    case DatasetState::Edit: // an I-beam
        p.drawLine(c.x(), c.y() - 4, c.x(), c.y() + 4);
        p.drawLine(c.x() - 2, c.y() - 4, c.x() + 2, c.y() - 4);
        p.drawLine(c.x() - 2, c.y() + 4, c.x() + 2, c.y() + 4);
        break;
    case DatasetState::Insert: // an asterisk
        p.drawLine(c.x(), c.y() - 3, c.x(), c.y() + 3);
        p.drawLine(c.x() - 3, c.y() - 2, c.x() + 3, c.y() + 2);
        p.drawLine(c.x() - 3, c.y() + 2, c.x() + 3, c.y() - 2);
        break;
    default: { // a triangle pointing at the row
        QPainterPath arrow;
        arrow.moveTo(c.x() - 2, c.y() - 4);
        arrow.lineTo(c.x() + 2, c.y());
        arrow.lineTo(c.x() - 2, c.y() + 4);
        arrow.closeSubpath();
        p.drawPath(arrow);
        break;
    }
    }
    p.restore();
}

} // namespace

TDBLookupListBox::TDBLookupListBox(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFont(makeFont(QStringLiteral("MS Sans Serif"), 11, true));
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, 0);
    bar->setSingleStep(1);
    connect(bar, &QScrollBar::actionTriggered, this, &TDBLookupListBox::onScrollAction);
    m_countTimer.setSingleShot(true);
    m_countTimer.setInterval(0);
    connect(&m_countTimer, &QTimer::timeout, this, &TDBLookupListBox::countNow);
    m_thumbTimer.setSingleShot(true);
    m_thumbTimer.setInterval(0);
    connect(&m_thumbTimer, &QTimer::timeout, this, [this] { moveToPosition(m_thumbTarget); });
    connect(bar, &QScrollBar::sliderReleased, this, [this] {
        if (m_thumbTimer.isActive())
            moveToPosition(m_thumbTarget);
        syncScrollBar();
    });
}

TDBLookupListBox::~TDBLookupListBox() = default;

Table *TDBLookupListBox::table() const
{
    Table *t = m_dataSource ? m_dataSource->dataSet() : nullptr;
    return t && t->isActive() ? t : nullptr;
}

void TDBLookupListBox::setDataSource(DataSource *source)
{
    const bool bound = m_dataSource.bind(source, [this](DataSource *s) {
        return QList<QMetaObject::Connection>{
            connect(s, &DataSource::dataChanged, this, &TDBLookupListBox::onDataChanged),
            connect(s, &DataSource::stateChanged, this, &TDBLookupListBox::onStateChanged),
            connect(s, &DataSource::fieldChanged, viewport(), QOverload<>::of(&QWidget::update))};
    });
    if (bound)
        onDataChanged(RecordChange::Reloaded);
}

void TDBLookupListBox::setDataField(int field)
{
    m_field = field;
    viewport()->update();
}

QStringList TDBLookupListBox::displayedNames() const
{
    QStringList out;
    for (int i = 0; i < m_rows.size(); ++i) {
        const Table *t = table();
        const bool buffered =
            t && i == m_cur &&
            (t->state() == DatasetState::Edit || t->state() == DatasetState::Insert);
        out << (buffered ? t->fieldText(m_field) : m_rows.at(i).name);
    }
    return out;
}

int TDBLookupListBox::rowHeight() const
{
    return fontMetrics().height() + 4;
}

int TDBLookupListBox::visibleRowCount() const
{
    // From the frame's own geometry: a hidden grid has its size before its viewport is
    // laid out.
    return qMax(1, contentsRect().height() / rowHeight());
}

int TDBLookupListBox::rowAt(const QPoint &viewportPos) const
{
    if (viewportPos.y() < 0 || viewportPos.x() < 0 || viewportPos.x() >= viewport()->width())
        return -1;
    const int row = viewportPos.y() / rowHeight();
    return row < m_rows.size() ? row : -1;
}

int TDBLookupListBox::indexOfId(qint64 id) const
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).id == id)
            return i;
    }
    return -1;
}

void TDBLookupListBox::readRows(int want)
{
    Table *t = table();
    m_rows.clear();
    m_cur = -1;
    m_insertRow = false;
    if (!t) {
        viewport()->update();
        return;
    }
    const int rows = visibleRowCount();
    const bool inserting = t->state() == DatasetState::Insert;
    if (inserting && rows > 1) // the new row goes above the stored current one
        want = qMin(want, rows - 2);
    want = qBound(0, want, rows - 1);
    // Up to a window's worth on either side, then the window with the current row as
    // near to want as the table's ends allow. The grid reads while the dataset tells of a
    // change and while Qt lays it out: a read that fails shows its error here and leaves
    // the grid without stored rows.
    QVector<RowName> around;
    runHandler([&] { around = t->namesAround(rows - 1, rows - 1); });
    int c = -1;
    for (int i = 0; i < around.size(); ++i) {
        if (around.at(i).id == t->currentId()) {
            c = i;
            break;
        }
    }
    if (c >= 0) {
        const int start = qBound(0, c - want, qMax(0, int(around.size()) - rows));
        m_rows = around.mid(start, rows);
        m_cur = c - start;
    }
    if (inserting) {
        const int at = m_cur >= 0 ? m_cur : 0;
        m_rows.insert(at, RowName());
        if (m_rows.size() > rows)
            m_rows.removeLast();
        m_cur = at;
        m_insertRow = true;
    }
    viewport()->update();
}

void TDBLookupListBox::followMove()
{
    Table *t = table();
    const QVector<RowName> before = m_rows;
    const int beforeCur = m_cur;
    const qint64 beforeTopRank = m_rank - beforeCur;
    const bool rankWasKnown = m_rankKnown && beforeCur >= 0 && !m_insertRow;

    const int at = m_insertRow ? -1 : indexOfId(t ? t->currentId() : 0);
    if (at >= 0) {
        m_cur = at; // inside the window: nothing scrolls
        viewport()->update();
    } else if (!t || m_rows.isEmpty() || m_insertRow || t->currentId() == 0) {
        readRows(0);
    } else {
        // Past an edge: the current row comes to the edge it crossed.
        const QByteArray key = Collation::sortKey(t->fieldText(ImagenOnirica));
        const QByteArray top = Collation::sortKey(m_rows.first().name);
        readRows(key < top ? 0 : visibleRowCount() - 1);
    }

    // The new position: at either end of the table it is plain; otherwise from a row that
    // both windows show.
    m_rankKnown = false;
    if (t && t->currentId() != 0) {
        if (t->bof()) {
            m_rank = 1;
            m_rankKnown = true;
        } else if (t->eof() && m_countKnown) {
            m_rank = m_count;
            m_rankKnown = true;
        } else if (rankWasKnown) {
            for (int j = 0; j < m_rows.size() && !m_rankKnown; ++j) {
                for (int i = 0; i < before.size(); ++i) {
                    if (before.at(i).id == m_rows.at(j).id) {
                        m_rank = beforeTopRank + i - j + m_cur;
                        m_rankKnown = true;
                        break;
                    }
                }
            }
        }
    }
}

void TDBLookupListBox::onDataChanged(RecordChange change)
{
    Table *t = table();
    switch (change) {
    case RecordChange::Moved:
        followMove();
        break;
    case RecordChange::Centered:
        readRows((visibleRowCount() - 1) / 2);
        m_rankKnown = false;
        break;
    case RecordChange::Reloaded:
        readRows(m_cur >= 0 ? m_cur : 0);
        // A new row not stored yet changes neither the count nor the stored row's place.
        if (!t || t->state() != DatasetState::Insert) {
            m_rankKnown = false;
            m_countKnown = false;
        }
        break;
    }
    syncScrollBar();
    notifyCurrentRow();
}

void TDBLookupListBox::notifyCurrentRow()
{
    // Assistive technology follows the current entry: its row is the selected one, and the
    // focused one while the grid has the focus.
    if (m_cur < 0 || !isVisible())
        return;
    // Only where the grid is read as a list of its rows.
    const QAccessibleInterface *list = QAccessible::queryAccessibleInterface(this);
    if (!list || list->role() != QAccessible::List || m_cur >= list->childCount())
        return;
    QAccessibleEvent selection(this, QAccessible::Selection);
    selection.setChild(m_cur);
    Accessibility::notify(&selection);
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(m_cur);
        Accessibility::notify(&focus);
    }
}

void TDBLookupListBox::onStateChanged()
{
    viewport()->update();
}

bool TDBLookupListBox::isOpen() const
{
    // Shown within its window (the window itself may be off screen, as when rendered).
    return isVisibleTo(window());
}

void TDBLookupListBox::syncScrollBar()
{
    QScrollBar *bar = verticalScrollBar();
    Table *t = table();
    if (!t || t->isEmpty()) {
        m_rank = m_count = 0;
        m_rankKnown = m_countKnown = t != nullptr;
        bar->setRange(0, 0);
        return;
    }
    if (!m_rankKnown || !m_countKnown) {
        // Counting costs a pass over the index: do it once the events at hand are done,
        // and only if the grid is shown then (or when it is shown next). The bar goes as
        // near as it can meanwhile.
        m_countTimer.start();
        if (m_rankKnown)
            bar->setValue(int(qMin<qint64>(m_rank - 1, INT_MAX)));
        return;
    }
    bar->setPageStep(visibleRowCount());
    bar->setRange(0, int(qMin<qint64>(m_count - 1, INT_MAX)));
    bar->setValue(int(qMin<qint64>(m_rank - 1, INT_MAX)));
}

void TDBLookupListBox::countNow()
{
    Table *t = table();
    if (!t || !isOpen())
        return;
    runHandler([&] {
        if (!m_countKnown) {
            m_count = t->recordCount();
            m_countKnown = true;
        }
        if (!m_rankKnown) {
            const qint64 rank = t->recNo();
            if (rank > 0) {
                m_rank = rank;
                m_rankKnown = true;
            }
        }
    });
    if (m_rankKnown && m_countKnown)
        syncScrollBar();
}

void TDBLookupListBox::move(const std::function<qint64()> &op)
{
    if (!table())
        return;
    qint64 rank = 0;
    if (runHandler([&] { rank = op(); }) && rank > 0) {
        m_rank = rank;
        m_rankKnown = true;
    }
    syncScrollBar();
}

void TDBLookupListBox::moveBy(qint64 distance)
{
    if (distance == 0 && m_cur >= 0)
        return;
    move([this, distance] {
        const qint64 from = m_rankKnown && !m_insertRow ? m_rank : 0;
        const qint64 taken = table()->moveBy(distance);
        return from > 0 ? from + taken : 0;
    });
}

void TDBLookupListBox::moveFirst()
{
    move([this] {
        table()->first();
        return qint64(1);
    });
}

void TDBLookupListBox::moveLast()
{
    move([this] {
        table()->last();
        return m_countKnown ? m_count : 0;
    });
}

void TDBLookupListBox::moveToPosition(qint64 position)
{
    m_thumbTimer.stop();
    // A short way from the current row: the table steps over the rows in between; a long
    // way: the table goes to the position through its sampled order.
    constexpr qint64 ShortWay = 1000;
    if (m_rankKnown && !m_insertRow && m_cur >= 0 && qAbs(position - m_rank) <= ShortWay) {
        moveBy(position - m_rank);
        return;
    }
    move([this, position] {
        table()->moveToRecNo(position);
        return m_countKnown ? qBound<qint64>(1, position, m_count) : 0;
    });
}

void TDBLookupListBox::onScrollAction(int action)
{
    QScrollBar *bar = verticalScrollBar();
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: // the entry just above the top row
        moveBy(-(qMax(m_cur, 0) + 1));
        break;
    case QAbstractSlider::SliderSingleStepAdd: // the entry just below the bottom row
        moveBy(m_rows.size() - qMax(m_cur, 0));
        break;
    case QAbstractSlider::SliderPageStepSub:
        moveBy(-visibleRowCount());
        break;
    case QAbstractSlider::SliderPageStepAdd:
        moveBy(visibleRowCount());
        break;
    case QAbstractSlider::SliderToMinimum:
        moveFirst();
        break;
    case QAbstractSlider::SliderToMaximum:
        moveLast();
        break;
    case QAbstractSlider::SliderMove:
        if (bar->isSliderDown()) {
            // Dragging the thumb: the latest place wins once the pending events are done,
            // so that a far move does not hold up the drag.
            m_thumbTarget = qint64(bar->sliderPosition()) + 1;
            m_thumbTimer.start();
            return;
        }
        moveToPosition(qint64(bar->sliderPosition()) + 1);
        break;
    default:
        break;
    }
    // The slider shows where the current row is, whatever the action asked for.
    if (m_rankKnown && m_countKnown && m_count > 0)
        bar->setSliderPosition(int(qMin<qint64>(m_rank - 1, INT_MAX)));
}

bool TDBLookupListBox::event(QEvent *e)
{
    // Tab and Shift+Tab stay inside the grid: with its one column they move a row.
    if (e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (!(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            if (k->key() == Qt::Key_Backtab ||
                (k->key() == Qt::Key_Tab && (k->modifiers() & Qt::ShiftModifier))) {
                moveBy(-1);
                return true;
            }
            if (k->key() == Qt::Key_Tab) {
                moveBy(1);
                return true;
            }
        }
    }
    return QAbstractScrollArea::event(e);
}

void TDBLookupListBox::keyPressEvent(QKeyEvent *e)
{
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const int last = int(m_rows.size()) - 1;
    switch (e->key()) {
    case Qt::Key_Up:
        ctrl ? moveBy(-qMax(m_cur, 0)) : moveBy(-1);
        break;
    case Qt::Key_Down:
        ctrl ? moveBy(last - qMax(m_cur, 0)) : moveBy(1);
        break;
    case Qt::Key_PageUp:
        ctrl ? moveBy(-qMax(m_cur, 0)) : moveBy(-visibleRowCount());
        break;
    case Qt::Key_PageDown:
        ctrl ? moveBy(last - qMax(m_cur, 0)) : moveBy(visibleRowCount());
        break;
    case Qt::Key_Home:
        moveFirst();
        break;
    case Qt::Key_End:
        moveLast();
        break;
    case Qt::Key_Insert: // read-only: no new rows
    case Qt::Key_Delete: // and none deleted
        break;
    default:
        QWidget::keyPressEvent(e); // not the grid's: passed on
        return;
    }
    e->accept();
}

void TDBLookupListBox::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    selectRow(rowAt(e->pos()));
}

void TDBLookupListBox::selectRow(int row)
{
    if (row < 0 || row == m_cur)
        return;
    if (!m_insertRow) {
        moveBy(row - m_cur);
        return;
    }
    // The new row above goes away when the move settles it: aim at the row itself.
    const qint64 id = m_rows.at(row).id;
    move([this, id] {
        table()->moveToId(id);
        return qint64(0);
    });
}

void TDBLookupListBox::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    selectRow(rowAt(e->pos()));
    emit doubleClicked();
}

void TDBLookupListBox::wheelEvent(QWheelEvent *e)
{
    m_wheel += e->angleDelta().y();
    const int notches = m_wheel / WheelStep;
    m_wheel -= notches * WheelStep;
    if (notches != 0)
        moveBy(-notches);
    e->accept();
}

void TDBLookupListBox::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    if (table() && !m_insertRow && (m_rows.size() != visibleRowCount() || m_cur >= m_rows.size()))
        readRows(qMin(m_cur, visibleRowCount() - 1));
    syncScrollBar();
}

void TDBLookupListBox::showEvent(QShowEvent *e)
{
    QAbstractScrollArea::showEvent(e);
    syncScrollBar();
}

void TDBLookupListBox::focusInEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusInEvent(e);
    viewport()->update();
}

void TDBLookupListBox::focusOutEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusOutEvent(e);
    viewport()->update();
}

void TDBLookupListBox::scrollContentsBy(int, int)
{
    // The rows are not scrolled as pixels: the window of rows follows the current row.
    viewport()->update();
}

void TDBLookupListBox::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    const QPalette &pal = palette();
    const QRect all = viewport()->rect();
    const int h = rowHeight();
    const QColor background = systemColor(SystemColor::ScrollBar, pal);
    p.fillRect(all, background);
    p.fillRect(QRect(0, 0, IndicatorWidth, all.height()), systemColor(SystemColor::BtnFace, pal));

    const Table *t = table();
    const DatasetState state = t ? t->state() : DatasetState::Inactive;
    const QStringList names = displayedNames();
    p.setFont(font());
    for (int i = 0; i < names.size(); ++i) {
        const QRect indicator(0, i * h, IndicatorWidth, h);
        const QRect cell(IndicatorWidth, i * h, all.width() - IndicatorWidth, h);
        QColor ink = Colors::clBlack;
        if (i == m_cur) {
            // The current row stays highlighted whether or not the grid has the focus.
            p.fillRect(cell, systemColor(SystemColor::Highlight, pal));
            ink = systemColor(SystemColor::HighlightText, pal);
            paintIndicator(p, indicator, state, Colors::clBlack);
        }
        p.setPen(ink);
        p.drawText(cell.adjusted(TextMargin, 0, -TextMargin, 0),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, names.at(i));
        if (i == m_cur && hasFocus()) {
            p.setPen(QPen(ink, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(cell.adjusted(0, 0, -1, -1));
        }
    }
}
