#include "benchtable.h"

#include "fields.h"
#include "storage.h"

#include <algorithm>

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
        row.values[InterpretacionOnirica] = meaning;
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
