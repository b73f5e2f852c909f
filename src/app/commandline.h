#pragma once

#include <QString>
#include <QStringList>

// What the program's command line asks for: start on a database directory, print the help
// or the version, or nothing, because the line is wrong.
struct CommandLine
{
    enum class Action { Start, Help, Version, Wrong };

    Action action = Action::Start;
    // --database-dir DIR, else $NOCTAMBU_DIR, else defaultDatabaseDir().
    QString databaseDir;
    // Whether the directory was named by the option or the variable rather than by default.
    bool databaseDirNamed = false;
    // For Wrong: one line saying what is wrong, without the program's name.
    QString problem;
};

// Reads the arguments, the program's own name first, and the environment. Asked for help
// or the version, the program answers that whatever else the line holds.
CommandLine parseCommandLine(const QStringList &arguments);

// The line that sums up the program's options, shown after a wrong command line.
QString commandLineUsage();
// The usage line and what each option does, for --help.
QString commandLineHelp();
// "dreambook 2.0", for --version.
QString versionText();

// The database directory the arguments and the environment name.
QString databaseDirFromArguments(const QStringList &arguments);
// Where the dream table lives when nothing names a directory: c:\noctambu on Windows, the
// "noctambu" folder of the user's data location elsewhere ($XDG_DATA_HOME/noctambu).
QString defaultDatabaseDir();
