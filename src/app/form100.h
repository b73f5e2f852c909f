#pragma once

#include <QDialog>
#include <QVector>

class BevelPanel;
class QLabel;
class QPushButton;

// The database help window "Ayuda sobre la Base de Datos": how to enter entries and how to
// store pictures. "&Cerrar" closes it with a beep, the close control without one.
class TForm100 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm100(QWidget *parent = nullptr);

    BevelPanel *Panel1;
    QVector<QLabel *> lines; // the instruction lines, top to bottom, the heading among them
    QPushButton *Button1111;

    // Handlers.
    void Button1111Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
