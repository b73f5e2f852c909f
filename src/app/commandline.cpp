#include "app/commandline.h"

#include "data/storage.h"
#include "platform/application.h"

#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>

#include <vector>

#ifndef NOCTAMBU_VERSION
#define NOCTAMBU_VERSION "0"
#endif

namespace {

const QString DatabaseDirOption = QStringLiteral("database-dir");

struct OptionText
{
    QStringList names;
    QString valueName; // empty for an option without a value
    QString description;
};

const std::vector<OptionText> &optionTexts()
{
    static const std::vector<OptionText> texts{
        {{QStringLiteral("h"), QStringLiteral("help")}, {}, QStringLiteral("Muestra esta ayuda.")},
        {{QStringLiteral("v"), QStringLiteral("version")},
         {},
         QStringLiteral("Muestra la versión del programa.")},
        {{DatabaseDirOption},
         QStringLiteral("carpeta"),
         QStringLiteral("Abre la tabla de sueños de esta carpeta.")},
    };
    return texts;
}

QString dashed(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// "-h, --help" or "--database-dir <carpeta>".
QString optionSynopsis(const OptionText &text, const QString &separator)
{
    QStringList names;
    for (const QString &name : text.names)
        names << dashed(name);
    QString synopsis = names.join(separator);
    if (!text.valueName.isEmpty())
        synopsis += QStringLiteral(" <%1>").arg(text.valueName);
    return synopsis;
}

// Says what is wrong with a line that the parser refused: an unknown option (as the user
// wrote it), else the directory missing after --database-dir. Help and version take no
// value, but asked for, they are answered anyway.
QString parseProblem(const QCommandLineParser &parser, const QStringList &arguments)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty())
        return QStringLiteral("falta la carpeta tras %1").arg(dashed(DatabaseDirOption));
    QString written = dashed(unknown.first());
    for (const QString &argument : arguments.mid(1)) {
        const QString option = argument.section(QLatin1Char('='), 0, 0);
        if (option == QLatin1Char('-') + unknown.first() ||
            option == QStringLiteral("--") + unknown.first()) {
            written = option;
            break;
        }
    }
    return QStringLiteral("opción desconocida: %1").arg(written);
}

} // namespace

QString defaultDatabaseDir()
{
#ifdef Q_OS_WIN
    return QStringLiteral("c:/noctambu");
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/noctambu");
#endif
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Single-dash words are options of their own, as Qt's own -platform and -style are.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionText &text : optionTexts())
        parser.addOption(QCommandLineOption(text.names, text.description, text.valueName));
    const bool parsed = parser.parse(arguments);

    CommandLine line;
    QString named = parser.value(DatabaseDirOption);
    if (named.isEmpty())
        named = qEnvironmentVariable("NOCTAMBU_DIR");
    line.databaseDirNamed = !named.isEmpty();
    line.databaseDir = line.databaseDirNamed ? named : defaultDatabaseDir();

    if (parser.isSet(QStringLiteral("help"))) {
        line.action = CommandLine::Action::Help;
    } else if (parser.isSet(QStringLiteral("version"))) {
        line.action = CommandLine::Action::Version;
    } else if (!parsed) {
        line.action = CommandLine::Action::Wrong;
        line.problem = parseProblem(parser, arguments);
    } else if (parser.isSet(DatabaseDirOption) && parser.value(DatabaseDirOption).isEmpty()) {
        line.action = CommandLine::Action::Wrong;
        line.problem = QStringLiteral("falta la carpeta tras %1").arg(dashed(DatabaseDirOption));
    } else if (!parser.positionalArguments().isEmpty()) {
        line.action = CommandLine::Action::Wrong;
        line.problem =
            QStringLiteral("argumento inesperado: %1").arg(parser.positionalArguments().first());
    }
    return line;
}

QString commandLineUsage()
{
    QString usage = QStringLiteral("Uso: dreambook");
    for (const OptionText &text : optionTexts())
        usage += QStringLiteral(" [%1]").arg(optionSynopsis(text, QStringLiteral(" | ")));
    return usage + QLatin1Char('\n');
}

QString commandLineHelp()
{
    QString help = commandLineUsage() + QStringLiteral("\n%1: el diccionario de sueños.\n\n"
                                                       "Opciones:\n")
                                            .arg(applicationTitle());
    for (const OptionText &text : optionTexts()) {
        help += QStringLiteral("  %1  %2\n")
                    .arg(optionSynopsis(text, QStringLiteral(", ")), -24)
                    .arg(text.description);
    }
    return help + QStringLiteral("\nSin --database-dir, la carpeta es la de la variable de entorno "
                                 "NOCTAMBU_DIR,\ny sin ella, %1.\nLa tabla de sueños es el "
                                 "archivo %2 de esa carpeta.\n")
                      .arg(QDir::toNativeSeparators(defaultDatabaseDir()), Storage::fileName());
}

QString versionText()
{
    return QStringLiteral("dreambook " NOCTAMBU_VERSION "\n");
}

QString databaseDirFromArguments(const QStringList &arguments)
{
    return parseCommandLine(arguments).databaseDir;
}
