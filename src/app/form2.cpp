#include "app/form2.h"

#include "app/formabox.h"
#include "app/infotexts.h"
#include "app/infowidgets.h"
#include "platform/accessibility.h"
#include "platform/appearance.h"
#include "platform/application.h"
#include "platform/autodrag.h"
#include "platform/beep.h"
#include "platform/glyphs.h"
#include "platform/modal.h"
#include "platform/placement.h"
#include "platform/windowroster.h"
#include "widgets/controlfactory.h"
#include "widgets/raisedlabel.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>

TForm2::TForm2(QWidget *parent) : QDialog(parent), m_pointer(new PointerMoves(this))
{
    initInfoResources();
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Acerca de..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(makeFont(QStringLiteral("System"), 13));
    placeCentredClient(this, {447, 345});

    Panel2 = new BevelPanel(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(8, 8, 433, 329);
    Panel2->setBevels(BevelPanel::Raised, BevelPanel::Lowered, 2, 1);
    Panel2->setSingleBorder(true);

    makeTitles();
    makeContactMemo();
    makeStatusPanel();
    makeButtons();
    bindPointerRules();

    // The heading names the contact block under it; the status panel is the window's
    // status line.
    RaisedLabel5->setBuddy(Memo6);
    Accessibility::setRole(Panel1, QAccessible::StatusBar);

    for (QWidget *control :
         std::initializer_list<QWidget *>{Panel2, RaisedLabel1, RaisedLabel2, RaisedLabel3,
                                          RaisedLabel4, RaisedLabel5, Memo6, Panel1, botondre333})
        AutoDrag::install(control);

    connect(SALIRACERCA, &QPushButton::clicked, this, guarded([this] { SALIRACERCAClick(); }));
    connect(botondre333, &QPushButton::clicked, this, guarded([this] { botondre333Click(); }));
    auto *activation = new ActivationWatcher(this);
    connect(activation, &ActivationWatcher::activated, this, guarded([this] { FormActivate(); }));
}

void TForm2::makeTitles()
{
    struct Title
    {
        TRaisedLabel *TForm2::*member;
        const char *name;
        QString text;
        QRect bounds;
        int height;
        QColor colour;
        TRaisedLabel::TTextStyle style;
    };
    const Title titles[] = {
        {&TForm2::RaisedLabel1,
         "RaisedLabel1",
         QStringLiteral("NOCTAMBULA  v2.0"),
         {64, 8, 306, 37},
         32,
         Colors::clRed,
         TRaisedLabel::tsRaised},
        {&TForm2::RaisedLabel2,
         "RaisedLabel2",
         QStringLiteral("(Noches de Fortuna)"),
         {80, 48, 281, 32},
         27,
         Colors::clRed,
         TRaisedLabel::tsRaised},
        {&TForm2::RaisedLabel3,
         "RaisedLabel3",
         QStringLiteral("Realizado por:"),
         {16, 96, 168, 29},
         24,
         Colors::clNavy,
         TRaisedLabel::tsRecessed},
        {&TForm2::RaisedLabel4,
         "RaisedLabel4",
         InfoTexts::publisherName(),
         {192, 96, 177, 33},
         28,
         Colors::clNavy,
         TRaisedLabel::tsRaised},
        {&TForm2::RaisedLabel5,
         "RaisedLabel5",
         InfoTexts::contactHeading(),
         {88, 144, 194, 19},
         17,
         Colors::clNavy,
         TRaisedLabel::tsRaised},
    };
    for (const Title &t : titles) {
        this->*t.member =
            makeRaisedLabel(Panel2, t.name, t.text, arialBold(t.height), t.colour, t.style);
        (this->*t.member)->setGeometry(t.bounds);
    }
}

void TForm2::makeContactMemo()
{
    Memo6 = new QTextEdit(Panel2);
    Memo6->setObjectName(QStringLiteral("Memo6"));
    Memo6->setGeometry(88, 168, 257, 89);
    Memo6->setFont(makeFont(QStringLiteral("Arial"), 12));
    Memo6->setAcceptRichText(false);
    Memo6->setReadOnly(true);
    Memo6->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo6->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo6->setPlainText(InfoTexts::aboutMemo().join(QLatin1Char('\n')));
    QTextCursor all(Memo6->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);
    QPalette memoPalette = Memo6->palette();
    memoPalette.setColor(QPalette::Text, Colors::clBlack);
    Memo6->setPalette(memoPalette);
}

void TForm2::makeStatusPanel()
{
    Panel1 = new BevelPanel(Panel2);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(16, 280, 401, 33);
    Panel1->setBevels(BevelPanel::None, BevelPanel::Raised, 1, 1);
    Panel1->setSingleBorder(true, true);
    Panel1->setFont(makeFont(QStringLiteral("Arial"), 12));
    QPalette black = Panel1->palette();
    black.setColor(QPalette::WindowText, Colors::clBlack);
    Panel1->setPalette(black);
}

void TForm2::makeButtons()
{
    botondre333 =
        makeGlyphButton(Panel2, "botondre333",
                        Glyphs::fromResource(QStringLiteral(":/info/glyphs/botondre333.xpm")));
    botondre333->setGeometry(368, 216, 49, 41);
    botondre333->setToolTip(QStringLiteral("Arcania (Distribuidor)"));
    suppressToolTip(botondre333);

    SALIRACERCA = makeGlyphButton(
        this, "SALIRACERCA", Glyphs::fromResource(QStringLiteral(":/info/glyphs/saliracerca.xpm")));
    SALIRACERCA->setGeometry(24, 224, 49, 41);
    SALIRACERCA->setToolTip(QStringLiteral("Volver al Menú"));
    SALIRACERCA->raise();
    setTabOrder(SALIRACERCA, botondre333);
}

// Pointer movement, part by part.
void TForm2::bindPointerRules()
{
    using Rule = AboutPointerRule;
    const auto bind = [this](QWidget *control, const Rule &rule) {
        m_pointer->bind(control, [this, rule] { applyPointerRule(rule); });
        // What the status panel says of a control describes it.
        if (control != this && !rule.status.isEmpty())
            control->setAccessibleDescription(rule.status);
    };
    bind(this, {Rule::Unchanged, InfoTexts::publisherLine()});
    bind(Panel2, {Rule::Hidden, InfoTexts::publisherLine()});
    for (TRaisedLabel *label :
         {RaisedLabel1, RaisedLabel2, RaisedLabel3, RaisedLabel4, RaisedLabel5})
        bind(label, {Rule::Hidden, InfoTexts::telephoneLine()});
    bind(Memo6->viewport(), {Rule::Hidden, InfoTexts::telephoneLine()});
    m_pointer->absorb(Memo6); // its frame and scroll bar
    bind(Panel1, {Rule::Hidden, QString()});
    bind(botondre333, {Rule::Shown, InfoTexts::publisherLine()});
    bind(SALIRACERCA, {Rule::Hidden, InfoTexts::closeHint()});
}

void TForm2::FormActivate()
{
    Panel1->setCaption(QString());
    SALIRACERCA->setFocus(Qt::OtherFocusReason);
}

void TForm2::SALIRACERCAClick()
{
    beep();
    close();
}

void TForm2::botondre333Click()
{
    beep();
}

void TForm2::applyPointerRule(const AboutPointerRule &rule)
{
    auto *box = qobject_cast<TFORMABOX *>(windowRoster().FORMABOX);
    if (box) {
        if (rule.box == AboutPointerRule::Shown)
            box->makeVisible(this);
        else if (rule.box == AboutPointerRule::Hidden)
            box->hide();
    }
    Panel1->setCaption(rule.status);
}

void TForm2::keyPressEvent(QKeyEvent *event)
{
    // The window has no cancel button: Escape does nothing.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
