#pragma once

#include <QDialog>
#include <QString>

class BevelPanel;
class PointerMoves;
class QPushButton;
class QTextEdit;
class TRaisedLabel;

// What pointer movement over one part of the About window does: to the publisher box and
// to the status panel.
struct AboutPointerRule
{
    enum Box { Unchanged, Hidden, Shown };
    Box box;
    QString status;
};

// The About window "Acerca de...": the product's and the publisher's names, the publisher's
// contact block, a status panel that explains the parts under the pointer, the publisher's
// emblem (the pointer on it shows the publisher box) and the closing button.
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);

    BevelPanel *Panel2;
    TRaisedLabel *RaisedLabel1;
    TRaisedLabel *RaisedLabel2;
    TRaisedLabel *RaisedLabel3;
    TRaisedLabel *RaisedLabel4;
    TRaisedLabel *RaisedLabel5;
    QTextEdit *Memo6;
    BevelPanel *Panel1; // the status panel
    QPushButton *botondre333;
    QPushButton *SALIRACERCA;

    // Handlers.
    void FormActivate();
    void SALIRACERCAClick();
    void botondre333Click();
    void applyPointerRule(const AboutPointerRule &rule);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The steps of building the window, in the constructor's order.
    void makeTitles();
    void makeContactMemo();
    void makeStatusPanel();
    void makeButtons();
    void bindPointerRules();

    PointerMoves *m_pointer;
};
