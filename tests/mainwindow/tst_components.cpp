// The window library's memo and one-button navigator on their own: display lines as the
// printout reads them, the navigator's pictures and clicks, and the editors' hand-over of
// their changes when it fails.

#include "controls/datasource.h"
#include "controls/dbimage.h"
#include "controls/dbmemo.h"
#include "controls/dbnavigator.h"
#include "controls/memo.h"
#include "data/storage.h"
#include "data/table.h"
#include "platform/appearance.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/glyphs.h"
#include "support/tempdictionary.h"
#include "testmain.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QDirIterator>
#include <QLineEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

using namespace TestSupport;

class TestComponents : public QObject
{
    Q_OBJECT
private slots:
    void displayLines();
    void resourcePictures();
    void navigatorShowsAvailability();
    void failedHandOverFocusesTheEditor_data();
    void failedHandOverFocusesTheEditor();
};

void TestComponents::resourcePictures()
{
    // Read in the format their suffix names, the program's pictures are what a reader that
    // probes the contents makes of them.
    QVERIFY(!Glyphs::pixmap(QStringLiteral("list_page")).isNull());
    programIcon();
    int seen = 0;
    for (const QString &dir : {QStringLiteral(":/glyphs"), QStringLiteral(":/icon")}) {
        for (QDirIterator it(dir, {QStringLiteral("*.xpm"), QStringLiteral("*.png")});
             it.hasNext();) {
            const QString path = it.next();
            const QImage probed(path);
            QVERIFY2(!probed.isNull(), qPrintable(path));
            QCOMPARE(Glyphs::fromResource(path).toImage(), QPixmap::fromImage(probed).toImage());
            ++seen;
        }
    }
    QVERIFY(seen > 20);
    QVERIFY(Glyphs::fromResource(QStringLiteral(":/glyphs/none.xpm")).isNull());
}

void TestComponents::displayLines()
{
    TMemo memo;
    memo.setFont(makeFont(QStringLiteral("System"), 13, true));
    memo.setGeometry(0, 0, 200, 60);
    QVERIFY(memo.displayLines().isEmpty());

    // Hard breaks stay, a last empty line is not counted, empty lines inside are.
    memo.setPlainText(QStringLiteral("uno\n\ndos\n"));
    QCOMPARE(memo.displayLines(), QStringList({"uno", "", "dos"}));

    // Long text wraps at the memo's width, also while it is hidden, and the lines put
    // together give the text back.
    const QString words = QStringLiteral("palabra ").repeated(30).trimmed();
    memo.setPlainText(words);
    const QStringList lines = memo.displayLines();
    QVERIFY(lines.size() > 3);
    QCOMPARE(lines.join(QString()), words);
    const QFontMetrics metrics(memo.font());
    for (const QString &line : lines)
        QVERIFY(metrics.horizontalAdvance(line.trimmed()) <= memo.width());
    // A wider memo needs fewer lines.
    memo.resize(400, 60);
    QVERIFY(memo.displayLines().size() < lines.size());
    // Without word wrap a line is cut at 4096 characters.
    memo.setWordWrap(false);
    memo.setPlainText(QString(5000, QLatin1Char('x')));
    QCOMPARE(memo.displayLines(), QStringList({QString(TMemo::MaxLineLength, QLatin1Char('x'))}));
    // The cut keeps a letter with its accent, and both halves of a surrogate pair, together.
    for (const QString &last : {QStringLiteral("e\u0301"), QStringLiteral("\U0001F600")}) {
        memo.setPlainText(QString(TMemo::MaxLineLength - 1, QLatin1Char('x')) + last);
        QCOMPARE(memo.displayLines().constFirst().size(), TMemo::MaxLineLength - 1);
    }

    // Shown, the memo wraps the same way.
    memo.setWordWrap(true);
    memo.setPlainText(words);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    int shownLines = 0;
    for (QTextBlock b = memo.document()->begin(); b.isValid(); b = b.next())
        shownLines += b.layout()->lineCount();
    QCOMPARE(memo.displayLines().size(), shownLines);
}

void TestComponents::navigatorShowsAvailability()
{
    const TempDictionary dict(named({QStringLiteral("Agua")}));
    Table table;
    table.setDatabaseDir(dict.path());
    table.open();
    DataSource source;
    source.setDataSet(&table);
    TDBNavigator post;
    post.resize(49, 25);
    post.setAction(TDBNavigator::Post);
    post.setDataSource(&source);
    int done = 0;
    connect(&post, &TDBNavigator::actionDone, [&] { ++done; });

    QVERIFY(!post.isAvailable());
    const QImage grey = post.grab().toImage();
    QTest::mouseClick(&post, Qt::LeftButton);
    QCOMPARE(done, 0);

    table.edit();
    QVERIFY(post.isAvailable());
    const QImage lit = post.grab().toImage();
    QVERIFY(lit != grey);
    // Disabled, it looks and acts as unavailable whatever the table's state.
    post.setEnabled(false);
    QCOMPARE(post.grab().toImage(), grey);
    QTest::mouseClick(&post, Qt::LeftButton);
    QCOMPARE(table.state(), DatasetState::Edit);
    post.setEnabled(true);
    QTest::mouseClick(&post, Qt::LeftButton);
    QCOMPARE(done, 1);
    QCOMPARE(table.state(), DatasetState::Browse);
    QVERIFY(!post.isAvailable());
    // Closing the table greys every command.
    TDBNavigator refresh;
    refresh.setAction(TDBNavigator::Refresh);
    refresh.setDataSource(&source);
    QVERIFY(refresh.isAvailable());
    table.close();
    QVERIFY(!refresh.isAvailable());
}

void TestComponents::failedHandOverFocusesTheEditor_data()
{
    QTest::addColumn<bool>("picture");
    QTest::addColumn<int>("action");
    QTest::newRow("memo, leaving edit by a move") << false << int(TDBNavigator::Next);
    QTest::newRow("picture, posting") << true << int(TDBNavigator::Post);
}

// An editor whose change the row cannot take (it is bound to a field the table does not
// have): the command stops, the editor takes the focus and the error box tells why.
void TestComponents::failedHandOverFocusesTheEditor()
{
    QFETCH(bool, picture);
    QFETCH(int, action);
    const TempDictionary dict(named({QStringLiteral("Agua"), QStringLiteral("Luna")}));
    Table table;
    table.setDatabaseDir(dict.path());
    table.open();
    DataSource source;
    source.setDataSet(&table);
    QWidget window;
    auto *elsewhere = new QLineEdit(&window);
    TDBMemo *memo = picture ? nullptr : new TDBMemo(&window);
    TDBImage *image = picture ? new TDBImage(&window) : nullptr;
    QWidget *editor = picture ? static_cast<QWidget *>(image) : memo;
    editor->move(0, 30);
    if (memo) {
        memo->setDataField(FieldCount);
        memo->setDataSource(&source);
    } else {
        image->setDataField(FieldCount);
        image->setDataSource(&source);
    }
    TDBNavigator command(&window);
    command.move(0, 200);
    command.setAction(TDBNavigator::Action(action));
    command.setDataSource(&source);
    int done = 0;
    connect(&command, &TDBNavigator::actionDone, [&] { ++done; });
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    editor->setFocus();
    if (memo) {
        QTest::keyClicks(memo, QStringLiteral("x"));
    } else {
        QImage dot(2, 2, QImage::Format_RGB32);
        dot.fill(Qt::red);
        QGuiApplication::clipboard()->setImage(dot);
        QTest::keyClick(image, Qt::Key_V, Qt::ControlModifier);
        QGuiApplication::clipboard()->clear();
    }
    QCOMPARE(table.state(), DatasetState::Edit);
    elsewhere->setFocus();
    Dialogs::Script::reset();
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::DefaultAnswer);
    QTest::mouseClick(&command, Qt::LeftButton);
    QVERIFY(editor->hasFocus());
    QCOMPARE(Dialogs::Script::shown().size(), 1);
    QCOMPARE(Dialogs::Script::shown().first().text,
             QStringLiteral("Número de campo fuera de rango."));
    QCOMPARE(Dialogs::Script::shown().first().icon, Dialogs::Icon::Critical);
    QCOMPARE(done, 0);
    QCOMPARE(table.state(), DatasetState::Edit);
    QCOMPARE(table.fieldText(ImagenOnirica), QStringLiteral("Agua"));
    QVERIFY(memo ? memo->isModified() : image->isModified());
    Dialogs::Script::reset();
}

NOCTAMBU_TEST_MAIN(TestComponents)

#include "tst_components.moc"
