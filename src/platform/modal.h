#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class QDialog;

// Shows a window modally: the caller waits in a nested message loop until the window
// closes, and the program's other windows take no input meanwhile. Closing hands the focus
// record back to the window that was focused before, so returning from a modal window
// does not run that window's activation handler again. Returns the dialog's result; once
// termination is requested, returns QDialog::Rejected without showing anything.
int showModal(QDialog *dialog);

// True while showModal is running for dialog.
bool isShownModally(const QDialog *dialog);

// The activation rule. A window's activation handler runs when the window becomes the
// program's active window while another of the program's windows, or none, had the focus
// before. The focus record is the window of the program that last became active; it is not
// cleared when another program takes the focus, and a modal window hands it back to its
// opener when it closes while holding it (a window it let through keeps the record). After
// that return, the activations the window system makes on its own count for nothing, however
// it moves the activation about, until the user presses a key or a button, turns the wheel or
// moves the pointer, or the program shows a window; the window active then counts as
// activated if it is not the opener.
class ActivationWatcher : public QObject
{
    Q_OBJECT
public:
    // Watches window (a top-level widget) and becomes its child.
    explicit ActivationWatcher(QWidget *window);

    // The watcher of window, or nullptr.
    static ActivationWatcher *of(const QWidget *window);
    // The window that holds the focus record now.
    static QWidget *focusRecord();

signals:
    // Emitted from the event loop, after the activation event has been handled, so that
    // the handler may show modal windows. An error of a connected handler goes to the
    // application error box when the handler is bound with guarded().
    void activated();

private:
    friend class ActivationTracker;
    void schedule();
    QPointer<QWidget> m_window;
};

// Termination of the program: every modal loop that is running ends with the cancel
// result, then the main message loop ends.
namespace Termination {
void request();
bool requested();
// Tests replace the final step (ending the main loop) and clear the request again.
void setQuitFunction(std::function<void()> quit);
void reset();
} // namespace Termination
