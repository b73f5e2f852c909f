#include "form100.h"

#include "appearance.h"
#include "placement.h"

TForm100::TForm100(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form100"));
    setWindowTitle(QStringLiteral("Ayuda sobre la Base de Datos"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setFont(makeFont(QStringLiteral("Arial"), 15, true));
    placeCentred(this, {363, 477}, WindowBorder::Sizeable);
}
