#include "platform/application.h"

#include "data/errors.h"
#include "platform/dialogs.h"
#include "platform/glyphs.h"
#include "platform/qtspanish.h"

#include <QEvent>
#include <QIcon>
#include <QWidget>

#include <utility>

static void initIconResources()
{
    Q_INIT_RESOURCE(programicon);
}

QString applicationTitle()
{
    return QStringLiteral("NOCTAMBULA v2.0 (Noches de Fortuna)");
}

namespace {

Application::LastNetObserver &lastNetObserver()
{
    static Application::LastNetObserver observer;
    return observer;
}

} // namespace

QIcon programIcon(int largest)
{
    initIconResources();
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        if (size <= largest)
            icon.addPixmap(Glyphs::fromResource(QStringLiteral(":/icon/icon-%1.png").arg(size)));
    }
    return icon;
}

namespace {

// Gives every window the program's icon at all its sizes once the window it watches has been
// drawn for the first time.
class LargeIconsAfterFirstPaint : public QObject
{
public:
    explicit LargeIconsAfterFirstPaint(QWidget *window) : QObject(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(
                this,
                [this] {
                    QApplication::setWindowIcon(programIcon());
                    deleteLater();
                },
                Qt::QueuedConnection);
        }
        return false;
    }
};

} // namespace

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    // Every window of the program shows the icon. The sizes title bars and task bars draw come
    // first; the large ones, a quarter of a megabyte to decode and hand to the window system,
    // would hold back the first window by some milliseconds (addLargeIconsAfterFirstPaint).
    setWindowIcon(programIcon(smallIconSizes));
    installQtSpanish(this);
}

void Application::addLargeIconsAfterFirstPaint(QWidget *window)
{
    new LargeIconsAfterFirstPaint(window);
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        if (lastNetObserver())
            lastNetObserver()(error);
        showHandlerError(error);
    }
    return false;
}

Application::LastNetObserver Application::setLastNetObserver(LastNetObserver observer)
{
    std::swap(observer, lastNetObserver());
    return observer;
}

void Application::showHandlerError(const std::exception &error)
{
    // The program's own errors carry their message as text; anything else from the
    // standard library only has what().
    const auto *own = dynamic_cast<const Error *>(&error);
    Dialogs::errorBox(own ? own->message() : QString::fromLocal8Bit(error.what()));
}

bool runHandler(const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const std::exception &error) {
        Application::showHandlerError(error);
    }
    return false;
}
