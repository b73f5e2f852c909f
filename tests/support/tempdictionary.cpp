#include "support/tempdictionary.h"

#include "data/storage.h"

#include <stdexcept>

namespace TestSupport {

namespace {
QVariant stored(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}
} // namespace

QVector<Entry> named(const QStringList &names)
{
    QVector<Entry> entries;
    for (const QString &name : names)
        entries.append({name, {}, {}, {}});
    return entries;
}

TempDictionary::TempDictionary(const QVector<Entry> &entries)
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder for the test dictionary");
    Storage::create(path());
    add(entries);
}

void TempDictionary::add(const QVector<Entry> &entries) const
{
    if (entries.isEmpty())
        return;
    Storage storage;
    storage.open(path());
    storage.begin();
    for (const Entry &entry : entries) {
        Row row;
        row.values[ImagenOnirica] = entry.name;
        row.values[InterpretacionOnirica] = stored(entry.meaning);
        row.values[DatosDeInteres] = stored(entry.notes);
        if (!entry.picture.isEmpty())
            row.values[GraficoBMP] = entry.picture;
        storage.insertRow(row);
    }
    storage.commit();
}

} // namespace TestSupport
