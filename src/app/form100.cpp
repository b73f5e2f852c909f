#include "app/form100.h"

#include "app/infotexts.h"
#include "app/infowidgets.h"
#include "platform/appearance.h"
#include "platform/application.h"
#include "platform/autodrag.h"
#include "platform/beep.h"
#include "platform/placement.h"
#include "widgets/controlfactory.h"
#include "widgets/raisedlabel.h"

#include <QKeyEvent>
#include <QPushButton>

TForm100::TForm100(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form100"));
    setWindowTitle(QStringLiteral("Ayuda sobre la Base de Datos"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setFont(makeFont(QStringLiteral("Arial"), 15, true));
    placeCentred(this, {363, 477}, WindowBorder::Sizeable);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, systemColor(SystemColor::ScrollBar));
    windowPalette.setColor(QPalette::WindowText, Colors::clBlack);
    setPalette(windowPalette);
    setAutoFillBackground(true);

    Panel1 = new BevelPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 355, 449);
    Panel1->setColor(Colors::clSilver);
    Panel1->setBevels(BevelPanel::Raised, BevelPanel::Raised, 1, 0);
    Panel1->setSingleBorder(true);
    AutoDrag::install(Panel1);

    const QFont lineFont = makeFont(QStringLiteral("Arial"), 13);
    const QVector<InfoTexts::HelpLine> texts = InfoTexts::helpLines();
    for (const InfoTexts::HelpLine &text : texts) {
        QLabel *line = nullptr;
        if (text.style == InfoTexts::HelpLine::Heading) {
            auto *heading = new TRaisedLabel(text.text, Panel1);
            heading->setFont(makeFont(QStringLiteral("Arial"), 19));
            heading->setFontColor(Colors::clNavy);
            heading->setTransparent(true);
            heading->setTextStyle(TRaisedLabel::tsRaised);
            heading->setAutoSize(true);
            line = heading;
        } else {
            line = makePlainLabel(
                text.text, lineFont,
                text.style == InfoTexts::HelpLine::Blue ? Colors::clBlue : Colors::clNavy, Panel1);
        }
        line->setObjectName(QStringLiteral("Line%1").arg(lines.size() + 1));
        line->move(text.x, text.y);
        if (text.drags)
            AutoDrag::install(line);
        lines.append(line);
    }

    Button1111 = makeButton(Panel1, "Button1111", QStringLiteral("&Cerrar"));
    Button1111->setGeometry(296, 144, 49, 25);
    Button1111->setFont(makeFont(QStringLiteral("MS Sans Serif"), 11));
    QPalette blue = Button1111->palette();
    blue.setColor(QPalette::ButtonText, Colors::clBlue);
    Button1111->setPalette(blue);
    Button1111->setFocus();
    connect(Button1111, &QPushButton::clicked, this, guarded([this] { Button1111Click(); }));
}

void TForm100::Button1111Click()
{
    beep();
    close();
}

void TForm100::keyPressEvent(QKeyEvent *event)
{
    // The window has no cancel button: Escape does nothing.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
