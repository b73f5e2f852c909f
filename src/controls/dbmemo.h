#pragma once

#include "controls/memo.h"

#include <QPointer>

#include "controls/datasource.h"

// A memo bound to one field of a data source's dataset. It shows the field of the current
// row, puts the dataset into edit state by itself on the first key that changes the text
// (automatic editing), puts back the row's value on Esc and hands its text to the row when
// the dataset asks for pending changes. Memo fields (not the name) also hand their text over
// when the editor loses the focus.
class TDBMemo : public TMemo, public PendingChanges
{
    Q_OBJECT
public:
    explicit TDBMemo(QWidget *parent = nullptr);
    ~TDBMemo() override;

    DataSource *dataSource() const { return m_dataSource.source(); }
    void setDataSource(DataSource *source);
    int dataField() const { return m_field; }
    void setDataField(int field);

    // At most this many characters (code points, as the table counts them) can be typed or
    // pasted; 0 for no limit.
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length);

    // Whether Enter breaks the line (and so starts edit state). When off, Enter is left to
    // the window (keyPressed is still emitted), and the memo holds one line: a pasted line
    // break or tab becomes one blank.
    bool wantReturns() const { return m_wantReturns; }
    void setWantReturns(bool on) { m_wantReturns = on; }

    // Whether the text differs from the row's value since the last load or hand-over.
    bool isModified() const { return m_modified; }

    // Hands the text to the row if it was changed. Errors of the dataset propagate.
    void updateRecord();
    // The dataset's request: updateRecord(); on an error the editor takes the focus and the
    // error propagates.
    void handOverChanges() override;
    // Shows the field's value of the current row, dropping what was typed.
    void reset();

signals:
    // Every key press reaches the window first; a handler that consumes the key sets
    // *consumed.
    void keyPressed(int key, bool *consumed);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    bool editing() const;
    bool startsEdit(const QKeyEvent *event) const;
    bool beginEdit();
    void updateReadOnly();
    // Shows the field's value of the current row; from its start always, or only when the
    // value differs from the text shown.
    enum class ShowFromStart { Always, WhenChanged };
    void load(ShowFromStart fromStart);
    void showFromStart();
    // A caret position in the text shown: within it, never inside a surrogate pair.
    int clampedPosition(int position) const;
    QString limited(const QString &text) const;
    bool isMemoField() const;

    DataLink m_dataSource{this};
    int m_field = -1;
    int m_maxLength = 0;
    bool m_wantReturns = true;
    bool m_modified = false;
    bool m_loading = false;
    bool m_failed = false;
};
