#include "dblookuplistbox.h"

#include "datasource.h"

#include <QMouseEvent>

TDBLookupListBox::TDBLookupListBox(QWidget *parent) : QAbstractScrollArea(parent) {}

TDBLookupListBox::~TDBLookupListBox() = default;

void TDBLookupListBox::setDataSource(DataSource *source)
{
    m_dataSource = source;
    viewport()->update();
}

void TDBLookupListBox::setDataField(int field)
{
    m_field = field;
    viewport()->update();
}

void TDBLookupListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}
