#pragma once

#include <QDialog>

class QPushButton;

// The intro screen, shown modally and maximised by the main window's activation handler;
// "&Inicio" closes it.
class TForm400 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm400(QWidget *parent = nullptr);

    QPushButton *BITBTN1;

    void Button1Click();
};
