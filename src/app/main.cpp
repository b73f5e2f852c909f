#include "app/accessibles.h"
#include "app/commandline.h"
#include "app/firststart.h"
#include "app/fontwarmup.h"
#include "app/roster.h"
#include "dictionary/formaprimera.h"
#include "platform/appearance.h"
#include "platform/application.h"
#include "platform/lastchance.h"
#include "platform/startuptrace.h"

#include <cstdio>
#include <exception>
#include <memory>

#ifndef NOCTAMBU_APP_ID
#define NOCTAMBU_APP_ID "dreambook"
#endif

namespace {

enum ExitCode { Success = 0, WrongUsage = 2 }; // 1: the last-chance report

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

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// Answers --help and --version, before the window system is reached so that they work
// without a display too. Returns the exit code, or -1 to go on.
int answerBeforeStart(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Qt's own options (-platform, -style...) are still among these: only help and version
    // are taken from this reading.
    switch (parseCommandLine(arguments).action) {
    case CommandLine::Action::Help:
        print(stdout, commandLineHelp());
        return Success;
    case CommandLine::Action::Version:
        print(stdout, versionText());
        return Success;
    default:
        return -1;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    StartupTrace::checkpoint("main");
    if (const int code = answerBeforeStart(argc, argv); code >= 0)
        return code;

    FontWarmUp fonts;
    Application app(argc, argv);
    fonts.join();
    StartupTrace::checkpoint("application made");
    QCoreApplication::setApplicationName(QStringLiteral("dreambook"));
    QGuiApplication::setDesktopFileName(QStringLiteral(NOCTAMBU_APP_ID));
    const CommandLine line = parseCommandLine(app.arguments());
    if (line.action == CommandLine::Action::Wrong) {
        print(stderr, QStringLiteral("dreambook: %1\n").arg(line.problem) + commandLineUsage());
        return WrongUsage;
    }
    installFontSubstitutions();
    installAccessibleFactory();

    std::unique_ptr<Roster> roster;
    try {
        prepareDatabaseDir(line);
        roster = std::make_unique<Roster>(line.databaseDir);
        StartupTrace::checkpoint("windows made");
    } catch (const std::exception &error) {
        return reportLastChance(error, codeAddress());
    }
    StartupTrace::watchFirstPaint(roster->FORMAPRIMERA());
    Application::addLargeIconsAfterFirstPaint(roster->FORMAPRIMERA());
    roster->FORMAPRIMERA()->showMaximized();
    StartupTrace::checkpoint("main window shown");
    app.exec();
    roster.reset(); // reverse order of creation, the main window last
    return Success;
}
