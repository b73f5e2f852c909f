// The search in the dream table's texts: how words and numbers match, the order of the
// results, the same results with and without the index of words (read through it and by
// reading the rows), the index kept right through every change, and its check.

#include "data/errors.h"
#include "data/storage.h"
#include "data/table.h"
#include "data/textindex.h"
#include "data/textsearch.h"

#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

namespace {

struct Entry
{
    const char *name;
    const char *meaning;
    const char *notes;
    const char *lucky;
};

// The entries the cases look for, among many others (below) that make the search turn to
// the index: a word or two in a few hundred entries, or in more than a thousand.
const Entry entries[] = {
    {"Corazón", "Amor y valentía.", nullptr, "7"},
    {"ñandú", "Un viaje largo.", "Número de la suerte: 07.", "12"},
    {"Dinero", "Ganancias inesperadas.", nullptr, "17"},
    {"Banco", "Guardar el dinero de otros.", "Juegue el 70.", "70"},
    {"Cofre", "Un corazón de oro y mucho dinero.", nullptr, "47"},
    {"Agua clara", "Salud.", nullptr, "3"},
    {"Río", "Agua que corre, y algo de dinero.", "7 y 47.", "5"},
    {"Relleno alfa beta", "Relleno.", nullptr, nullptr},
};
// "Relleno NNNN": alfa in even ones, beta in odd ones, gamma in the second half.
constexpr int Fillers = 2400;

QStringList namesOf(Storage &storage, const QString &text)
{
    TextSearch search(storage, text);
    QStringList names;
    while (!search.atEnd()) {
        for (const FoundEntry &e : search.next(7, 1000))
            names << e.name;
    }
    return names;
}

Row rowOf(const QString &name, const QString &meaning, const char *notes = nullptr,
          const char *lucky = nullptr)
{
    Row row;
    row.values[ImagenOnirica] = name;
    row.values[InterpretacionOnirica] = meaning;
    if (notes)
        row.values[DatosDeInteres] = QString::fromUtf8(notes);
    if (lucky)
        row.values[NDeSuerte] = QString::fromUtf8(lucky);
    return row;
}

void exec(Storage &storage, const char *sql)
{
    QCOMPARE(sqlite3_exec(storage.handle(), sql, nullptr, nullptr, nullptr), SQLITE_OK);
}

} // namespace

class TestTextSearch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void finds_data();
    void finds();
    void manyResults();
    void pieceMarksTheMatch();
    void indexFollowsEveryChange();
    void checkFindsAStaleIndex();
    void indexIsMadeOnFirstNeed();

private:
    // A copy of the table made before the index existed, in m_dir/name.
    void copyWithoutIndex(const char *name, QString *dir);

    QTemporaryDir m_dir;
    QString m_withIndex, m_without;
};

void TestTextSearch::initTestCase()
{
    m_withIndex = m_dir.filePath(QStringLiteral("indexed"));
    QVERIFY(QDir().mkpath(m_withIndex));
    Storage::create(m_withIndex);
    {
        Storage storage;
        storage.open(m_withIndex);
        storage.begin();
        for (const Entry &e : entries)
            storage.insertRow(
                rowOf(QString::fromUtf8(e.name), QString::fromUtf8(e.meaning), e.notes, e.lucky));
        for (int i = 0; i < Fillers; ++i)
            storage.insertRow(
                rowOf(QStringLiteral("Relleno %1").arg(i, 4, 10, QLatin1Char('0')),
                      QStringLiteral("Relleno %1%2.")
                          .arg(i % 2 ? QStringLiteral("beta") : QStringLiteral("alfa"),
                               i >= Fillers / 2 ? QStringLiteral(" gamma") : QString())));
        storage.commit();
        QVERIFY(storage.hasTextIndex());
    }
    copyWithoutIndex("plain", &m_without);
}

void TestTextSearch::copyWithoutIndex(const char *name, QString *dir)
{
    *dir = m_dir.filePath(QLatin1String(name));
    QVERIFY2(QDir().mkpath(*dir), name);
    QVERIFY(QFile::copy(Storage::tablePath(m_withIndex), Storage::tablePath(*dir)));
    Storage storage;
    storage.open(*dir);
    storage.begin();
    TextIndex::drop(storage.handle(), storage.path());
    storage.commit();
    QVERIFY(!storage.hasTextIndex());
}

void TestTextSearch::finds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");
    auto row = [](const char *tag, const char *text, QStringList names) {
        QTest::newRow(tag) << QString::fromUtf8(text) << names;
    };
    row("without accents", "corazon", {"Corazón", "Cofre"});
    row("capitals with accents", "ÑANDÚ", {"ñandú"});
    row("prefix", "cora", {"Corazón", "Cofre"});
    row("every word must match", "dinero corazón", {"Cofre"});
    // The name holding every word comes first, then the others, each group in name order.
    row("name before meaning", "dinero", {"Dinero", "Banco", "Cofre", "Río"});
    row("name before meaning, two words", "agua", {"Agua clara", "Río"});
    // A number is whole, whatever zeros lead it, and is looked for in the notes and the
    // number fields only.
    row("number", "7", {"Corazón", "ñandú", "Río"});
    row("number with zeros", "007", {"Corazón", "ñandú", "Río"});
    row("another number", "70", {"Banco"});
    row("two numbers", "47 7", {"Río"});
    row("word and number", "dinero 47", {"Cofre", "Río"});
    row("nothing", "quimera", {});
    row("no words", " ¡! ", {});
    // Many entries hold each word: the index gives those of the rarer one.
    row("two common words", "alfa beta", {"Relleno alfa beta"});
    // Among words, a number is looked for everywhere, the name too.
    row("words and a number", "relleno alfa 0042", {"Relleno 0042"});
}

void TestTextSearch::finds()
{
    QFETCH(QString, text);
    QFETCH(QStringList, names);
    for (const QString &dir : {m_withIndex, m_without}) {
        Storage storage;
        storage.open(dir, Storage::Access::ReadOnly);
        QCOMPARE(namesOf(storage, text), names);
    }
}

// Many entries hold the words, read in name order or met through the index.
void TestTextSearch::manyResults()
{
    QStringList gamma;
    for (int i = Fillers / 2; i < Fillers; ++i)
        gamma << QStringLiteral("Relleno %1").arg(i, 4, 10, QLatin1Char('0'));
    for (const QString &dir : {m_withIndex, m_without}) {
        Storage storage;
        storage.open(dir, Storage::Access::ReadOnly);
        QCOMPARE(namesOf(storage, QStringLiteral("gamma")), gamma);
        const QStringList relleno = namesOf(storage, QStringLiteral("relleno"));
        QCOMPARE(relleno.size(), Fillers + 1);
        QCOMPARE(relleno.last(), QStringLiteral("Relleno alfa beta"));
    }
}

void TestTextSearch::pieceMarksTheMatch()
{
    Storage storage;
    storage.open(m_withIndex, Storage::Access::ReadOnly);
    TextSearch search(storage, QStringLiteral("oro CORA"));
    const QVector<FoundEntry> found = search.next(5, 1000);
    QCOMPARE(found.size(), 1);
    QCOMPARE(found[0].piece.text, QStringLiteral("Un corazón de oro y mucho dinero."));
    const QVector<QPair<int, int>> marks{{3, 7}, {14, 3}};
    QCOMPARE(found[0].piece.marks, marks);
    // A long meaning: the piece starts a little before the match and ends with a whole word.
    const SearchQuery query(storage.textTokenizer(), QStringLiteral("zorro"));
    const TextPiece piece =
        pieceOf(query,
                QStringLiteral("Uno dos tres cuatro cinco seis siete ocho nueve diez "
                               "once doce un zorro gris corre por el campo abierto"),
                40);
    QCOMPARE(piece.text, QStringLiteral("…doce un zorro gris corre por el campo…"));
    QCOMPARE(piece.marks, (QVector<QPair<int, int>>{{9, 5}}));
}

void TestTextSearch::indexFollowsEveryChange()
{
    const QString dir = m_dir.filePath(QStringLiteral("changes"));
    QDir().mkpath(dir);
    Storage::create(dir);
    Table t;
    t.setDatabaseDir(dir);
    t.open();
    auto found = [&](const char *text) {
        Storage reader;
        reader.open(dir, Storage::Access::ReadOnly);
        return namesOf(reader, QString::fromUtf8(text));
    };
    t.insert();
    t.setFieldValue(ImagenOnirica, QStringLiteral("Gato"));
    t.setFieldValue(InterpretacionOnirica, QStringLiteral("Traición."));
    t.post();
    QCOMPARE(found("traicion"), QStringList{"Gato"});
    t.edit();
    t.setFieldValue(InterpretacionOnirica, QStringLiteral("Lealtad."));
    t.setFieldValue(NAfin, QStringLiteral("33"));
    t.post();
    QCOMPARE(found("traicion"), QStringList{});
    QCOMPARE(found("lealtad 33"), QStringList{"Gato"});
    t.edit();
    t.setFieldValue(ImagenOnirica, QStringLiteral("Perro"));
    t.post();
    QCOMPARE(found("gato"), QStringList{});
    QCOMPARE(found("perro lealtad"), QStringList{"Perro"});
    t.edit();
    t.setFieldValue(InterpretacionOnirica, QStringLiteral("Cambio que no se guarda."));
    t.cancel();
    t.insert();
    t.setFieldValue(ImagenOnirica, QStringLiteral("Sin guardar"));
    t.cancel();
    QCOMPARE(found("guarda"), QStringList{});
    QCOMPARE(found("lealtad"), QStringList{"Perro"});
    t.deleteRecord();
    QCOMPARE(found("perro"), QStringList{});
    Storage storage;
    storage.open(dir);
    QCOMPARE(storage.check(), QStringList{});
}

void TestTextSearch::checkFindsAStaleIndex()
{
    QString dir;
    copyWithoutIndex("stale", &dir);
    Storage storage;
    storage.open(dir);
    storage.buildTextIndex([](qint64, qint64) { return true; });
    QCOMPARE(storage.check(), QStringList{});
    // The index forgets one entry's words, and holds words of an entry that is not there.
    exec(storage, "INSERT INTO dreams_words(dreams_words, rowid, name, meaning, notes, lucky,"
                  " affine) SELECT 'delete', id, name, meaning, notes, lucky, affine FROM dreams"
                  " WHERE name='Cofre'");
    exec(storage, "INSERT INTO dreams_names(rowid, name) VALUES (999999, 'fantasma')");
    const QStringList problems = storage.check();
    QCOMPARE(problems.size(), 2);
    QVERIFY2(problems[0].contains(QStringLiteral("«Cofre»")), qPrintable(problems[0]));
    QVERIFY2(problems[1].contains(QStringLiteral("999999")), qPrintable(problems[1]));
    // An index with parts missing is reported, and searching does not use it.
    exec(storage, "DROP TRIGGER dreams_text_delete");
    QVERIFY(!storage.hasTextIndex());
    QCOMPARE(storage.check().size(), 1);
}

void TestTextSearch::indexIsMadeOnFirstNeed()
{
    QString dir;
    copyWithoutIndex("later", &dir);
    Storage storage;
    storage.open(dir);
    // Stopped half way: nothing is made.
    QVector<qint64> told;
    QVERIFY(!storage.buildTextIndex([&](qint64 done, qint64 total) {
        told << done;
        return total == qint64(std::size(entries)) + Fillers && done == 0;
    }));
    QCOMPARE(told.size(), 2);
    QVERIFY(!storage.hasTextIndex());
    QCOMPARE(TextIndex::state(storage.handle()), TextIndex::State::Absent);
    told.clear();
    TextIndex::setBuildBatch(700); // in several steps
    QVERIFY(storage.buildTextIndex([&](qint64 done, qint64) {
        told << done;
        return true;
    }));
    TextIndex::setBuildBatch(5000);
    QCOMPARE(told.size(), 6);
    QCOMPARE(told.last(), qint64(std::size(entries)) + Fillers);
    QVERIFY(storage.hasTextIndex());
    QCOMPARE(namesOf(storage, QStringLiteral("gamma")).size(), Fillers / 2);
    QVERIFY(TextSearch(storage, QStringLiteral("x")).usesIndex());
    QCOMPARE(storage.check(), QStringList{});
    // A reader that cannot write searches by reading the rows.
    Storage reader;
    reader.open(m_without, Storage::Access::ReadOnly);
    QVERIFY(!TextSearch(reader, QStringLiteral("x")).usesIndex());
    QVERIFY_EXCEPTION_THROWN(reader.buildTextIndex([](qint64, qint64) { return true; }),
                             EngineError);
}

QTEST_GUILESS_MAIN(TestTextSearch)
#include "tst_textsearch.moc"
