#pragma once

#include <QAbstractScrollArea>
#include <QPointer>

class DataSource;

// A read-only, one-column grid over a data source: it shows the names of the rows around the
// current row and moves the dataset's current row with the keys, clicks and scroll bar.
class TDBLookupListBox : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TDBLookupListBox(QWidget *parent = nullptr);
    ~TDBLookupListBox() override;

    DataSource *dataSource() const { return m_dataSource; }
    void setDataSource(DataSource *source);
    int dataField() const { return m_field; }
    void setDataField(int field);

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QPointer<DataSource> m_dataSource;
    int m_field = 0;
};
