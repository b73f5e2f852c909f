#pragma once

#include <QDialog>

// The About window "Acerca de...".
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
};
