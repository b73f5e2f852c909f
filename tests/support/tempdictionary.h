#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

namespace TestSupport {

// One entry of a test dictionary. Empty fields are stored empty, as the editors store them.
struct Entry
{
    QString name;
    QString meaning;
    QString notes;
    QByteArray picture; // as stored: see PictureField::encode()
};

// Entries with these names and nothing else.
QVector<Entry> named(const QStringList &names);

// A dream table in a temporary folder of its own, made with the given entries. The folder
// and everything in it go with the object.
class TempDictionary
{
public:
    explicit TempDictionary(const QVector<Entry> &entries = {});
    QString path() const { return m_dir.path(); }
    // A path in the temporary folder, beside the table.
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    // Adds entries in one transaction.
    void add(const QVector<Entry> &entries) const;

private:
    QTemporaryDir m_dir;
};

} // namespace TestSupport
