#include "formaprimera.h"

#include "appearance.h"
#include "application.h"
#include "beep.h"
#include "datasource.h"
#include "dbmemo.h"
#include "modal.h"
#include "placement.h"
#include "table.h"
#include "windowroster.h"

#include <QCloseEvent>
#include <QFrame>
#include <QPushButton>

namespace {

QFrame *makePanel(const char *name, const QRect &bounds, const QColor &colour, QWidget *parent)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setGeometry(bounds);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, colour);
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);
    return panel;
}

} // namespace

TFORMAPRIMERA::TFORMAPRIMERA(const QString &databaseDir, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FORMAPRIMERA"));
    setWindowTitle(applicationTitle());
    setFont(makeFont(QStringLiteral("MS Sans Serif"), 11));
    placeCentred(this, {648, 492}, WindowBorder::Sizeable);

    Table1 = new Table(this);
    Table1->setObjectName(QStringLiteral("Table1"));
    Table1->setDatabaseDir(databaseDir);
    Table1->open();
    DataSource1 = new DataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataSet(Table1);

    Panel1 = makePanel("Panel1", {8, 8, 617, 441}, systemColor(SystemColor::Light3D), this);
    Panel2 = makePanel("Panel2", {448, 8, 153, 105}, Colors::clSilver, Panel1);

    BitBtn2956 = new QPushButton(Panel2);
    BitBtn2956->setObjectName(QStringLiteral("BitBtn2956"));
    BitBtn2956->setGeometry(104, 8, 41, 41);

    memo9 = new TDBMemo(Panel1);
    memo9->setObjectName(QStringLiteral("memo9"));
    memo9->setGeometry(8, 88, 281, 25);

    auto *activation = new ActivationWatcher(this);
    connect(activation, &ActivationWatcher::activated, this, guarded([this]() { FormActivate(); }));
    connect(BitBtn2956, &QPushButton::clicked, this, guarded([this]() { BitBtn2956Click(); }));
}

TFORMAPRIMERA::~TFORMAPRIMERA() = default;

void TFORMAPRIMERA::restoreStandardPrompts() {}
void TFORMAPRIMERA::hideRecordList() {}
void TFORMAPRIMERA::BitBoton9812Click() {}
void TFORMAPRIMERA::BOTONNAIPESClick() {}
void TFORMAPRIMERA::BitBtn7gfClick() {}
void TFORMAPRIMERA::BOTONAYUDAClick() {}
void TFORMAPRIMERA::DBNavigator3Click() {}
void TFORMAPRIMERA::DBNavigator4Click() {}
void TFORMAPRIMERA::DBNavigator5Click() {}
void TFORMAPRIMERA::NUEVOClick() {}
void TFORMAPRIMERA::DBNavigator1Click() {}
void TFORMAPRIMERA::DBNavigator7Click() {}
void TFORMAPRIMERA::DBNavigator6Click() {}
void TFORMAPRIMERA::DBNavigator2Click() {}
void TFORMAPRIMERA::memo9Click() {}
void TFORMAPRIMERA::memo10Click() {}
void TFORMAPRIMERA::Memo11Click() {}
void TFORMAPRIMERA::DBImage1Click() {}
void TFORMAPRIMERA::memo9KeyPress(int key)
{
    Q_UNUSED(key)
}

void TFORMAPRIMERA::FormActivate()
{
    beep();
    showModal(windowRoster().Form400);
    Table1->first();
    memo9->setFocus();
    beep();
}

void TFORMAPRIMERA::BitBtn2956Click()
{
    beep();
    Table1->refresh();
    showModal(windowRoster().Form99);
    beep();
}

void TFORMAPRIMERA::closeEvent(QCloseEvent *event)
{
    // Closing keeps a changed entry: the row is settled as when leaving edit or insert. If
    // it cannot be posted the error box says why and the window stays open with the row
    // still in editing.
    if (!runHandler([this]() { Table1->settle(); })) {
        event->ignore();
        return;
    }
    event->accept();
    Termination::request();
}
