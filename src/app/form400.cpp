#include "app/form400.h"

#include "app/infowidgets.h"
#include "platform/appearance.h"
#include "platform/application.h"
#include "platform/autodrag.h"
#include "platform/glyphs.h"
#include "platform/modal.h"
#include "platform/placement.h"
#include "widgets/controlfactory.h"
#include "widgets/raisedlabel.h"

#include <QKeyEvent>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

namespace IntroSchemes {

IntroScheme a()
{
    return {Colors::clRed, Colors::clBlue, Colors::clBlue};
}

IntroScheme b()
{
    return {Colors::clBlue, Colors::clRed, Colors::clNavy};
}

} // namespace IntroSchemes

namespace {

// Gives a picture control its bitmap when the control is first shown or drawn (a window can be
// drawn into a picture unshown), so that the bitmaps are not decoded while the program starts.
// Polishing would be too early: Qt has every new widget polished at the first turn of the
// event loop, before the main window is drawn.
class PictureLoader : public QObject
{
public:
    PictureLoader(QLabel *picture, const QString &resource) : QObject(picture), m_resource(resource)
    {
        picture->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            static_cast<QLabel *>(watched)->setPixmap(Glyphs::fromResource(m_resource));
        }
        return false;
    }

private:
    QString m_resource;
};

// A picture control: the bitmap centred in the control, cut at its edges, never scaled.
QLabel *makePicture(const char *name, const QString &resource, QWidget *parent)
{
    auto *picture = new QLabel(parent);
    picture->setObjectName(QLatin1String(name));
    picture->setGeometry(8, 8, 601, 420);
    picture->setAlignment(Qt::AlignCenter);
    new PictureLoader(picture, resource);
    return picture;
}

} // namespace

TForm400::TForm400(QWidget *parent) : QDialog(parent), m_pointer(new PointerMoves(this))
{
    initInfoResources();
    setObjectName(QStringLiteral("Form400"));
    setWindowTitle(applicationTitle());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setFont(makeFont(QStringLiteral("MS Sans Serif"), 11));
    placeCentred(this, {648, 488}, WindowBorder::Sizeable);
    // Maximised when first shown (setVisible): setting the state now would make the window
    // on the display while the program starts.
    setAutoFillBackground(true);
    setColor(Colors::clBlue);

    Panel1 = new BevelPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 617, 436);
    Panel1->setColor(Colors::clBlack);
    Panel1->setBevels(BevelPanel::Raised, BevelPanel::Lowered, 3, 1);

    Image3 = makePicture("Image3", QStringLiteral(":/info/intro/noche.bmp"), Panel1);
    Image1 = makePicture("Image1", QStringLiteral(":/info/intro/sueno.bmp"), Panel1);
    Label1 = makeRaisedLabel(Panel1, "Label1", QStringLiteral("NOCTAMBULA"), arialBold(60),
                             Colors::clRed);
    Label1->setGeometry(88, 8, 433, 70);
    Label2 = makeRaisedLabel(Panel1, "Label2", QStringLiteral("(NOCHES DE FORTUNA)"), arialBold(32),
                             Colors::clBlue);
    Label2->setGeometry(112, 72, 394, 37);

    BITBTN1 = makeButton(this, "BITBTN1", QStringLiteral("&Inicio"));
    BITBTN1->setGeometry(552, 400, 57, 25);
    BITBTN1->setFont(makeFont(QStringLiteral("MS Sans Serif"), 11, true));
    QPalette buttonPalette = BITBTN1->palette();
    buttonPalette.setColor(QPalette::ButtonText, Colors::clRed);
    BITBTN1->setPalette(buttonPalette);
    BITBTN1->setToolTip(QStringLiteral("Haga clic aquí para comenzar"));
    suppressToolTip(BITBTN1);
    BITBTN1->raise();
    BITBTN1->setFocus();

    m_pointer->bind(BITBTN1, [this] { BITBTN1MouseMove(); });
    m_pointer->bind(Image1, [this] { Image1MouseMove(); });
    m_pointer->bind(Image3, [this] { Image3MouseMove(); });
    AutoDrag::install(Image3);
    AutoDrag::install(Label1);
    AutoDrag::install(Label2);

    connect(BITBTN1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
    auto *activation = new ActivationWatcher(this);
    connect(activation, &ActivationWatcher::activated, this, guarded([this] { FormActivate(); }));

    // Both timers run from creation to shutdown, shown or not.
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setTimerType(Qt::PreciseTimer); // the schemes' lengths are exact multiples of 100 ms
    Timer2->setInterval(2000);
    connect(Timer2, &QTimer::timeout, this, guarded([this] { Timer2Timer(); }));
    Timer2->start();
    Timer3 = new QTimer(this);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setTimerType(Qt::PreciseTimer);
    Timer3->setInterval(2100);
    connect(Timer3, &QTimer::timeout, this, guarded([this] { Timer3Timer(); }));
    Timer3->start();
}

QColor TForm400::color() const
{
    return palette().color(QPalette::Window);
}

void TForm400::setColor(const QColor &color)
{
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, color);
    setPalette(windowPalette);
}

void TForm400::applyScheme(const IntroScheme &scheme)
{
    Label1->setFontColor(scheme.title);
    Label2->setFontColor(scheme.subtitle);
    setColor(scheme.window);
    Label1->setTextStyle(TRaisedLabel::tsRaised);
    Label2->setTextStyle(TRaisedLabel::tsRaised);
}

void TForm400::FormActivate()
{
    Image3->show();
    Image1->hide();
    setColor(Colors::clNavy);
}

void TForm400::Button1Click()
{
    close();
}

void TForm400::BITBTN1MouseMove()
{
    Image1->show();
    Image3->hide();
}

void TForm400::Image1MouseMove()
{
    Image3->show();
    Image1->hide();
}

void TForm400::Image3MouseMove()
{
    Image3->show();
    Image1->hide();
}

void TForm400::Timer2Timer()
{
    applyScheme(IntroSchemes::a());
}

void TForm400::Timer3Timer()
{
    applyScheme(IntroSchemes::b());
}

void TForm400::setVisible(bool visible)
{
    if (visible && !m_maximised) {
        m_maximised = true;
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    QDialog::setVisible(visible);
}

void TForm400::keyPressEvent(QKeyEvent *event)
{
    // The window has no cancel button: Escape does nothing.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
