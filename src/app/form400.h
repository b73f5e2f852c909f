#pragma once

#include <QColor>
#include <QDialog>

class BevelPanel;
class PointerMoves;
class QLabel;
class QPushButton;
class QTimer;
class TRaisedLabel;

// A colour scheme of the intro: the title's and the subtitle's font colours and the
// window's colour.
struct IntroScheme
{
    QColor title;
    QColor subtitle;
    QColor window;
};

namespace IntroSchemes {
IntroScheme a(); // red title, blue subtitle, blue window
IntroScheme b(); // blue title, red subtitle, navy window
} // namespace IntroSchemes

// The intro screen, shown modally and maximised by the main window's activation handler:
// two pictures under the product title, colours that change on two timers, and "&Inicio",
// which closes it.
class TForm400 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm400(QWidget *parent = nullptr);

    BevelPanel *Panel1;
    QLabel *Image3; // the first picture
    QLabel *Image1; // the second picture, above the first
    TRaisedLabel *Label1;
    TRaisedLabel *Label2;
    QPushButton *BITBTN1;
    QTimer *Timer2;
    QTimer *Timer3;

    QColor color() const;
    void setColor(const QColor &color);
    void applyScheme(const IntroScheme &scheme);

    // Handlers.
    void FormActivate();
    void Button1Click();
    void BITBTN1MouseMove();
    void Image1MouseMove();
    void Image3MouseMove();
    void Timer2Timer();
    void Timer3Timer();

    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    PointerMoves *m_pointer;
    bool m_maximised = false;
};
