#include "form2.h"

#include "appearance.h"
#include "placement.h"

TForm2::TForm2(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Acerca de..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(makeFont(QStringLiteral("System"), 13));
    placeCentredClient(this, {447, 345}, WindowBorder::Sizeable);
}
