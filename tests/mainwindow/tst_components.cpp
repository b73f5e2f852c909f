// The window library's memo and one-button navigator on their own: display lines as the
// printout reads them, and the navigator's pictures and clicks.

#include "appearance.h"
#include "application.h"
#include "datasource.h"
#include "dbnavigator.h"
#include "memo.h"
#include "storage.h"
#include "table.h"
#include "testmain.h"

#include <QAbstractTextDocumentLayout>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

class TestComponents : public QObject
{
    Q_OBJECT
private slots:
    void displayLines();
    void navigatorShowsAvailability();
};

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
    QTemporaryDir dir;
    Storage::create(dir.path());
    Table table;
    table.setDatabaseDir(dir.path());
    table.open();
    table.insert();
    table.setFieldValue(ImagenOnirica, QStringLiteral("Agua"));
    table.post();
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

NOCTAMBU_TEST_MAIN(TestComponents)

#include "tst_components.moc"
