#include "platform/application.h"

#include "data/errors.h"
#include "platform/dialogs.h"
#include "platform/glyphs.h"
#include "platform/qtspanish.h"

#include <QIcon>

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

QIcon programIcon()
{
    initIconResources();
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(Glyphs::fromResource(QStringLiteral(":/icon/icon-%1.png").arg(size)));
    return icon;
}

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    setWindowIcon(programIcon()); // every window of the program shows it
    installQtSpanish(this);
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
