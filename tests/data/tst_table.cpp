#include "data/errors.h"
#include "data/storage.h"
#include "data/table.h"
#include "support/tempdictionary.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

#include <csignal>
#include <iostream>
#include <thread>

namespace {

QString nameOf(const Table &t)
{
    return t.fieldText(ImagenOnirica);
}

// Runs an operation that must fail and returns its message.
template <typename F> QString failure(F &&f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

// A holder of pending changes, as an editor is: it hands a name over, or fails.
struct PendingName : PendingChanges
{
    Table *table = nullptr;
    QString name;
    QString error;
    int asked = 0;
    void handOverChanges() override
    {
        ++asked;
        if (!error.isEmpty())
            throw DatabaseError(error);
        if (!name.isNull())
            table->setFieldValue(ImagenOnirica, name);
    }
};

void addRow(Table &t, const QString &name, const QString &meaning = QString(),
            const QString &lucky = QString())
{
    t.insert();
    t.setFieldValue(ImagenOnirica, name);
    if (!meaning.isNull())
        t.setFieldValue(InterpretacionOnirica, meaning);
    if (!lucky.isNull()) {
        t.setFieldValue(NDeSuerte, lucky);
        t.setFieldValue(NAfin, QString(lucky + QStringLiteral("0")));
    }
    t.post();
}

} // namespace

class TestTable : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void emptyTable();
    void navigationFlags();
    void insertAndLeave();
    void requiredName();
    void nameIsOneLine_data();
    void nameIsOneLine();
    void keyViolation();
    void editStoredByMoveCancelRestores();
    void postedRowTakesItsPlace();
    void deleteRows();
    void hiddenFieldsSurviveEdits();
    void locateByName();
    void refreshAfterDeletionElsewhere();
    void readOnlyTable();
    void openFailuresWriteNothing();
    void closedDataset();
    void positionsInNameOrder();
    void rowLocksInOneProcess();
    void rowLockAcrossProcesses();
    void crashDuringPosts();

private:
    std::unique_ptr<TestSupport::TempDictionary> m_dir;
    QString dir() const { return m_dir->path(); }
    std::unique_ptr<Table> openTable(const QStringList &names = {});
};

void TestTable::init()
{
    m_dir = std::make_unique<TestSupport::TempDictionary>();
}

std::unique_ptr<Table> TestTable::openTable(const QStringList &names)
{
    auto t = std::make_unique<Table>();
    t->setDatabaseDir(dir());
    t->open();
    for (const QString &n : names)
        addRow(*t, n);
    if (!names.isEmpty())
        t->first();
    return t;
}

void TestTable::emptyTable()
{
    auto t = openTable();
    QCOMPARE(t->state(), DatasetState::Browse);
    QVERIFY(t->isEmpty());
    QVERIFY(t->bof() && t->eof());
    QCOMPARE(failure([&] { t->deleteRecord(); }),
             QStringLiteral("Cannot perform this operation on an empty dataset"));
    // Editing an empty table inserts; the only entry posts.
    t->edit();
    QCOMPARE(t->state(), DatasetState::Insert);
    t->setFieldValue(ImagenOnirica, QStringLiteral("Luna"));
    t->post();
    QCOMPARE(t->recordCount(), 1);
    QCOMPARE(nameOf(*t), QStringLiteral("Luna"));
    QVERIFY(!t->isEmpty());
}

void TestTable::navigationFlags()
{
    auto t = openTable({QStringLiteral("Sol"), QStringLiteral("Agua"), QStringLiteral("Nube")});
    t->close();
    t->open(); // the first row in name order is current, BOF set
    QCOMPARE(nameOf(*t), QStringLiteral("Agua"));
    QVERIFY(t->bof() && !t->eof());
    t->prior();
    QCOMPARE(nameOf(*t), QStringLiteral("Agua"));
    QVERIFY(t->bof());
    t->next();
    t->next();
    QCOMPARE(nameOf(*t), QStringLiteral("Sol"));
    QVERIFY(!t->eof()); // on the last row, not yet past it
    t->next();
    QCOMPARE(nameOf(*t), QStringLiteral("Sol"));
    QVERIFY(t->eof() && !t->bof() && !t->isEmpty());
    t->first();
    QCOMPARE(t->moveBy(10), qint64(2));
    QVERIFY(t->eof());
    QCOMPARE(t->moveBy(-1), qint64(-1));
    QCOMPARE(nameOf(*t), QStringLiteral("Nube"));
    QCOMPARE(t->recNo(), qint64(2));
    t->last();
    QVERIFY(t->eof());
    QCOMPARE(nameOf(*t), QStringLiteral("Sol"));
}

void TestTable::insertAndLeave()
{
    auto t = openTable({QStringLiteral("Agua"), QStringLiteral("Sol")});
    PendingName editor;
    editor.table = t.get();
    t->addPendingChanges(&editor);
    t->insert();
    QCOMPARE(t->state(), DatasetState::Insert);
    QVERIFY(!t->isModified());
    QVERIFY(t->fieldIsNull(ImagenOnirica));
    t->next(); // an untouched new row disappears without a word
    QCOMPARE(t->state(), DatasetState::Browse);
    QCOMPARE(t->recordCount(), 2);
    QVERIFY(editor.asked >= 1);
    // Insert twice: the first new row vanishes, a second one is current.
    t->insert();
    t->insert();
    QCOMPARE(t->state(), DatasetState::Insert);
    t->cancel();
    QCOMPARE(t->recordCount(), 2);
    // The editors' pending change is handed over before leaving: a typed name is stored.
    // A hand-over that fails ends the operation, which does not take place.
    t->insert();
    editor.name = QStringLiteral("Oso");
    editor.error = QStringLiteral("No hand-over");
    QCOMPARE(failure([&] { t->refresh(); }), editor.error);
    QCOMPARE(failure([&] { t->post(); }), editor.error);
    QCOMPARE(t->state(), DatasetState::Insert);
    editor.error.clear();
    t->refresh();
    QCOMPARE(t->recordCount(), 3);
    QCOMPARE(nameOf(*t), QStringLiteral("Oso"));
    t->removePendingChanges(&editor);
}

void TestTable::nameIsOneLine_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("line feed") << QStringLiteral("Doble\nLínea");
    QTest::newRow("carriage return") << QStringLiteral("Doble\r\nLínea");
    QTest::newRow("tab") << QStringLiteral("Doble\tLínea");
    QTest::newRow("line separator") << QStringLiteral("Doble\u2028Línea");
}

// Neither a new entry nor a renamed one stores a name of two lines: the row stays in its
// state, the table as it was.
void TestTable::nameIsOneLine()
{
    QFETCH(QString, name);
    const QString refused =
        QStringLiteral("El nombre de una imagen onírica no puede llevar saltos de línea ni "
                       "tabuladores");
    auto t = openTable({QStringLiteral("Agua")});
    t->insert();
    t->setFieldValue(ImagenOnirica, name);
    QCOMPARE(failure([&] { t->post(); }), refused);
    QCOMPARE(t->state(), DatasetState::Insert);
    t->cancel();
    t->edit();
    t->setFieldValue(ImagenOnirica, name);
    QCOMPARE(failure([&] { t->post(); }), refused);
    QCOMPARE(t->state(), DatasetState::Edit);
    t->cancel();
    QCOMPARE(t->recordCount(), 1);
    QCOMPARE(nameOf(*t), QStringLiteral("Agua"));
}

void TestTable::requiredName()
{
    auto t = openTable({QStringLiteral("Agua")});
    QSignalSpy focus(t.get(), &Table::focusFieldRequested);
    t->insert();
    t->setFieldValue(InterpretacionOnirica, QStringLiteral("Un significado"));
    QCOMPARE(failure([&] { t->post(); }),
             QStringLiteral("Field 'Imagen Onírica' must have a value"));
    QCOMPARE(focus.count(), 1);
    QCOMPARE(focus.at(0).at(0).toInt(), int(ImagenOnirica));
    QCOMPARE(t->state(), DatasetState::Insert);
    QCOMPARE(t->fieldText(InterpretacionOnirica), QStringLiteral("Un significado"));
    // Moving away fails the same way and does not move.
    QVERIFY(failure([&] { t->next(); }).contains(QStringLiteral("must have a value")));
    QCOMPARE(t->state(), DatasetState::Insert);
    // An empty name counts as none.
    t->setFieldValue(ImagenOnirica, QString());
    QVERIFY(t->fieldIsNull(ImagenOnirica));
    QCOMPARE(failure([&] { t->post(); }),
             QStringLiteral("Field 'Imagen Onírica' must have a value"));
}

void TestTable::keyViolation()
{
    auto t = openTable({QStringLiteral("Agua"), QStringLiteral("Sol")});
    t->insert();
    t->setFieldValue(ImagenOnirica, QStringLiteral("Sol"));
    const QString msg = failure([&] { t->post(); });
    QVERIFY2(msg.contains(QStringLiteral("Violación de clave")) &&
                 msg.contains(QStringLiteral("«Sol»")),
             qPrintable(msg));
    QVERIFY(!msg.endsWith(QLatin1Char('.')));
    QCOMPARE(t->state(), DatasetState::Insert);
    QCOMPARE(nameOf(*t), QStringLiteral("Sol"));
    // Exact comparison: another case is another name.
    t->setFieldValue(ImagenOnirica, QStringLiteral("sol"));
    t->post();
    QCOMPARE(t->recordCount(), 3);
    // Renaming an existing entry onto another name is refused too.
    t->first();
    t->edit();
    t->setFieldValue(ImagenOnirica, QStringLiteral("sol"));
    QVERIFY(failure([&] { t->post(); }).contains(QStringLiteral("Violación de clave")));
    QCOMPARE(t->state(), DatasetState::Edit);
}

void TestTable::editStoredByMoveCancelRestores()
{
    auto t = openTable({QStringLiteral("Agua"), QStringLiteral("Sol")});
    addRow(*t, QStringLiteral("Luna"), QStringLiteral("Original"));
    t->edit();
    t->setFieldValue(InterpretacionOnirica, QStringLiteral("Cambiado"));
    QVERIFY(t->isModified());
    t->cancel();
    QCOMPARE(t->fieldText(InterpretacionOnirica), QStringLiteral("Original"));
    QCOMPARE(t->state(), DatasetState::Browse);
    t->edit();
    t->setFieldValue(InterpretacionOnirica, QStringLiteral("Cambiado"));
    t->next();
    QCOMPARE(nameOf(*t), QStringLiteral("Sol"));
    t->prior();
    QCOMPARE(t->fieldText(InterpretacionOnirica), QStringLiteral("Cambiado"));
    // An edit without changes simply ends.
    t->edit();
    t->setFieldValue(InterpretacionOnirica, QStringLiteral("Cambiado"));
    QVERIFY(!t->isModified());
    t->next();
    QCOMPARE(t->state(), DatasetState::Browse);
}

void TestTable::postedRowTakesItsPlace()
{
    auto t = openTable({QStringLiteral("Agua"), QStringLiteral("Sol"), QStringLiteral("Zorro")});
    t->last();
    t->insert();
    t->setFieldValue(ImagenOnirica, QStringLiteral("Abeja"));
    t->post();
    QCOMPARE(nameOf(*t), QStringLiteral("Abeja"));
    QCOMPARE(t->recNo(), qint64(1));
    t->prior();
    QVERIFY(t->bof());
    QCOMPARE(nameOf(*t), QStringLiteral("Abeja"));
    // Cancelling an insert returns to the row that was current before it.
    t->next();
    t->insert();
    t->cancel();
    QCOMPARE(nameOf(*t), QStringLiteral("Agua"));
}

void TestTable::deleteRows()
{
    auto t = openTable({QStringLiteral("Agua"), QStringLiteral("Nube"), QStringLiteral("Sol")});
    t->insert();
    t->setFieldValue(ImagenOnirica, QStringLiteral("Nuevo"));
    t->deleteRecord(); // on an unsaved new row delete means cancel
    QCOMPARE(t->recordCount(), 3);
    QCOMPARE(t->state(), DatasetState::Browse);
    t->next();
    QCOMPARE(nameOf(*t), QStringLiteral("Nube"));
    t->deleteRecord(); // the row after it becomes current
    QCOMPARE(nameOf(*t), QStringLiteral("Sol"));
    t->deleteRecord(); // deleting the last makes the new last current
    QCOMPARE(nameOf(*t), QStringLiteral("Agua"));
    t->edit();
    t->setFieldValue(InterpretacionOnirica, QStringLiteral("pendiente"));
    t->deleteRecord(); // pending edits of the deleted row are dropped
    QVERIFY(t->isEmpty());
    QCOMPARE(t->recordCount(), 0);
    QCOMPARE(t->state(), DatasetState::Browse);
}

void TestTable::hiddenFieldsSurviveEdits()
{
    auto t = openTable();
    const QByteArray odd("not a bitmap at all \x00\x01\x02", 23);
    t->insert();
    t->setFieldValue(ImagenOnirica, QStringLiteral("Gato"));
    t->setFieldValue(NDeSuerte, QStringLiteral("3"));
    t->setFieldValue(NAfin, QStringLiteral("48"));
    t->setFieldValue(GraficoBMP, odd);
    t->post();
    t->edit();
    t->setFieldValue(InterpretacionOnirica, QStringLiteral("Independencia."));
    t->setFieldValue(ImagenOnirica, QStringLiteral("Gato negro"));
    t->post();
    Table other;
    other.setDatabaseDir(dir());
    other.open();
    QCOMPARE(other.fieldText(NDeSuerte), QStringLiteral("3"));
    QCOMPARE(other.fieldText(NAfin), QStringLiteral("48"));
    QCOMPARE(other.fieldBytes(GraficoBMP), odd); // kept byte for byte
    QCOMPARE(other.fieldText(ImagenOnirica), QStringLiteral("Gato negro"));
}

void TestTable::locateByName()
{
    const QString fifty = QString(50, QLatin1Char('x')).replace(0, 1, QLatin1Char('X'));
    auto t = openTable({QStringLiteral("Agua"), QStringLiteral("Aguacero"), QStringLiteral("Ángel"),
                        QStringLiteral("Sol"), fifty});
    const QString field = QStringLiteral("IMAGEN ONÍRICA");
    QVERIFY(t->locate(field, QStringLiteral("Agua"), Table::PartialKey));
    QCOMPARE(nameOf(*t), QStringLiteral("Agua"));
    QVERIFY(t->locate(field, QStringLiteral("Aguac"), Table::PartialKey));
    QCOMPARE(nameOf(*t), QStringLiteral("Aguacero"));
    // Case and accents must agree; no match leaves the current row.
    QVERIFY(!t->locate(field, QStringLiteral("agua"), Table::PartialKey));
    QVERIFY(!t->locate(field, QStringLiteral("Angel"), Table::PartialKey));
    QCOMPARE(nameOf(*t), QStringLiteral("Aguacero"));
    QVERIFY(t->locate(field, QStringLiteral("Án"), Table::PartialKey));
    QCOMPARE(nameOf(*t), QStringLiteral("Ángel"));
    // A decomposed accent is the same text.
    QVERIFY(t->locate(field, QStringLiteral("A\u0301ng"), Table::PartialKey));
    // Only the first 50 characters count.
    QVERIFY(t->locate(field, QString(fifty + QStringLiteral("tail")), Table::PartialKey));
    QCOMPARE(nameOf(*t), fifty);
    // The empty text finds the first entry.
    QVERIFY(t->locate(field, QString(), Table::PartialKey));
    QCOMPARE(nameOf(*t), QStringLiteral("Agua"));
    QVERIFY(failure([&] {
                t->locate(QStringLiteral("Nada"), QStringLiteral("x"), {});
            }).contains(QStringLiteral("Nada")));
    // A set-key state is left by the locate; a pending change is stored by set key.
    t->edit();
    t->setFieldValue(InterpretacionOnirica, QStringLiteral("guardado"));
    t->setKey();
    QCOMPARE(t->state(), DatasetState::SetKey);
    QVERIFY(t->locate(field, QStringLiteral("Sol"), Table::PartialKey));
    QCOMPARE(t->state(), DatasetState::Browse);
    QVERIFY(t->locate(field, QStringLiteral("Agua"), Table::PartialKey));
    QCOMPARE(t->fieldText(InterpretacionOnirica), QStringLiteral("guardado"));
}

void TestTable::refreshAfterDeletionElsewhere()
{
    auto t = openTable({QStringLiteral("Agua"), QStringLiteral("Nube"), QStringLiteral("Sol")});
    t->next();
    Table other;
    other.setDatabaseDir(dir());
    other.open();
    other.next();
    other.deleteRecord();
    t->refresh();
    QCOMPARE(nameOf(*t), QStringLiteral("Sol"));
    other.last();
    other.deleteRecord();
    t->refresh();
    QCOMPARE(nameOf(*t), QStringLiteral("Agua"));
    // An edit starts from what is stored now.
    other.first();
    other.edit();
    other.setFieldValue(InterpretacionOnirica, QStringLiteral("de otro"));
    other.post();
    t->edit();
    QCOMPARE(t->fieldText(InterpretacionOnirica), QStringLiteral("de otro"));
    t->cancel();
}

void TestTable::readOnlyTable()
{
    openTable({QStringLiteral("Agua")});
    // A file without write permission opens read-only; where the permission is ignored
    // (running as root) the dataset's read-only setting gives the same dataset.
    QFile::setPermissions(Storage::tablePath(dir()), QFile::ReadOwner | QFile::ReadGroup);
    auto t = std::make_unique<Table>();
    t->setDatabaseDir(dir());
    t->setReadOnly(QFileInfo(Storage::tablePath(dir())).isWritable());
    t->open();
    QVERIFY(!t->canModify());
    QCOMPARE(nameOf(*t), QStringLiteral("Agua"));
    QCOMPARE(failure([&] { t->insert(); }), QStringLiteral("Cannot modify a read-only dataset"));
    QCOMPARE(failure([&] { t->edit(); }), QStringLiteral("Cannot modify a read-only dataset"));
    QCOMPARE(t->state(), DatasetState::Browse);
}

void TestTable::openFailuresWriteNothing()
{
    auto openIn = [](const QString &d) {
        return failure([&] {
            Table t;
            t.setDatabaseDir(d);
            t.open();
        });
    };
    QVERIFY(openIn(dir() + QStringLiteral("/missing")).contains(QStringLiteral("no existe")));
    QTemporaryDir empty;
    QVERIFY(openIn(empty.path()).contains(QStringLiteral("SUEÑOS.db no existe")));

    // A file that is not a database, and databases without the table or its index.
    const QByteArray garbage("this is not a table, just text\n");
    QFile f(Storage::tablePath(empty.path()));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(garbage);
    f.close();
    QVERIFY(openIn(empty.path()).contains(QStringLiteral("no es una tabla de sueños")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), garbage);
    f.close();
    QStringList left = QDir(empty.path()).entryList(QDir::Files);
    QCOMPARE(left, QStringList{Storage::fileName()});

    // A dream table whose ordering index was dropped behind the program's back.
    {
        Table t;
        t.setDatabaseDir(dir());
        t.open();
        addRow(t, QStringLiteral("Agua"));
    }
    const QString path = Storage::tablePath(dir());
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "DROP INDEX dreams_order", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    QFile table(path);
    QVERIFY(table.open(QIODevice::ReadOnly));
    const QByteArray before = table.readAll();
    table.close();
    QVERIFY(openIn(dir()).contains(QStringLiteral("índice de «Imagen Onírica»")));
    QVERIFY(table.open(QIODevice::ReadOnly));
    QCOMPARE(table.readAll(), before);
    table.close();

    // Some other SQLite database.
    QTemporaryDir foreign;
    QVERIFY(sqlite3_open(QFile::encodeName(Storage::tablePath(foreign.path())).constData(), &db) ==
            SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE t(x)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QVERIFY(openIn(foreign.path()).contains(QStringLiteral("no es una tabla de sueños")));
}

void TestTable::closedDataset()
{
    Table t;
    const QString closed = QStringLiteral("Cannot perform this operation on a closed dataset");
    QCOMPARE(failure([&] { t.first(); }), closed);
    QCOMPARE(failure([&] { t.insert(); }), closed);
    QCOMPARE(failure([&] { t.post(); }), closed);
    QCOMPARE(failure([&] { t.setFieldValue(ImagenOnirica, QStringLiteral("x")); }), closed);
    auto open = openTable({QStringLiteral("Agua")});
    QCOMPARE(failure([&] { open->post(); }), QStringLiteral("Dataset not in edit or insert mode"));
    QCOMPARE(failure([&] { open->setFieldValue(ImagenOnirica, QStringLiteral("x")); }),
             QStringLiteral("Dataset not in edit or insert mode"));
}

void TestTable::positionsInNameOrder()
{
    // A small sample step, so that the sampled look-ups are the ones under test.
    Storage::setSampling(10, 8);
    auto t = openTable();
    QStringList names;
    for (int i = 0; i < 37; ++i)
        names << QStringLiteral("Entrada %1").arg(i * 7 % 37, 2, 10, QLatin1Char('0'));
    for (const QString &n : qAsConst(names))
        addRow(*t, n);
    names.sort();
    Table other;
    other.setDatabaseDir(dir());
    other.open();
    auto checkAll = [&](Table &table) {
        QCOMPARE(table.recordCount(), qint64(names.size()));
        for (int r = 1; r <= names.size(); ++r) {
            table.moveToRecNo(r);
            QCOMPARE(nameOf(table), names.at(r - 1));
            QCOMPARE(table.recNo(), qint64(r));
        }
    };
    checkAll(*t);
    // Changes made here and by another connection are seen at once.
    addRow(*t, QStringLiteral("Entrada 00a"));
    names.insert(1, QStringLiteral("Entrada 00a"));
    checkAll(*t);
    t->moveToRecNo(5);
    t->deleteRecord();
    names.removeAt(4);
    checkAll(*t);
    addRow(other, QStringLiteral("Abeja"));
    names.prepend(QStringLiteral("Abeja"));
    other.moveToRecNo(20);
    other.edit();
    other.setFieldValue(ImagenOnirica, QStringLiteral("Zorro"));
    other.post();
    names.append(names.takeAt(19));
    names.last() = QStringLiteral("Zorro");
    checkAll(*t);
    checkAll(other);
    // Own changes keep the sample current: renames both ways, an insert and a delete.
    other.moveToRecNo(3);
    other.edit();
    other.setFieldValue(ImagenOnirica, QStringLiteral("Entrada 99"));
    other.post();
    names.removeAt(2);
    names.insert(names.size() - 1, QStringLiteral("Entrada 99"));
    checkAll(other);
    other.last();
    other.edit();
    other.setFieldValue(ImagenOnirica, QStringLiteral("Aaa"));
    other.post();
    names.removeLast();
    names.prepend(QStringLiteral("Aaa"));
    checkAll(other);
    other.moveToRecNo(1);
    other.deleteRecord();
    names.removeFirst();
    addRow(other, QStringLiteral("Entrada 18b"));
    names.append(QStringLiteral("Entrada 18b"));
    names.sort();
    checkAll(other);
    Storage::setSampling(20000, 1024);
}

void TestTable::rowLocksInOneProcess()
{
    auto a = openTable({QStringLiteral("Agua"), QStringLiteral("Sol")});
    Table b;
    b.setDatabaseDir(dir());
    b.open();
    a->edit();
    a->setFieldValue(InterpretacionOnirica, QStringLiteral("de A"));
    QVERIFY(failure([&] {
                b.edit();
            }).startsWith(QStringLiteral("Registro bloqueado por otro usuario")));
    QVERIFY(failure([&] { b.deleteRecord(); }).startsWith(QStringLiteral("Registro bloqueado")));
    b.next(); // other rows are free
    b.edit();
    b.cancel();
    a->post(); // posting frees the row
    b.first();
    b.edit();
    QCOMPARE(b.fieldText(InterpretacionOnirica), QStringLiteral("de A"));
    b.cancel();
}

void TestTable::rowLockAcrossProcesses()
{
    openTable({QStringLiteral("Agua"), QStringLiteral("Sol")});
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child-edit"), dir()});
    QVERIFY(child.waitForStarted());
    QVERIFY(child.waitForReadyRead(10000));
    QCOMPARE(child.readLine().trimmed(), QByteArray("editing"));

    Table t;
    t.setDatabaseDir(dir());
    t.open();
    QVERIFY(failure([&] {
                t.edit();
            }).startsWith(QStringLiteral("Registro bloqueado por otro usuario")));
    QCOMPARE(t.state(), DatasetState::Browse);

    child.kill(); // the system frees the dead process's lock
    QVERIFY(child.waitForFinished(10000));
    t.edit();
    t.setFieldValue(InterpretacionOnirica, QStringLiteral("libre"));
    t.post();
}

void TestTable::crashDuringPosts()
{
    openTable();
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child-posts"), dir()});
    QVERIFY(child.waitForStarted());
    QStringList posted;
    while (posted.size() < 40 && child.waitForReadyRead(10000)) {
        while (child.canReadLine())
            posted << QString::fromUtf8(child.readLine().trimmed());
    }
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished(10000));
    while (child.canReadLine())
        posted << QString::fromUtf8(child.readLine().trimmed());
    QVERIFY(posted.size() >= 40);

    Storage s;
    s.open(dir());
    QCOMPARE(s.check(), QStringList());
    Table t;
    t.setDatabaseDir(dir());
    t.open();
    for (const QString &name : qAsConst(posted))
        QVERIFY2(t.locate(QStringLiteral("Imagen Onírica"), name, Table::PartialKey),
                 qPrintable(name));
}

// Child processes for the cross-process tests.
static int childMain(const QString &mode, const QString &dir)
{
    Table t;
    t.setDatabaseDir(dir);
    t.open();
    if (mode == QLatin1String("--child-edit")) {
        t.edit();
        t.setFieldValue(InterpretacionOnirica, QStringLiteral("del hijo"));
        std::cout << "editing" << std::endl;
        std::string line;
        std::getline(std::cin, line); // until killed
        return 0;
    }
    for (int i = 0;; ++i) {
        const QString name = QStringLiteral("Entrada %1").arg(i, 6, 10, QLatin1Char('0'));
        t.insert();
        t.setFieldValue(ImagenOnirica, name);
        t.setFieldValue(InterpretacionOnirica, QString(200, QLatin1Char('m')));
        t.post();
        std::cout << name.toStdString() << std::endl;
    }
}

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]).startsWith("--child-")) {
        QCoreApplication app(argc, argv);
        return childMain(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestTable test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_table.moc"
