#include "accessibles.h"
#include "appearance.h"
#include "application.h"
#include "formaprimera.h"
#include "lastchance.h"
#include "roster.h"

#include <exception>
#include <memory>

namespace {

// The code address the last-chance report names: where start-up was running.
#if defined(__GNUC__)
__attribute__((noinline)) const void *codeAddress()
{
    return __builtin_return_address(0);
}
#else
const void *codeAddress()
{
    return nullptr;
}
#endif

} // namespace

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dreambook"));
    installFontSubstitutions();
    installAccessibleFactory();

    std::unique_ptr<Roster> roster;
    try {
        roster = std::make_unique<Roster>(databaseDirFromArguments(app.arguments()));
    } catch (const std::exception &error) {
        return reportLastChance(error, codeAddress());
    }
    roster->FORMAPRIMERA()->showMaximized();
    app.exec();
    roster.reset(); // reverse order of creation, the main window last
    return 0;
}
