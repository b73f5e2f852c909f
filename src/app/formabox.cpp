#include "app/formabox.h"

#include "app/infotexts.h"
#include "app/infowidgets.h"
#include "platform/appearance.h"
#include "platform/application.h"
#include "platform/autodrag.h"
#include "platform/beep.h"
#include "platform/modal.h"
#include "platform/placement.h"
#include "platform/windowroster.h"
#include "widgets/controlfactory.h"
#include "widgets/raisedlabel.h"

#include <QKeyEvent>
#include <QWindow>

TFORMABOX::TFORMABOX(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FORMABOX"));
    setWindowTitle(QStringLiteral("Arcania"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(makeFont(QStringLiteral("MS Sans Serif"), 11));
    setFixedSize(282, 280);
    placeCentredClient(this, {282, 280});

    Panel1 = new BevelPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 281, 281);
    Panel1->setBevels(BevelPanel::Raised, BevelPanel::Lowered, 1, 1);
    Panel1->setSingleBorder(true);
    AutoDrag::install(Panel1);

    RaisedLabel1 = makeRaisedLabel(Panel1, "RaisedLabel1", InfoTexts::publisherName(),
                                   arialBold(19), Colors::clBlack);
    RaisedLabel1->setGeometry(0, 8, 281, 22);
    RaisedLabel1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    Comments = new QLabel(InfoTexts::publisherComments(), Panel1);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setTextFormat(Qt::PlainText);
    Comments->setGeometry(16, 32, 241, 80);
    Comments->setFont(makeFont(QStringLiteral("Arial"), 13));
    Comments->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Comments->setWordWrap(true);
    QPalette blue = Comments->palette();
    blue.setColor(QPalette::WindowText, Colors::clBlue);
    Comments->setPalette(blue);

    RaisedLabel2 = makeRaisedLabel(Panel1, "RaisedLabel2", InfoTexts::contactHeading(),
                                   arialBold(17), Colors::clBlack);
    RaisedLabel2->setGeometry(16, 120, 194, 19);

    const QStringList lines = InfoTexts::boxContactLines();
    QLabel **labels[] = {&Label1, &Label2, &Label3, &Label4, &Label5, &Label6, &Label7};
    const int tops[] = {144, 160, 176, 192, 208, 232, 248};
    for (int i = 0; i < 7; ++i) {
        QLabel *label = makePlainLabel(lines.value(i), makeFont(QStringLiteral("Arial"), 13),
                                       Colors::clBlue, Panel1);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->move(16, tops[i]);
        AutoDrag::install(label);
        *labels[i] = label;
    }

    auto *activation = new ActivationWatcher(this);
    connect(activation, &ActivationWatcher::activated, this, guarded([this] { FormActivate(); }));
}

void TFORMABOX::makeVisible(QWidget *window)
{
    if (isVisible())
        return;
    // The box belongs to the window it is shown over, so that window's modal loop does not
    // shut it out; it stays on screen when that window closes.
    if (window) {
        window->winId();
        winId();
        windowHandle()->setTransientParent(window->windowHandle());
    }
    show();
    raise();
    activateWindow();
}

void TFORMABOX::FormActivate()
{
    beep();
}

void TFORMABOX::setVisible(bool visible)
{
    const bool handBack = !visible && isVisible() && isActiveWindow();
    QDialog::setVisible(visible);
    if (!handBack)
        return;
    // Hidden while active, the box hands the activation back: to the About window when it
    // is open, else to the main window.
    const WindowRoster &roster = windowRoster();
    QWidget *next = nullptr;
    if (roster.Form2 && roster.Form2->isVisible())
        next = roster.Form2;
    else if (roster.FORMAPRIMERA && roster.FORMAPRIMERA->isVisible())
        next = roster.FORMAPRIMERA;
    if (next)
        next->activateWindow();
}

void TFORMABOX::keyPressEvent(QKeyEvent *event)
{
    // The box has no buttons: Escape does nothing.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
