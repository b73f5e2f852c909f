// dreambook-db: makes, fills, exports, checks, backs up and restores the dream table of a
// database directory, the things the program itself deliberately does not do.

#include "dictionaryio.h"
#include "errors.h"
#include "storage.h"
#include "tablefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cstdio>
#include <functional>
#include <utility>

#ifndef NOCTAMBU_SAMPLE_DIR
#define NOCTAMBU_SAMPLE_DIR ""
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

// The arguments of one command: positional ones and the options it knows.
struct Arguments
{
    QStringList positional;
    QStringList flags;              // options without a value that were given
    QHash<QString, QString> values; // options with a value
};

struct Command
{
    QString name;
    QString synopsis;
    QString help;
    int positionalCount;
    QStringList flags;      // e.g. "--sample"
    QStringList valueFlags; // e.g. "--sample-dir"
    std::function<int(const Arguments &)> run;
};

QString programName()
{
    return QStringLiteral("dreambook-db");
}

int usage(const Command &command, const QString &problem)
{
    err(QStringLiteral("%1 %2: %3").arg(programName(), command.name, problem));
    err(QStringLiteral("usage: %1 %2").arg(programName(), command.synopsis));
    err(QStringLiteral("Try '%1 %2 --help'.").arg(programName(), command.name));
    return UsageError;
}

// Parses a command's arguments; returns -1 to go on, or the exit code.
int parse(const Command &command, const QStringList &args, Arguments *parsed)
{
    bool optionsEnd = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (optionsEnd || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            parsed->positional << a;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnd = true;
            continue;
        }
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out(QStringLiteral("usage: %1 %2\n\n%3")
                    .arg(programName(), command.synopsis, command.help));
            return Success;
        }
        const int eq = a.indexOf(QLatin1Char('='));
        const QString key = eq < 0 ? a : a.left(eq);
        if (command.flags.contains(key) && eq < 0) {
            parsed->flags << key;
        } else if (command.valueFlags.contains(key)) {
            if (eq >= 0) {
                parsed->values.insert(key, a.mid(eq + 1));
            } else if (i + 1 < args.size()) {
                parsed->values.insert(key, args[++i]);
            } else {
                return usage(command, QStringLiteral("%1 needs a value").arg(key));
            }
        } else {
            return usage(command, QStringLiteral("unknown option %1").arg(a));
        }
    }
    if (parsed->positional.size() < command.positionalCount)
        return usage(command, QStringLiteral("missing argument"));
    if (parsed->positional.size() > command.positionalCount)
        return usage(command, QStringLiteral("unexpected argument %1")
                                  .arg(parsed->positional.value(command.positionalCount)));
    for (const QString &p : std::as_const(parsed->positional)) {
        if (p.isEmpty())
            return usage(command, QStringLiteral("an argument is empty"));
    }
    return -1;
}

int runCreate(const Arguments &args)
{
    const QString dir = args.positional[0];
    const bool sample = args.flags.contains(QLatin1String("--sample")) ||
                        args.values.contains(QStringLiteral("--sample-dir"));
    const QString path = Storage::tablePath(dir);
    if (QFileInfo::exists(path)) {
        err(QStringLiteral("%1 ya contiene una tabla de sueños (%2); no se ha cambiado nada")
                .arg(shown(dir), shown(path)));
        return Failure;
    }
    QString csvPath;
    if (sample) {
        const QString sampleDir =
            args.values.value(QStringLiteral("--sample-dir"), QStringLiteral(NOCTAMBU_SAMPLE_DIR));
        csvPath = QDir(sampleDir).filePath(DictionaryIO::csvFileName());
        if (sampleDir.isEmpty() || !QFileInfo(csvPath).isFile()) {
            err(QStringLiteral("Falta el diccionario de muestra %1; indique su carpeta con "
                               "--sample-dir")
                    .arg(shown(csvPath)));
            return Failure;
        }
    }
    try {
        const DictionaryIO::ImportReport report = DictionaryIO::createTable(dir, csvPath);
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
        const DictionaryIO::ImportReport report =
            DictionaryIO::importFile(storage, csvPath, shown(csvPath));
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
        const int count = DictionaryIO::exportTo(storage, outDir, &warnings);
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
        const QStringList problems = storage.check();
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

QVector<Command> commands()
{
    return {
        {QStringLiteral("create"),
         QStringLiteral("create DIR [--sample] [--sample-dir DIR]"),
         QStringLiteral(
             "Makes the database directory DIR (with its parents) and an empty dream table in\n"
             "it. Refuses to overwrite a table that is already there.\n\n"
             "  --sample          fill the new table with the sample dictionary\n"
             "  --sample-dir DIR  where the sample dictionary (dreams.csv) lies; implies\n"
             "                    --sample"),
         1,
         {QStringLiteral("--sample")},
         {QStringLiteral("--sample-dir")},
         runCreate},
        {QStringLiteral("import"),
         QStringLiteral("import DIR FILE.csv"),
         QStringLiteral(
             "Adds the entries of a UTF-8 CSV file to the dream table in DIR. The first line\n"
             "names the six fields: \"Imagen Onírica\",\"Interpretación Onírica\",\"Datos de "
             "Interés\",\n\"Nº de Suerte\",\"Nº Afín\",\"Gráfico BMP\". The picture column holds "
             "the path of a\nbitmap file relative to the CSV file, or nothing. An empty "
             "unquoted field is an\nabsent value, \"\" an empty text.\n\n"
             "All or nothing: a bad entry (empty, duplicate or too long name, a picture that\n"
             "is not a readable bitmap, a wrong number of fields, bad quoting) is reported as\n"
             "FILE:LINE: reason, and nothing is stored."),
         2,
         {},
         {},
         runImport},
        {QStringLiteral("export"),
         QStringLiteral("export DIR OUT_DIR"),
         QStringLiteral("Writes every entry of the dream table in DIR, in name order, to\n"
                        "OUT_DIR/dreams.csv, and the pictures as bitmap files in "
                        "OUT_DIR/pictures.\nImporting that file into an empty table gives "
                        "the same entries back."),
         2,
         {},
         {},
         runExport},
        {QStringLiteral("check"),
         QStringLiteral("check DIR"),
         QStringLiteral("Checks the dream table in DIR: the database file's integrity, the "
                        "index and\nthe order of the names, and the headers of the pictures. "
                        "Prints what is wrong;\nexits with 1 when anything is."),
         1,
         {},
         {},
         runCheck},
        {QStringLiteral("backup"),
         QStringLiteral("backup DIR FILE"),
         QStringLiteral("Writes a copy of the dream table in DIR to FILE: one self-contained "
                        "file,\nconsistent even while the program edits the table, checked "
                        "before it is\nwritten. Refuses to overwrite FILE. Copy the table this "
                        "way, not by hand."),
         2,
         {},
         {},
         runBackup},
        {QStringLiteral("restore"),
         QStringLiteral("restore DIR FILE"),
         QStringLiteral("Replaces the dream table in DIR with a copy of FILE (a copy made by "
                        "backup)\nonce the copy is checked, in one step: nothing of the old "
                        "table, such as its\nwrite-ahead log, is left to be applied to the new "
                        "one. Refuses while another\nprogram has the table open. Makes DIR when "
                        "it does not exist."),
         2,
         {},
         {},
         runRestore},
    };
}

void topLevelHelp(std::FILE *stream)
{
    print(stream, QStringLiteral("usage: %1 COMMAND [ARGS]\n\n"
                                 "Makes, fills, exports, checks, backs up and restores the dream "
                                 "table (%2)\nof a database directory.\n\nCommands:")
                      .arg(programName(), Storage::fileName()));
    for (const Command &c : commands())
        print(stream, QStringLiteral("  %1 %2").arg(programName(), c.synopsis));
    print(stream, QStringLiteral("\n'%1 COMMAND --help' describes a command. Exit codes: 0 "
                                 "success, 1 failure, 2 wrong usage.")
                      .arg(programName()));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        topLevelHelp(stderr);
        return UsageError;
    }
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") ||
        name == QLatin1String("help")) {
        topLevelHelp(stdout);
        return Success;
    }
    for (const Command &c : commands()) {
        if (c.name != name)
            continue;
        Arguments parsed;
        const int code = parse(c, args, &parsed);
        if (code >= 0)
            return code;
        return c.run(parsed);
    }
    err(QStringLiteral("%1: unknown command '%2'").arg(programName(), name));
    topLevelHelp(stderr);
    return UsageError;
}
