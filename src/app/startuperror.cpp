#include "app/startuperror.h"

#include "data/storage.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// The folder as it is typed into a command line.
QString asArgument(const QString &dir)
{
    static const QRegularExpression plain(QStringLiteral("^[\\w./:\\\\~+-]+$"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    const QString native = QDir::toNativeSeparators(dir);
    return plain.match(native).hasMatch() ? native : QLatin1Char('"') + native + QLatin1Char('"');
}

} // namespace

QString cannotOpenDictionary(const QString &databaseDir, const QString &reason)
{
    QString text = QStringLiteral("No se puede abrir el diccionario de la carpeta %1: %2")
                       .arg(QDir::toNativeSeparators(databaseDir), reason);
    if (!QFileInfo::exists(Storage::tablePath(databaseDir))) {
        text += QStringLiteral(". Para crear allí un diccionario con las entradas de ejemplo, "
                               "ejecute «dreambook-db create %1 --sample»")
                    .arg(asArgument(databaseDir));
    }
    return text;
}
