#pragma once

#include <QByteArray>
#include <QFrame>
#include <QImage>
#include <QPointer>

#include "controls/datasource.h"

// A picture bound to a picture field. The picture is drawn at its own size, centred and
// cut off equally on both sides when larger, never scaled; a thin frame marks the focus.
// Only bitmaps are accepted: a stored value that is not a readable bitmap shows no picture
// and is kept as it is unless the user replaces it.
class TDBImage : public QFrame, public PendingChanges
{
    Q_OBJECT
public:
    explicit TDBImage(QWidget *parent = nullptr);
    ~TDBImage() override;

    DataSource *dataSource() const { return m_dataSource.source(); }
    void setDataSource(DataSource *source);
    int dataField() const { return m_field; }
    void setDataField(int field);

    // The picture shown; null when none.
    QImage picture() const { return m_picture; }
    bool isModified() const { return m_modified; }

    // Clipboard commands on the current row's picture.
    void copyToClipboard();
    void cutToClipboard();
    void pasteFromClipboard();
    // Shows the picture held by the current row.
    void loadPicture();
    // Hands a changed picture to the row. Errors of the dataset propagate.
    void updateRecord();
    // The dataset's request: updateRecord(); on an error the control takes the focus and the
    // error propagates.
    void handOverChanges() override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool event(QEvent *event) override;

private:
    bool beginEdit();
    void setPicture(const QImage &picture, bool modified);

    DataLink m_dataSource{this};
    int m_field = -1;
    QImage m_picture;
    bool m_modified = false;
    bool m_pressed = false;
};
