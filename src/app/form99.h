#pragma once

#include <QDialog>

class QPushButton;
class TRaisedLabel;

// The exit confirmation "¿ Desea Salir del Programa ?": "&Salir" ends the program,
// "&Volver" (and the close control) goes back to the main window.
class TForm99 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm99(QWidget *parent = nullptr);

    TRaisedLabel *RaisedLabel1;
    QPushButton *Button1;
    QPushButton *Button2;

    void Button1Click();
    void Button2Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
