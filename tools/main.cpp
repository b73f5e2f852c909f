// dreambook-db: makes, fills, exports, checks, backs up and restores the dream table of a
// database directory, the things the program itself deliberately does not do, and finds
// entries by the words of their texts or by number.

#include "data/errors.h"
#include "data/storage.h"
#include "data/tablefile.h"
#include "data/textsearch.h"
#include "dictio/dictionaryio.h"
#include "progressline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>

#ifndef NOCTAMBU_VERSION
#define NOCTAMBU_VERSION "0"
#endif

namespace {

enum ExitCode { Success = 0, Failure = 1, UsageError = 2 };

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void out(const QString &text)
{
    print(stdout, text);
}

void err(const QString &text)
{
    print(stderr, text);
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The arguments of one command, as its parser read them.
struct Arguments
{
    QStringList positional;
    QStringList flags;              // options without a value that were given, e.g. "sample"
    QHash<QString, QString> values; // options with a value, e.g. "sample-dir"
};

struct Option
{
    QString name;
    QString valueName; // empty for an option without a value
    QString description;
};

struct Command
{
    QString name;
    QStringList arguments; // what the positional arguments are, e.g. "CARPETA"
    QVector<Option> options;
    QString help;
    std::function<int(const Arguments &)> run;
    QString more = {}; // further positional arguments it takes, e.g. "[PALABRAS...]"
};

QString programName()
{
    return QStringLiteral("dreambook-db");
}

QString dashed(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

QString unknownOption(const QCommandLineParser &parser)
{
    return QStringLiteral("opción desconocida: %1")
        .arg(dashed(parser.unknownOptionNames().value(0)));
}

QString optionText(const Option &option)
{
    return option.valueName.isEmpty()
               ? QStringLiteral("--%1").arg(option.name)
               : QStringLiteral("--%1 %2").arg(option.name, option.valueName);
}

// "create CARPETA [--sample] [--sample-dir MUESTRA]"
QString synopsis(const Command &command)
{
    QString text = command.name + QLatin1Char(' ') + command.arguments.join(QLatin1Char(' '));
    if (!command.more.isEmpty())
        text += QLatin1Char(' ') + command.more;
    for (const Option &option : command.options)
        text += QStringLiteral(" [%1]").arg(optionText(option));
    return text;
}

const QCommandLineOption &helpOption()
{
    static const QCommandLineOption option({QStringLiteral("h"), QStringLiteral("help")},
                                           QStringLiteral("Muestra esta ayuda."));
    return option;
}

// One line saying what is wrong, then the usage; exit code 2.
int usageError(const QString &where, const QString &problem, const QString &usage)
{
    err(QStringLiteral("%1: %2").arg(where, problem));
    err(QStringLiteral("Uso: %1 %2").arg(programName(), usage));
    return UsageError;
}

// The text's paragraphs filled into lines that end by column 79 when each stands at column
// indent: the first where the caller puts it, the others after indent blanks.
QString wrapped(const QString &text, int indent = 0)
{
    constexpr int Width = 79;
    QStringList lines;
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString &word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (!line.isEmpty() && line.size() + 1 + word.size() > Width - indent) {
                lines << line;
                line.clear();
            }
            line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        }
        lines << line;
    }
    return lines.join(QLatin1Char('\n') + QString(indent, QLatin1Char(' ')));
}

QString optionLine(const QString &names, const QString &description)
{
    constexpr int Column = 26;
    return QStringLiteral("  %1%2\n").arg(names, -(Column - 2)).arg(wrapped(description, Column));
}

QString commandHelp(const Command &command)
{
    QString text = QStringLiteral("Uso: %1 %2\n\n%3\n\nOpciones:\n")
                       .arg(programName(), synopsis(command), wrapped(command.help));
    for (const Option &option : command.options)
        text += optionLine(optionText(option), option.description);
    return text + optionLine(QStringLiteral("-h, --help"), helpOption().description());
}

// Why the parser refused a command's options: one it does not know, a value missing after
// an option that takes one, or a value given to one that takes none.
QString optionProblem(const QCommandLineParser &parser, const Command &command,
                      const QStringList &args)
{
    if (!parser.unknownOptionNames().isEmpty())
        return unknownOption(parser);
    for (const Option &option : command.options) {
        const QString written = QStringLiteral("--") + option.name;
        if (!option.valueName.isEmpty() && args.last() == written)
            return QStringLiteral("falta el valor de %1").arg(written);
        const bool valueGiven = std::any_of(args.cbegin(), args.cend(), [&](const QString &a) {
            return a.startsWith(written + QLatin1Char('='));
        });
        if (option.valueName.isEmpty() && valueGiven)
            return QStringLiteral("la opción %1 no lleva valor").arg(written);
    }
    return parser.errorText();
}

// Reads a command's arguments; returns -1 to go on, or the exit code.
int parse(const Command &command, const QStringList &args, Arguments *parsed)
{
    QCommandLineParser parser;
    parser.addOption(helpOption());
    for (const Option &option : command.options)
        parser.addOption(QCommandLineOption(option.name, option.description, option.valueName));
    const bool ok = parser.parse(QStringList{programName()} + args);
    if (parser.isSet(helpOption())) {
        out(commandHelp(command));
        return Success;
    }
    const QString where = programName() + QLatin1Char(' ') + command.name;
    if (!ok)
        return usageError(where, optionProblem(parser, command, args), synopsis(command));
    parsed->positional = parser.positionalArguments();
    const int given = int(parsed->positional.size());
    if (given < command.arguments.size())
        return usageError(where,
                          QStringLiteral("falta el argumento %1").arg(command.arguments.at(given)),
                          synopsis(command));
    if (given > command.arguments.size() && command.more.isEmpty())
        return usageError(where,
                          QStringLiteral("argumento inesperado: %1")
                              .arg(parsed->positional.at(command.arguments.size())),
                          synopsis(command));
    if (parsed->positional.contains(QString()))
        return usageError(where, QStringLiteral("un argumento está vacío"), synopsis(command));
    for (const Option &option : command.options) {
        if (!parser.isSet(option.name))
            continue;
        if (option.valueName.isEmpty())
            parsed->flags << option.name;
        else
            parsed->values.insert(option.name, parser.value(option.name));
    }
    return -1;
}

int runCreate(const Arguments &args)
{
    const QString dir = args.positional[0];
    const bool sample = args.flags.contains(QStringLiteral("sample")) ||
                        args.values.contains(QStringLiteral("sample-dir"));
    const QString path = Storage::tablePath(dir);
    if (QFileInfo::exists(path)) {
        err(QStringLiteral("%1 ya contiene una tabla de sueños (%2); no se ha cambiado nada")
                .arg(shown(dir), shown(path)));
        return Failure;
    }
    QString csvPath;
    if (sample) {
        const QString sampleDir = args.values.value(QStringLiteral("sample-dir"));
        csvPath = sampleDir.isEmpty() ? DictionaryIO::sampleCsv()
                                      : QDir(sampleDir).filePath(DictionaryIO::csvFileName());
        if (!QFileInfo(csvPath).isFile()) {
            err(QStringLiteral("Falta el diccionario de muestra %1").arg(shown(csvPath)));
            return Failure;
        }
    }
    try {
        DictionaryIO::ImportReport report;
        {
            ProgressLine progress(QStringLiteral("entradas de muestra guardadas"));
            report =
                DictionaryIO::createTable(dir, csvPath, [&](qint64 done) { progress.show(done); });
        }
        if (!report.problems.isEmpty()) {
            for (const QString &p : report.problems)
                err(p);
            err(QStringLiteral("El diccionario de muestra tiene errores; no se ha creado nada"));
            return Failure;
        }
        out(sample ? QStringLiteral("Creada la tabla de sueños %1 con el diccionario de muestra "
                                    "(%2 entradas)")
                         .arg(shown(path))
                         .arg(report.stored)
                   : QStringLiteral("Creada la tabla de sueños vacía %1").arg(shown(path)));
    } catch (const Error &e) {
        err(e.message());
        err(QStringLiteral("No se ha creado nada"));
        return Failure;
    }
    return Success;
}

int runImport(const Arguments &args)
{
    const QString dir = args.positional[0];
    const QString csvPath = args.positional[1];
    try {
        Storage storage;
        storage.open(dir);
        if (storage.isReadOnly()) {
            err(QStringLiteral("La tabla de sueños %1 es de solo lectura; no se ha importado nada")
                    .arg(shown(storage.path())));
            return Failure;
        }
        DictionaryIO::ImportReport report;
        {
            ProgressLine progress(QStringLiteral("entradas importadas"));
            report = DictionaryIO::importFile(storage, csvPath, shown(csvPath),
                                              [&](qint64 done) { progress.show(done); });
        }
        for (const QString &p : report.problems)
            err(p);
        if (!report.problems.isEmpty()) {
            err(QStringLiteral("No se ha importado nada"));
            return Failure;
        }
        out(QStringLiteral("Importadas %1 entradas en %2")
                .arg(report.stored)
                .arg(shown(storage.path())));
    } catch (const Error &e) {
        err(e.message());
        err(QStringLiteral("No se ha importado nada"));
        return Failure;
    }
    return Success;
}

int runExport(const Arguments &args)
{
    const QString dir = args.positional[0];
    const QString outDir = args.positional[1];
    try {
        Storage storage;
        storage.open(dir, Storage::Access::Snapshot);
        QStringList warnings;
        int count = 0;
        {
            ProgressLine progress(QStringLiteral("entradas exportadas"));
            count = DictionaryIO::exportTo(storage, outDir, &warnings,
                                           [&](qint64 done) { progress.show(done); });
        }
        for (const QString &w : std::as_const(warnings))
            err(QStringLiteral("aviso: ") + w);
        out(QStringLiteral("Exportadas %1 entradas a %2")
                .arg(count)
                .arg(shown(QDir(outDir).filePath(DictionaryIO::csvFileName()))));
    } catch (const Error &e) {
        err(e.message());
        return Failure;
    }
    return Success;
}

int runCheck(const Arguments &args)
{
    const QString dir = args.positional[0];
    try {
        Storage storage;
        storage.open(dir, Storage::Access::Snapshot);
        QStringList problems;
        {
            ProgressLine progress(QStringLiteral("entradas comprobadas"));
            problems = storage.check([&](qint64 done) { progress.show(done); });
        }
        const QString path = shown(storage.path());
        for (const QString &p : problems)
            out(QStringLiteral("%1: %2").arg(path, p));
        if (!problems.isEmpty()) {
            out(QStringLiteral("%1: problemas encontrados: %2").arg(path).arg(problems.size()));
            return Failure;
        }
        out(QStringLiteral("%1: sana, %2 entradas").arg(path).arg(storage.rowCount()));
    } catch (const Error &e) {
        err(e.message());
        return Failure;
    }
    return Success;
}

// Runs a whole-file operation and reports its outcome.
int runFileOperation(const std::function<void()> &operation, const QString &done)
{
    try {
        operation();
    } catch (const Error &e) {
        err(e.message());
        return Failure;
    }
    out(done);
    return Success;
}

int runBackup(const Arguments &args)
{
    const QString dir = args.positional[0];
    const QString file = args.positional[1];
    return runFileOperation([&] { TableFile::backup(dir, file); },
                            QStringLiteral("Copiada la tabla de sueños %1 en %2")
                                .arg(shown(Storage::tablePath(dir)), shown(file)));
}

int runRestore(const Arguments &args)
{
    const QString dir = args.positional[0];
    const QString file = args.positional[1];
    return runFileOperation([&] { TableFile::restore(dir, file); },
                            QStringLiteral("Restaurada la tabla de sueños %1 desde %2")
                                .arg(shown(Storage::tablePath(dir)), shown(file)));
}

// A line of output: the text on one line.
QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return text;
}

// Makes the index of words of a table made before it existed, once, with the progress line.
// Answers false when this user cannot write the table: the search then reads the rows.
bool buildIndex(const QString &dir)
{
    Storage writer;
    writer.open(dir);
    if (writer.isReadOnly())
        return false;
    ProgressLine progress(QStringLiteral("entradas en el índice de búsqueda (solo esta vez)"));
    writer.buildTextIndex([&](qint64 done, qint64) {
        progress.show(done);
        return true;
    });
    return true;
}

const Command *findCommand(const QString &name);

int findUsage(const QString &problem)
{
    return usageError(programName() + QStringLiteral(" find"), problem,
                      synopsis(*findCommand(QStringLiteral("find"))));
}

bool isNumber(const QString &text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

// Exit codes as grep's: 1 says only that nothing was found, so an error is a 2.
int runFind(const Arguments &args)
{
    const QString dir = args.positional[0];
    QStringList words = args.positional.mid(1);
    if (args.values.contains(QStringLiteral("number"))) {
        const QString number = args.values.value(QStringLiteral("number"));
        if (!words.isEmpty())
            return findUsage(QStringLiteral("o palabras o --number, no ambas cosas"));
        if (!isNumber(number))
            return findUsage(QStringLiteral("--number lleva un número: %1").arg(number));
        words << number;
    } else if (words.isEmpty()) {
        return findUsage(QStringLiteral("falta el argumento PALABRAS"));
    }
    try {
        Storage storage;
        storage.open(dir, Storage::Access::ReadOnly);
        if (!storage.hasTextIndex() && buildIndex(dir))
            storage.open(dir, Storage::Access::ReadOnly);
        TextSearch search(storage, words.join(QLatin1Char(' ')));
        if (search.query().isEmpty())
            return findUsage(QStringLiteral("ninguna palabra que buscar en «%1»")
                                 .arg(words.join(QLatin1Char(' '))));
        int found = 0;
        while (!search.atEnd()) {
            for (const FoundEntry &e : search.next(1000, 1000)) {
                out(oneLine(e.name) + QLatin1Char('\t') + e.piece.text);
                ++found;
            }
        }
        return found ? Success : Failure;
    } catch (const Error &e) {
        err(e.message());
        return UsageError;
    }
}

QVector<Command> commands()
{
    const QString dir = QStringLiteral("CARPETA");
    return {
        {QStringLiteral("create"),
         {dir},
         {{QStringLiteral("sample"),
           {},
           QStringLiteral("Llena la tabla nueva con el diccionario de muestra.")},
          {QStringLiteral("sample-dir"), QStringLiteral("MUESTRA"),
           QStringLiteral("Toma el diccionario de muestra (dreams.csv) de la carpeta MUESTRA en "
                          "lugar del que lleva la herramienta; implica --sample.")}},
         QStringLiteral("Crea la CARPETA de la base de datos (con las que la contienen) y una "
                        "tabla de sueños vacía en ella. Nunca sobrescribe una tabla que ya esté "
                        "allí."),
         runCreate},
        {QStringLiteral("import"),
         {dir, QStringLiteral("ARCHIVO.csv")},
         {},
         QStringLiteral("Añade las entradas de un archivo CSV en UTF-8 a la tabla de sueños de "
                        "la CARPETA. La primera línea nombra los seis campos: \"Imagen "
                        "Onírica\", \"Interpretación Onírica\", \"Datos de Interés\", \"Nº de "
                        "Suerte\", \"Nº Afín\" y \"Gráfico BMP\". La columna del dibujo lleva la "
                        "ruta de un mapa de bits relativa al archivo CSV, o nada. Un campo vacío "
                        "sin comillas es un valor ausente; \"\", un texto vacío.\n\n"
                        "Todo o nada: una entrada errónea (nombre vacío, repetido o demasiado "
                        "largo, un dibujo que no es un mapa de bits legible, un número de campos "
                        "equivocado, comillas mal puestas) se indica como ARCHIVO:LÍNEA: motivo, "
                        "y no se guarda nada."),
         runImport},
        {QStringLiteral("export"),
         {dir, QStringLiteral("CARPETA_SALIDA")},
         {},
         QStringLiteral("Escribe todas las entradas de la tabla de sueños de la CARPETA, por "
                        "orden alfabético, en CARPETA_SALIDA/dreams.csv, y los dibujos como "
                        "mapas de bits en CARPETA_SALIDA/pictures. Importar ese archivo en una "
                        "tabla vacía devuelve las mismas entradas."),
         runExport},
        {QStringLiteral("check"),
         {dir},
         {},
         QStringLiteral("Comprueba la tabla de sueños de la CARPETA: la integridad del archivo, "
                        "el índice y el orden de los nombres, y las cabeceras de los dibujos. "
                        "Muestra lo que está mal; termina con 1 si algo lo está."),
         runCheck},
        {QStringLiteral("backup"),
         {dir, QStringLiteral("ARCHIVO")},
         {},
         QStringLiteral("Escribe una copia de la tabla de sueños de la CARPETA en ARCHIVO: un "
                        "solo archivo, coherente aunque el programa esté editando la tabla, "
                        "comprobado antes de escribirlo. Nunca sobrescribe ARCHIVO. Copie la "
                        "tabla así, no a mano."),
         runBackup},
        {QStringLiteral("restore"),
         {dir, QStringLiteral("ARCHIVO")},
         {},
         QStringLiteral("Sustituye la tabla de sueños de la CARPETA por una copia de ARCHIVO "
                        "(una copia hecha con backup), una vez comprobada, de un solo paso: nada "
                        "de la tabla anterior, como su registro de escritura anticipada, queda "
                        "por aplicar a la nueva. Se niega mientras otro programa tiene la tabla "
                        "abierta. Crea la CARPETA si no existe."),
         runRestore},
        {QStringLiteral("find"),
         {dir},
         {{QStringLiteral("number"), QStringLiteral("N"),
           QStringLiteral("Las entradas que dan el número N: las que lo tienen como número de la "
                          "suerte, número afín o en los datos de interés.")}},
         QStringLiteral("Muestra las entradas de la tabla de sueños de la CARPETA que tienen "
                        "todas las PALABRAS, las mejores primero (aquellas cuyo nombre las tiene "
                        "todas, luego las demás, cada grupo por orden alfabético), una por línea: "
                        "el nombre, un tabulador y un trozo del significado alrededor de la "
                        "primera coincidencia. Las palabras se comparan sin mayúsculas ni "
                        "acentos, cada una como comienzo de una palabra; un número es un número "
                        "entero (7 halla 7 y 07, no 17 ni 70). Unas PALABRAS hechas solo de "
                        "cifras, o --number N, buscan en los números y los datos de interés.\n\n"
                        "La primera búsqueda en una tabla hecha antes de que existiera el índice "
                        "de búsqueda lo hace, una sola vez, si la tabla se puede escribir; si no, "
                        "lee todas las entradas.\n\n"
                        "Códigos de salida, como los de grep: 0 se encontró algo, 1 no se "
                        "encontró nada, 2 uso incorrecto o error."),
         runFind,
         QStringLiteral("[PALABRAS...]")},
    };
}

const QCommandLineOption &versionOption()
{
    static const QCommandLineOption option({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("Muestra la versión."));
    return option;
}

QString topLevelUsage()
{
    return QStringLiteral("[-h | --help] [-v | --version] ORDEN [ARGUMENTOS]");
}

QString topLevelHelp()
{
    QString text =
        QStringLiteral("Uso: %1 %2\n\n%3\n\nÓrdenes:\n")
            .arg(programName(), topLevelUsage(),
                 wrapped(QStringLiteral("Crea, llena, exporta, comprueba, copia y restaura la "
                                        "tabla de sueños (%1) de una carpeta de base de datos, "
                                        "y busca en ella.")
                             .arg(Storage::fileName())));
    for (const Command &c : commands())
        text += QStringLiteral("  %1 %2\n").arg(programName(), synopsis(c));
    text += QStringLiteral("\nOpciones:\n");
    for (const QCommandLineOption *o : {&helpOption(), &versionOption()}) {
        text += optionLine(QStringLiteral("-%1, --%2").arg(o->names().at(0), o->names().at(1)),
                           o->description());
    }
    return text + QLatin1Char('\n') +
           wrapped(QStringLiteral("«%1 ORDEN --help» describe una orden. Códigos de salida: 0 "
                                  "éxito, 1 fallo (find: nada encontrado), 2 uso incorrecto.")
                       .arg(programName()));
}

const Command *findCommand(const QString &name)
{
    static const QVector<Command> all = commands();
    for (const Command &c : all) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The tool's own options come before the command; what follows it is the command's.
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.addOption(helpOption());
    parser.addOption(versionOption());
    const bool ok = parser.parse(QCoreApplication::arguments());
    if (parser.isSet(helpOption())) {
        out(topLevelHelp());
        return Success;
    }
    if (parser.isSet(versionOption())) {
        out(programName() + QStringLiteral(" " NOCTAMBU_VERSION));
        return Success;
    }
    if (!ok)
        return usageError(programName(), unknownOption(parser), topLevelUsage());
    QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usageError(programName(), QStringLiteral("falta la orden"), topLevelUsage());
    const QString name = args.takeFirst();
    if (name == QLatin1String("help")) {
        const Command *command = findCommand(args.value(0));
        out(command ? commandHelp(*command) : topLevelHelp());
        return Success;
    }
    const Command *command = findCommand(name);
    if (!command)
        return usageError(programName(), QStringLiteral("orden desconocida: %1").arg(name),
                          topLevelUsage());
    Arguments parsed;
    const int code = parse(*command, args, &parsed);
    return code >= 0 ? code : command->run(parsed);
}
