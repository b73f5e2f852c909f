#pragma once

#include <QDialog>

// The database help window "Ayuda sobre la Base de Datos".
class TForm100 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm100(QWidget *parent = nullptr);
};
