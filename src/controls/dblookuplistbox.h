#pragma once

#include "controls/datasource.h"
#include "data/table.h"

#include <QAbstractScrollArea>
#include <QPointer>
#include <QTimer>
#include <QVector>

#include <functional>

// A read-only, one-column grid over a data source: a view of the dataset, not a copy. It
// keeps a window of displayed rows (the names around the current row) that follows the
// current row the way a grid's record buffer does: moving inside the window does not
// scroll, moving past an edge scrolls by the amount needed, a located row is shown in the
// middle. Keys, clicks, the wheel and the vertical scroll bar move the dataset's current
// row; the scroll bar shows the current row's position in name order.
//
// Keys: Up/Down and Tab/Shift+Tab one row; Page Up/Page Down one page; Home/End and
// Ctrl+Home/Ctrl+End the first and last row; Ctrl+Up/Ctrl+Page Up the top row shown,
// Ctrl+Down/Ctrl+Page Down the bottom row shown. Insert and Ctrl+Del do nothing.
class TDBLookupListBox : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TDBLookupListBox(QWidget *parent = nullptr);
    ~TDBLookupListBox() override;

    DataSource *dataSource() const { return m_dataSource.source(); }
    void setDataSource(DataSource *source);
    int dataField() const { return m_field; }
    void setDataField(int field);

    // What the grid shows now: the names of the displayed rows, top to bottom, and the
    // index of the current row among them (-1 when none).
    QStringList displayedNames() const;
    int currentRow() const { return m_cur; }
    int visibleRowCount() const;
    int rowHeight() const;
    // The displayed row under a point of the viewport, or -1.
    int rowAt(const QPoint &viewportPos) const;

    // Where the scroll bar says the current row is: its 1-based position in name order
    // and the number of rows, as the grid knows them (counted again when a jump or a
    // reload makes them unknown).
    qint64 position() const { return m_rank; }
    qint64 rowTotal() const { return m_count; }

signals:
    void doubleClicked();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    Table *table() const;
    void onDataChanged(RecordChange change);
    void onStateChanged();
    void notifyCurrentRow();
    void onScrollAction(int action);

    // Reads the displayed rows again around the current row, putting it at index want
    // (kept inside the window and as close as the table's ends allow).
    void readRows(int want);
    // Follows a move of the current row: inside the window nothing scrolls, past an edge
    // the window scrolls by the amount needed. Keeps the position when it can tell.
    void followMove();
    int indexOfId(qint64 id) const;
    // Runs a move of the current row that the grid itself asks for, showing its error in
    // the error box. op returns the position the move led to when it can tell it from the
    // move's result, 0 otherwise.
    void move(const std::function<qint64()> &op);
    void moveBy(qint64 distance);
    void selectRow(int row);
    void moveToPosition(qint64 position);
    void moveFirst();
    void moveLast();
    bool isOpen() const;
    void syncScrollBar();
    void countNow();

    DataLink m_dataSource;
    int m_field = ImagenOnirica;
    QVector<RowName> m_rows; // the displayed rows, top to bottom
    int m_cur = -1;          // index of the current row in m_rows
    bool m_insertRow = false;
    qint64 m_rank = 0;  // 1-based position of the current row in name order
    qint64 m_count = 0; // number of rows
    bool m_rankKnown = false;
    bool m_countKnown = false;
    int m_wheel = 0;     // wheel rotation not yet turned into moves
    QTimer m_countTimer; // counts position and rows once the events at hand are done
    QTimer m_thumbTimer; // moves to where the thumb is dragged, likewise
    qint64 m_thumbTarget = 0;
};
