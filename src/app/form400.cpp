#include "form400.h"

#include "appearance.h"
#include "application.h"
#include "placement.h"

#include <QPushButton>

TForm400::TForm400(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form400"));
    setWindowTitle(applicationTitle());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setFont(makeFont(QStringLiteral("MS Sans Serif"), 11));
    placeCentred(this, {648, 488}, WindowBorder::Sizeable);
    setWindowState(windowState() | Qt::WindowMaximized);

    BITBTN1 = new QPushButton(QStringLiteral("&Inicio"), this);
    BITBTN1->setObjectName(QStringLiteral("BITBTN1"));
    BITBTN1->setGeometry(552, 400, 57, 25);
    BITBTN1->setFont(makeFont(QStringLiteral("MS Sans Serif"), 11, true));
    BITBTN1->setFocus();
    connect(BITBTN1, &QPushButton::clicked, this, &TForm400::Button1Click);
}

void TForm400::Button1Click()
{
    close();
}
