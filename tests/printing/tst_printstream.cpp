// The print text stream on image pages: where lines land, breaks, pages, tabs, fonts on
// paper, pictures and the failures of the printing layer.

#include "platform/printstream.h"
#include "printcheck.h"
#include "testmain.h"

#include <QtTest>

using namespace PrintCheck;

namespace {

const QString hs = QStringLiteral("HHHH");

template <typename E, typename F> bool throws(F f)
{
    try {
        f();
    } catch (const E &) {
        return true;
    }
    return false;
}

// An image sink whose page changes and document end can be made to fail.
class FailingSink : public ImagePageSink
{
public:
    using ImagePageSink::ImagePageSink;
    bool failNewPage = false;
    bool failEnd = false;
    int aborts = 0;

    bool newPage(QPainter &painter) override
    {
        return !failNewPage && ImagePageSink::newPage(painter);
    }
    bool endDocument(QPainter &painter) override
    {
        return ImagePageSink::endDocument(painter) && !failEnd;
    }
    void abortDocument(QPainter &painter) override
    {
        ++aborts;
        ImagePageSink::abortDocument(painter);
    }
};

QFont arial(int points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(points);
    return font;
}

} // namespace

class TestPrintStream : public QObject
{
    Q_OBJECT

private slots:
    void fontsMoveToPaperByPointSize();
    void linesGoDownByTheirHeight();
    void tooWideLineBreaksAtLastFittingCharacter();
    void breaksNeverSplitACharacter_data();
    void breaksNeverSplitACharacter();
    void newPageBeforeTheBottomMargin();
    void tabsAndFormFeeds();
    void pictureAtItsOwnSize();
    void textKeepsItsColour();
    void failuresOfThePrintingLayer();
};

void TestPrintStream::fontsMoveToPaperByPointSize()
{
    QFont screen(QStringLiteral("Arial"));
    screen.setPixelSize(13);
    screen.setBold(true);
    screen.setItalic(true);
    const QFont paper = PrintStream::paperFont(screen);
    QCOMPARE(paper.pointSize(), 10);
    QCOMPARE(paper.family(), screen.family());
    QVERIFY(paper.bold());
    QVERIFY(paper.italic());

    const int expected[][2] = {{1, 1}, {2, 2}, {12, 9}, {16, 12}, {20, 15}, {24, 18}};
    for (const auto &pair : expected) {
        screen.setPixelSize(pair[0]);
        QCOMPARE(PrintStream::paperFont(screen).pointSize(), pair[1]);
    }

    // On paper the point size follows the device's resolution: a line of 10 points is a
    // font of 10/72 inch on the device, 20 pixels at 144 dpi, 40 at 288 dpi.
    for (const int resolution : {144, 288}) {
        ImagePageSink sink(QSize(800, 800), resolution);
        PrintStream stream;
        stream.assign(&sink);
        stream.setFont(arial(10));
        stream.open();
        stream.writeLine(hs);
        const int advance = stream.position().y();
        stream.close();
        QImage page = sink.pages().front();
        QFont expected = arial(10);
        expected.setPixelSize(resolution * 10 / 72);
        QCOMPARE(advance, lineHeight(expected, &page) + 2);
    }
}

void TestPrintStream::linesGoDownByTheirHeight()
{
    ImagePageSink sink(QSize(600, 1000), 144);
    PrintStream stream;
    stream.assign(&sink);
    stream.setFont(arial(10));
    stream.open();
    stream.writeLine(hs);
    stream.writeLine(hs);
    stream.writeLine(QString());
    stream.writeLine(QString());
    stream.writeLine(hs);
    stream.close();

    QCOMPARE(int(sink.pages().size()), 1);
    QImage page = sink.pages().front();
    const int h = lineHeight(fontOnPage(arial(10), 10, 144), &page);
    const QVector<QRect> bands = inkBands(page);
    QCOMPARE(bands.size(), 3);
    // The first line at the top left of the page.
    QVERIFY(bands[0].top() < h);
    QVERIFY(bands[0].left() <= 3);
    QCOMPARE(bands[1].top() - bands[0].top(), h + 2);
    QCOMPARE(bands[2].top() - bands[1].top(), h + 2 + 2 * h);
    QCOMPARE(bands[2].left(), bands[0].left());
}

void TestPrintStream::tooWideLineBreaksAtLastFittingCharacter()
{
    const int width = 300;
    ImagePageSink sink(QSize(width, 600), 96);
    PrintStream stream;
    stream.assign(&sink);
    stream.setFont(arial(10));
    stream.open();
    stream.writeLine(QString(60, QLatin1Char('H')));
    stream.writeLine(hs);
    stream.close();

    QImage page = sink.pages().front();
    const QFont font = fontOnPage(arial(10), 10, 96);
    const QFontMetrics metrics(font, &page);
    const int h = metrics.height();
    int fit = 0;
    while (metrics.horizontalAdvance(QString(fit + 1, QLatin1Char('H'))) <= width)
        ++fit;
    QVERIFY(fit > 5 && fit < 60);
    const int rows = (60 + fit - 1) / fit;
    const QVector<QRect> bands = inkBands(page);
    QCOMPARE(bands.size(), rows + 1);
    for (int i = 1; i < bands.size(); ++i) {
        QCOMPARE(bands[i].top() - bands[i - 1].top(), h + 2);
        QCOMPARE(bands[i].left(), bands[0].left());
    }
    // Full rows end at the last H that fits; the last row holds the rest.
    const int fullRight = inkBox(page, bands[0]).right();
    QVERIFY(fullRight < width);
    QVERIFY(fullRight >= metrics.horizontalAdvance(QString(fit, QLatin1Char('H'))) - 4);
    QVERIFY(bands[rows - 1].right() <= fullRight);

    // A line whose first character is wider than the page still goes out, one per line.
    ImagePageSink narrow(QSize(4, 400), 96);
    PrintStream tiny;
    tiny.assign(&narrow);
    tiny.setFont(arial(10));
    tiny.open();
    tiny.writeLine(QStringLiteral("WWW"));
    QCOMPARE(tiny.position().y(), 3 * (h + 2));
    tiny.close();
}

void TestPrintStream::breaksNeverSplitACharacter_data()
{
    // Each row is a line given character by character, as the reader sees them.
    QTest::addColumn<QStringList>("characters");
    const auto row = [](const char *name, const char *utf8) {
        QTest::newRow(name) << QString::fromUtf8(utf8).split(QLatin1Char('|'));
    };
    row("decomposed Spanish", "E\u0301|l| |n\u0303|a|n\u0303|u\u0301| |p|i|n|g|u\u0308|i|n|o");
    row("stacked accents", "a\u0301\u0308\u0323|o\u0303\u0301|W");
    row("families", "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466|y|"
                    "\U0001F469\u200D\U0001F469\u200D\U0001F466");
    row("flags", "\U0001F1EA\U0001F1F8|\U0001F1F2\U0001F1FD|\U0001F1E6\U0001F1F7");
    row("flags after an emoji", "\U0001F600|\U0001F1EA\U0001F1F8|\U0001F1F2\U0001F1FD|"
                                "\U0001F468\u200D\U0001F469|\U0001F1E6\U0001F1F7|\U0001F1EA");
    row("an astral character before Khmer", "\U0001FF4F|\U0001F1EA|\u1780|\U0001F600");
    row("skin tones", "\U0001F44D\U0001F3FD|\U0001F44B\U0001F3FF|"
                      "\U0001F469\U0001F3FB\u200D\U0001F4BB|!");
}

// Wherever the room ends, a line breaks between two characters: after the last one that
// fits, or after the first one at the start of a line too narrow for it.
void TestPrintStream::breaksNeverSplitACharacter()
{
    QFETCH(QStringList, characters);
    const QString line = characters.join(QString());
    QVector<int> ends{0};
    for (const QString &c : characters)
        ends << ends.last() + int(c.size());
    const QFontMetrics metrics(arial(10));
    const int full = metrics.horizontalAdvance(line);
    for (int room = 0; room <= full; ++room) {
        for (bool lineStart : {false, true}) {
            const int length = PrintStream::pieceLength(metrics, line, room, lineStart);
            const int k = int(ends.indexOf(length));
            QVERIFY2(k >= 0, qPrintable(QStringLiteral("room %1: %2").arg(room).arg(length)));
            QVERIFY(k == 1 || metrics.horizontalAdvance(line.left(length)) <= room);
            QVERIFY(k == characters.size() ||
                    metrics.horizontalAdvance(line.left(ends[k + 1])) > room);
            QVERIFY(k > 0 || !lineStart);
        }
    }
    // On a page narrower than any character, each goes alone on its line.
    ImagePageSink narrow(QSize(1, 2000), 96);
    PrintStream stream;
    stream.assign(&narrow);
    stream.setFont(arial(10));
    stream.open();
    stream.writeLine(line);
    const int h = QFontMetrics(fontOnPage(arial(10), 10, 96)).height();
    QCOMPARE(stream.position().y(), int(characters.size()) * (h + 2));
    stream.close();
}

void TestPrintStream::newPageBeforeTheBottomMargin()
{
    QImage probe(1, 1, QImage::Format_RGB32);
    probe.setDotsPerMeterX(3780);
    probe.setDotsPerMeterY(3780);
    const int h = lineHeight(fontOnPage(arial(10), 10, 96), &probe);
    const int height = 10 * (h + 2);
    ImagePageSink sink(QSize(400, height), 96);
    PrintStream stream;
    stream.assign(&sink);
    stream.setFont(arial(10));
    stream.open();
    // Lines start at 0, h + 2, 2(h + 2), ...; the page ends after the line that puts the
    // next start below height - 2h.
    int expectedPerPage = 0;
    for (int y = 0; y <= height - 2 * h; y += h + 2)
        ++expectedPerPage;
    for (int i = 0; i < expectedPerPage; ++i) {
        QCOMPARE(stream.pageNumber(), 1);
        stream.writeLine(hs);
    }
    QCOMPARE(stream.pageNumber(), 2);
    QCOMPARE(stream.position(), QPoint(0, 0));
    stream.writeLine(hs);
    stream.close();

    QCOMPARE(int(sink.pages().size()), 2);
    QCOMPARE(inkBands(sink.pages()[0]).size(), expectedPerPage);
    const QVector<QRect> second = inkBands(sink.pages()[1]);
    QCOMPARE(second.size(), 1);
    QCOMPARE(second[0].top(), inkBands(sink.pages()[0]).first().top());

    // Empty lines count by the font's height, and break by it too.
    ImagePageSink blank(QSize(400, height), 96);
    PrintStream spacer;
    spacer.assign(&blank);
    spacer.setFont(arial(10));
    spacer.open();
    int y = 0;
    while (spacer.pageNumber() == 1) {
        QCOMPARE(spacer.position().y(), y);
        spacer.writeLine(QString());
        y += h;
    }
    QVERIFY(y > height - 2 * h);
    QVERIFY(y - h <= height - 2 * h);
    spacer.close();
}

void TestPrintStream::tabsAndFormFeeds()
{
    ImagePageSink sink(QSize(800, 600), 96);
    PrintStream stream;
    stream.assign(&sink);
    stream.setFont(arial(10));
    stream.open();
    stream.writeLine(QStringLiteral("\tH"));
    stream.writeLine(QStringLiteral("H\tH"));
    stream.writeLine(QStringLiteral("\t\tH"));
    stream.writeLine(QStringLiteral("HH\fH"));
    QCOMPARE(stream.pageNumber(), 2);
    stream.writeLine(QStringLiteral("\f"));
    QCOMPARE(stream.pageNumber(), 3);
    stream.close();

    QCOMPARE(int(sink.pages().size()), 3);
    QImage page = sink.pages()[0];
    const QFont font = fontOnPage(arial(10), 10, 96);
    const QFontMetrics metrics(font, &page);
    const int stop = 8 * metrics.averageCharWidth();
    const QVector<QRect> bands = inkBands(page);
    QCOMPARE(bands.size(), 4);
    const int bearing = inkBox(page, QRect(0, bands[3].top(), stop, bands[3].height())).left();
    QCOMPARE(bands[0].left(), stop + bearing);
    QCOMPARE(inkBox(page, QRect(stop, bands[1].top(), stop, bands[1].height())).left(),
             stop + bearing);
    QCOMPARE(bands[2].left(), 2 * stop + bearing);
    // The form feed ends the page; what follows it starts the next at the top left.
    const QVector<QRect> next = inkBands(sink.pages()[1]);
    QCOMPARE(next.size(), 1);
    QCOMPARE(next[0].top(), bands[0].top());
    QCOMPARE(next[0].left(), bearing);
    QVERIFY(inkBands(sink.pages()[2]).isEmpty());
}

void TestPrintStream::pictureAtItsOwnSize()
{
    QImage picture(37, 53, QImage::Format_RGB32);
    picture.fill(QColor(0, 0, 255));
    ImagePageSink sink(QSize(400, 600), 300);
    PrintStream stream;
    stream.assign(&sink);
    stream.open();
    stream.drawImage(QPoint(0, 225), picture);
    stream.drawImage(QPoint(100, 100), QImage()); // no picture: nothing
    stream.close();
    const QImage &page = sink.pages().front();
    QCOMPARE(inkBox(page, page.rect()), QRect(0, 225, 37, 53));
    QCOMPARE(page.pixel(36, 277), qRgb(0, 0, 255));
}

void TestPrintStream::textKeepsItsColour()
{
    ImagePageSink sink(QSize(400, 200), 96);
    PrintStream stream;
    stream.assign(&sink);
    stream.setFont(arial(20), QColor(255, 0, 0));
    stream.open();
    stream.writeLine(QStringLiteral("IIII"));
    stream.close();
    const QImage &page = sink.pages().front();
    bool red = false;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QRgb p = page.pixel(x, y);
            if (isInk(p)) {
                QCOMPARE(qRed(p), 255);
                red = red || (qGreen(p) == 0 && qBlue(p) == 0);
            }
        }
    }
    QVERIFY(red);
}

void TestPrintStream::failuresOfThePrintingLayer()
{
    // Writing to a stream that is not open, or opening one without pages.
    {
        PrintStream stream;
        try {
            stream.open();
            QFAIL("opened without a sink");
        } catch (const InOutError &e) {
            QCOMPARE(e.message(), QStringLiteral("I/O error 102"));
            QCOMPARE(QByteArray(e.className()), QByteArray("EInOutError"));
        }
        QVERIFY(throws<InOutError>([&] { stream.writeLine(hs); }));
        QVERIFY(throws<InOutError>([&] { stream.close(); }));
    }
    // A document still open: "Printing in progress", for this stream and for another one
    // on the same pages; the open document goes on.
    {
        ImagePageSink sink(QSize(200, 200), 96);
        PrintStream stream;
        stream.assign(&sink);
        stream.open();
        try {
            stream.open();
            QFAIL("opened twice");
        } catch (const PrinterError &e) {
            QCOMPARE(e.message(), QStringLiteral("Printing in progress"));
            QCOMPARE(QByteArray(e.className()), QByteArray("EPrinter"));
        }
        PrintStream other;
        other.assign(&sink);
        QVERIFY(throws<PrinterError>([&] { other.open(); }));
        QVERIFY(stream.isOpen());
        stream.writeLine(hs);
        stream.close();
        QVERIFY(!sink.aborted());
        QCOMPARE(inkBands(sink.pages().front()).size(), 1);
    }
    // A page that cannot be started aborts the document.
    {
        FailingSink sink(QSize(200, 200), 96);
        sink.failNewPage = true;
        PrintStream stream;
        stream.assign(&sink);
        stream.open();
        try {
            stream.writeLine(QStringLiteral("\f"));
            QFAIL("new page did not fail");
        } catch (const InOutError &e) {
            QCOMPARE(e.message(), QStringLiteral("I/O error 101"));
        }
        QVERIFY(!stream.isOpen());
        QCOMPARE(sink.aborts, 1);
        QVERIFY(!sink.busy());
        // The pages are free again for the next document.
        sink.failNewPage = false;
        stream.open();
        stream.close();
        QCOMPARE(sink.aborts, 1);
    }
    // A document that cannot be ended, and one left open when the stream goes.
    {
        FailingSink sink(QSize(200, 200), 96);
        sink.failEnd = true;
        {
            PrintStream stream;
            stream.assign(&sink);
            stream.open();
            QVERIFY(throws<InOutError>([&] { stream.close(); }));
            QVERIFY(!stream.isOpen());
            sink.failEnd = false;
            stream.open();
            stream.writeLine(hs);
        }
        QCOMPARE(sink.aborts, 2);
        QVERIFY(!sink.busy());
    }
}

NOCTAMBU_TEST_MAIN(TestPrintStream)
#include "tst_printstream.moc"
