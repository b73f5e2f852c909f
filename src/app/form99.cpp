#include "app/form99.h"

#include "platform/appearance.h"
#include "platform/application.h"
#include "platform/autodrag.h"
#include "platform/modal.h"
#include "platform/placement.h"
#include "widgets/controlfactory.h"
#include "widgets/raisedlabel.h"

#include <QKeyEvent>
#include <QPushButton>

TForm99::TForm99(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form99"));
    setWindowTitle(QStringLiteral("-"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(makeFont(QStringLiteral("MS Sans Serif"), 13));
    placeCentred(this, {249, 107}, WindowBorder::Sizeable);

    RaisedLabel1 = new TRaisedLabel(QStringLiteral("¿ Desea Salir del Programa ?"), this);
    RaisedLabel1->setObjectName(QStringLiteral("RaisedLabel1"));
    // Designed 220 wide for the original face; the metric twin sets this bold 16 px line one
    // pixel wider, and a label always breaks what does not fit, so it gets two more pixels.
    RaisedLabel1->setGeometry(13, 8, 222, 19);
    RaisedLabel1->setFont(makeFont(QStringLiteral("Arial"), 16, true));
    RaisedLabel1->setFontColor(Colors::clMaroon);
    RaisedLabel1->setTransparent(true);
    RaisedLabel1->setTextStyle(TRaisedLabel::tsRaised);
    AutoDrag::install(RaisedLabel1);

    Button1 = makeButton(this, "Button1", QStringLiteral("&Salir"));
    Button1->setGeometry(32, 48, 57, 25);
    Button1->setFont(makeFont(QStringLiteral("Arial"), 12));
    Button2 = makeButton(this, "Button2", QStringLiteral("&Volver"));
    Button2->setGeometry(152, 48, 57, 25);
    Button2->setFont(makeFont(QStringLiteral("Arial"), 12));
    setTabOrder(Button1, Button2);
    Button1->setFocus();

    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded([this] { Button2Click(); }));
}

void TForm99::Button1Click()
{
    Termination::request();
}

void TForm99::Button2Click()
{
    close();
}

void TForm99::showEvent(QShowEvent *event)
{
    // "&Salir" is first in tab order, so it has the focus whenever the window opens.
    QDialog::showEvent(event);
    Button1->setFocus(Qt::TabFocusReason);
}

void TForm99::keyPressEvent(QKeyEvent *event)
{
    // Neither button is a cancel button: Escape does nothing here.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
