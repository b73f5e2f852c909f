#include "formabox.h"

#include "appearance.h"
#include "placement.h"

TFORMABOX::TFORMABOX(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FORMABOX"));
    setWindowTitle(QStringLiteral("Arcania"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(makeFont(QStringLiteral("MS Sans Serif"), 11));
    setFixedSize(282, 280);
    placeCentredClient(this, {282, 280}, WindowBorder::Dialog);
}
