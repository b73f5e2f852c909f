#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>

// The program-wide references to the windows of the roster, each under its instance name.
// The application's roster fills them as it creates the windows and clears them as it
// destroys them; windows reach one another only through these.
struct WindowRoster
{
    QPointer<QWidget> FORMAPRIMERA;
    QPointer<QDialog> Form99;
    QPointer<QDialog> Form2;
    QPointer<QDialog> FORMABOX;
    QPointer<QDialog> Form100;
    QPointer<QDialog> Form400;
};

WindowRoster &windowRoster();
