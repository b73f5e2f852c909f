#include "app/firststart.h"

#include "app/commandline.h"
#include "data/errors.h"
#include "data/storage.h"
#include "dictio/dictionaryio.h"

#include <QFileInfo>

namespace {

bool hasTable(const QString &dir)
{
    return QFileInfo::exists(Storage::tablePath(dir));
}

} // namespace

void prepareDatabaseDir(const CommandLine &line)
{
    if (line.databaseDirNamed || hasTable(line.databaseDir))
        return;
    try {
        const DictionaryIO::ImportReport report =
            DictionaryIO::createTable(line.databaseDir, DictionaryIO::sampleCsv());
        if (!report.problems.isEmpty())
            throw EngineError(QStringLiteral("El diccionario de muestra tiene errores: %1")
                                  .arg(report.problems.first()));
    } catch (const EngineError &) {
        if (!hasTable(line.databaseDir)) // unless another start of the program made it meanwhile
            throw;
    }
}
