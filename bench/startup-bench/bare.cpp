// The floor of startup-bench: the least a Qt Widgets program does to put a window on screen,
// shown maximised as the dictionary's main window is.

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.showMaximized();
    return app.exec();
}
