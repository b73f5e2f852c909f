#pragma once

#include <QDialog>

// The publisher box "Arcania", shown over the About window and never modal.
class TFORMABOX : public QDialog
{
    Q_OBJECT
public:
    explicit TFORMABOX(QWidget *parent = nullptr);
};
