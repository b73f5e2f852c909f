#pragma once

#include <QApplication>

#include <exception>
#include <functional>

// The program's title: the caption of the main window, the intro and the error boxes.
QString applicationTitle();

// The program's icon, a crescent moon over a night sky, at every size it is drawn in up to
// largest pixels (all: 16 to 256).
QIcon programIcon(int largest = 256);

// The application object. It makes Qt's own dialogs speak Spanish (installQtSpanish). An
// error raised by a handler while the message loop runs ends that handler and is shown in the
// application error box; the program goes on.
//
// Handlers run through runHandler() (or guarded()), which catches their errors before they
// reach Qt's code. notify() is only the last net: an error that arrives there has already
// unwound through Qt's frames, which is a fault of the program. It is shown like any other
// and told to the last-net observer, which the tests set to fail the running test.
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);

    // The icon sizes every window carries from the start: those of title bars and task bars.
    static constexpr int smallIconSizes = 64;
    // Gives every window the icon's larger sizes too once window has been drawn for the first
    // time.
    static void addLargeIconsAfterFirstPaint(QWidget *window);

    bool notify(QObject *receiver, QEvent *event) override;

    // Shows the error box for an error that ended a handler.
    static void showHandlerError(const std::exception &error);

    using LastNetObserver = std::function<void(const std::exception &error)>;
    // Sets the observer of errors that reach notify() and returns the one set before.
    static LastNetObserver setLastNetObserver(LastNetObserver observer);
};

// Runs a handler, showing any error it raises in the application error box. Handlers bound
// through signals run this way, so that the error never travels through the window
// library's own code; Application::notify catches the rest.
// Returns false when the handler ended with an error.
bool runHandler(const std::function<void()> &handler);

// A slot that runs handler through runHandler, for connect().
template <typename F> auto guarded(F handler)
{
    return [handler]() {
        runHandler(handler);
    };
}
