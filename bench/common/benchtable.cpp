#include "benchtable.h"

#include "data/fields.h"
#include "data/storage.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace BenchTable {
namespace {
const char *const Words[] = {"agua",  "luna",    "sol",    "gato",  "perro",    "casa",  "barco",
                             "llave", "ángel",   "nube",   "ñandú", "río",      "árbol", "pez",
                             "tren",  "fuego",   "espejo", "reloj", "mar",      "flor",  "camino",
                             "lobo",  "montaña", "puerta", "oro",   "serpiente"};
constexpr int WordCount = int(sizeof Words / sizeof *Words);
} // namespace

QString name(qint64 i)
{
    QString s = QString::fromUtf8(Words[i % WordCount]);
    s[0] = s[0].toUpper();
    return s + QLatin1Char(' ') + QString::fromUtf8(Words[(i / WordCount) % WordCount]) +
           QLatin1Char(' ') + QString::number(i);
}

void build(const QString &dir, qint64 rows)
{
    Storage::create(dir);
    Storage storage;
    storage.open(dir);
    const QString meaning = QString::fromUtf8(
        "Soñar con esta imagen anuncia cambios favorables en la vida diaria; conviene "
        "prestar atención a los detalles y a las personas cercanas, pues de ellas llegará "
        "una noticia que traerá alegría y algo de fortuna inesperada.");
    storage.begin();
    for (qint64 i = 0; i < rows; ++i) {
        Row row;
        row.values[ImagenOnirica] = name(i);
        row.values[InterpretacionOnirica] = i % RareEvery == RareEvery / 2
                                                ? meaning + QStringLiteral(" Aparece una quimera.")
                                                : meaning;
        row.values[DatosDeInteres] = QStringLiteral("Número de la suerte: %1.").arg(i % 100);
        row.values[NDeSuerte] = QString::number(i % 100);
        row.values[NAfin] = QString::number((i * 7) % 100);
        storage.insertRow(row);
        if (i % 100000 == 99999) {
            storage.commit();
            storage.begin();
        }
    }
    storage.commit();
}

Setup setUp(const QCoreApplication &app, const QString &temporaryDir)
{
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("rows"), QStringLiteral("Entries in the table."),
                      QStringLiteral("N"), QStringLiteral("1000000")});
    parser.addOption({QStringLiteral("dir"), QStringLiteral("Reuse (or create) the table in DIR."),
                      QStringLiteral("DIR")});
    parser.process(app);
    Setup setup;
    setup.rows = parser.value(QStringLiteral("rows")).toLongLong();
    setup.dir =
        parser.isSet(QStringLiteral("dir")) ? parser.value(QStringLiteral("dir")) : temporaryDir;
    QDir().mkpath(setup.dir);
    if (!QFileInfo::exists(Storage::tablePath(setup.dir))) {
        std::printf("building a table of %lld entries in %s ...\n", setup.rows,
                    qPrintable(setup.dir));
        std::fflush(stdout);
        QElapsedTimer t;
        t.start();
        build(setup.dir, setup.rows);
        std::printf("built in %.1f s\n", double(t.elapsed()) / 1000);
    }
    return setup;
}

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

double medianMs(std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    return ns.empty() ? 0.0 : ms(ns[ns.size() / 2]);
}

} // namespace BenchTable
