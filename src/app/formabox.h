#pragma once

#include <QDialog>

class BevelPanel;
class QLabel;
class TRaisedLabel;

// The publisher box "Arcania": the publisher's speciality and its distributor. Pointer
// movement over the About window makes it visible and hides it again; it is never modal.
class TFORMABOX : public QDialog
{
    Q_OBJECT
public:
    explicit TFORMABOX(QWidget *parent = nullptr);

    BevelPanel *Panel1;
    TRaisedLabel *RaisedLabel1;
    QLabel *Comments;
    TRaisedLabel *RaisedLabel2;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QLabel *Label6;
    QLabel *Label7;

    // Makes the box visible over window (which stays usable beside it while shown
    // modally) and active; does nothing while it is visible already.
    void makeVisible(QWidget *window);

    // Handlers.
    void FormActivate();

    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
