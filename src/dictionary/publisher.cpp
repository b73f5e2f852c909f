#include "dictionary/publisher.h"

namespace Publisher {

QString name()
{
    return QStringLiteral("ARCANIA");
}

QString distributor()
{
    return QStringLiteral("Distribuciones Lucero del Alba");
}

QString distributorPhoneFax()
{
    return QStringLiteral("Tel. y Fax: (95) 000 13 20");
}

QString distributorMobile()
{
    return QStringLiteral("Móvil: 600 000 132");
}

QString contactLine()
{
    const QString separator = QStringLiteral(" - ");
    return name() + separator + distributor() + separator + distributorPhoneFax() + separator +
           distributorMobile();
}

} // namespace Publisher
