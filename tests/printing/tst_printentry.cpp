// The printout of an entry on image pages at 300 dpi: the blocks in order, each line where
// the layout rules put it, the picture at (0, 225) of the last page.

#include "controls/memo.h"
#include "dictionary/printentry.h"
#include "platform/appearance.h"
#include "platform/printstream.h"
#include "printcheck.h"
#include "printmodel.h"

#include "platform/dialogs.h"
#include "testmain.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace PrintCheck;

namespace {

const QColor pictureBlue(0, 0, 255);

QStringList repeated(int count, const QString &line)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << line;
    return lines;
}

// The main window's controls that make up the printout, at their sizes on screen.
struct Entry
{
    QWidget window;
    TMemo *memo123 = new TMemo(&window);
    TMemo *memo1 = new TMemo(&window);
    TMemo *interpretacion = new TMemo(&window);
    TMemo *datos = new TMemo(&window);
    TMemo *name = new TMemo(&window);
    TMemo *meaning = new TMemo(&window);
    TMemo *notes = new TMemo(&window);

    Entry()
    {
        setUpPrintMemos(memo123, memo1, interpretacion, datos);
        const QFont editor = makeFont(QStringLiteral("System"), 13, true);
        const QSize sizes[] = {{281, 25}, {417, 137}, {417, 81}};
        TMemo *editors[] = {name, meaning, notes};
        for (int i = 0; i < 3; ++i) {
            editors[i]->setFont(editor);
            editors[i]->resize(sizes[i]);
            if (i > 0)
                editors[i]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        }
    }

    QVector<PrintBlock> blocks() const
    {
        return entryBlocks({memo123, name, memo1, interpretacion, meaning, datos, notes});
    }
};

QImage bluePicture(QSize size = QSize(137, 177))
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(pictureBlue);
    return picture;
}

// Runs a tool of poppler-utils on a file; its standard output.
QByteArray poppler(const QString &tool, QStringList arguments)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        return QByteArray();
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QByteArray();
    return process.readAllStandardOutput();
}

} // namespace

class TestPrintEntry : public QObject
{
    Q_OBJECT

private slots:
    void hiddenMemos();
    void blocksInOrder();
    void linesLandWhereTheRulesPutThem_data();
    void linesLandWhereTheRulesPutThem();
    void longMeaningGoesOnToASecondPage();
    void failureAbortsTheDocument();
    void pdfFileHoldsTheBlocksInOrder();
    void largePictureLeavesTheNameUncovered_data();
    void largePictureLeavesTheNameUncovered();
    void pdfFileFailures();
    void noPrinterLeadsToAPdfFile();
};

void TestPrintEntry::hiddenMemos()
{
    Entry entry;
    const QStringList band = entry.memo123->displayLines();
    QCOMPARE(band.size(), 100);
    QCOMPARE(band.first(), QStringLiteral("."));
    QCOMPARE(band.last(), QStringLiteral("."));
    QCOMPARE(band.mid(1, 98), repeated(98, QString()));
    const QStringList spacer = entry.memo1->displayLines();
    QCOMPARE(spacer.size(), 15);
    QCOMPARE(spacer.mid(1, 13), repeated(13, QString()));
    QCOMPARE(entry.interpretacion->displayLines(),
             QStringList{QStringLiteral("Significado Onírico:")});
    QCOMPARE(entry.datos->displayLines(), QStringList{QStringLiteral("Número(s) de la Suerte:")});
    for (const TMemo *memo : {entry.memo123, entry.memo1, entry.interpretacion, entry.datos})
        QVERIFY(memo->isHidden());

    // On paper: Arial 1 point and System 10 points bold, all black.
    const PrintBlock dot = printBlock(entry.memo1);
    QCOMPARE(PrintStream::paperFont(dot.font).pointSize(), 1);
    QCOMPARE(dot.font.family(), QStringLiteral("Arial"));
    const PrintBlock heading = printBlock(entry.datos);
    QCOMPARE(PrintStream::paperFont(heading.font).pointSize(), 10);
    QVERIFY(heading.font.bold());
    QCOMPARE(heading.color, QColor(Qt::black));
}

void TestPrintEntry::blocksInOrder()
{
    Entry entry;
    entry.name->setPlainText(QStringLiteral("Abeja"));
    entry.meaning->setPlainText(QStringLiteral("Trabajo."));
    entry.notes->setPlainText(QStringLiteral("7 - 21"));
    const QVector<PrintBlock> blocks = entry.blocks();
    QCOMPARE(blocks.size(), 9);
    const int sizes[] = {100, 1, 15, 1, 1, 15, 15, 1, 1};
    for (int i = 0; i < 9; ++i)
        QCOMPARE(blocks[i].lines.size(), sizes[i]);
    QCOMPARE(blocks[1].lines, QStringList{QStringLiteral("Abeja")});
    QCOMPARE(blocks[3].lines, QStringList{QStringLiteral("Significado Onírico:")});
    QCOMPARE(blocks[4].lines, QStringList{QStringLiteral("Trabajo.")});
    QCOMPARE(blocks[7].lines, QStringList{QStringLiteral("Número(s) de la Suerte:")});
    QCOMPARE(blocks[8].lines, QStringList{QStringLiteral("7 - 21")});
}

void TestPrintEntry::linesLandWhereTheRulesPutThem_data()
{
    QTest::addColumn<QString>("meaning");
    QTest::addColumn<QString>("notes");
    QTest::addColumn<int>("meaningLines");

    QTest::newRow("entry") << QStringLiteral("Trabajo y ganancias.")
                           << QStringLiteral("Números: 7 - 21 - 40") << 1;
    // The notes' heading is then the last thing on the page.
    QTest::newRow("empty notes") << QStringLiteral("Trabajo y ganancias.") << QString() << 1;
    // The meaning's heading followed directly by the spacer.
    QTest::newRow("empty meaning") << QString() << QStringLiteral("7") << 0;
    // Wrapped on screen at the editor's width: the same breaks on paper.
    QTest::newRow("wrapped meaning")
        << QStringLiteral("Soñar con abejas trabajando anuncia ganancias por el esfuerzo propio, "
                          "buenas noticias en los negocios y una familia unida; si pican, "
                          "disgustos pasajeros con personas cercanas.\nSegundo párrafo.")
        << QStringLiteral("Números: 7 - 21") << -1;
}

void TestPrintEntry::linesLandWhereTheRulesPutThem()
{
    QFETCH(QString, meaning);
    QFETCH(QString, notes);
    QFETCH(int, meaningLines);

    Entry entry;
    entry.name->setPlainText(QStringLiteral("Abeja"));
    entry.meaning->setPlainText(meaning);
    entry.notes->setPlainText(notes);
    const QVector<PrintBlock> blocks = entry.blocks();
    if (meaningLines >= 0) {
        QCOMPARE(blocks[4].lines.size(), meaningLines);
    } else {
        // More lines than paragraphs: the screen's word wrap, kept on paper.
        QVERIFY(blocks[4].lines.size() > 3);
        QCOMPARE(blocks[4].lines.join(QString()).remove(QLatin1Char(' ')),
                 QString(meaning).remove(QLatin1Char('\n')).remove(QLatin1Char(' ')));
    }

    ImagePageSink sink(a4, dpi);
    PrintStream stream;
    stream.assign(&sink);
    printEntry(stream, blocks, bluePicture());
    QVERIFY(!stream.isOpen());
    QCOMPARE(int(sink.pages().size()), 1);
    QImage page = sink.pages().front();

    const QVector<Placed> placed = expectedLayout(blocks, &page, a4.height());
    const QVector<QPair<int, int>> expected = expectedBands(placed, 1, &page);
    const QVector<QPair<int, int>> actual = textBands(page);
    QCOMPARE(actual.size(), expected.size());
    for (int i = 0; i < actual.size(); ++i) {
        QVERIFY2(std::abs(actual[i].first - expected[i].first) <= 1 &&
                     std::abs(actual[i].second - expected[i].second) <= 1,
                 qPrintable(QStringLiteral("band %1: %2-%3, expected %4-%5")
                                .arg(i)
                                .arg(actual[i].first)
                                .arg(actual[i].second)
                                .arg(expected[i].first)
                                .arg(expected[i].second)));
    }
    // The last line on paper is the notes' last line, or their heading when they are empty.
    QCOMPARE(placed.last().text,
             notes.isEmpty() ? QStringLiteral("Número(s) de la Suerte:") : notes);
    // After the meaning's heading: the meaning, then the spacer's dot.
    int heading = 0;
    while (placed[heading].text != QStringLiteral("Significado Onírico:"))
        ++heading;
    QCOMPARE(placed[heading + 1 + blocks[4].lines.size()].text, QStringLiteral("."));

    // The picture: at (0, 225), at its own size.
    QCOMPARE(page.pixel(0, 225), pictureBlue.rgb());
    QCOMPARE(page.pixel(136, 401), pictureBlue.rgb());
    QVERIFY(page.pixel(137, 300) != pictureBlue.rgb());
    QVERIFY(page.pixel(50, 402) != pictureBlue.rgb());
    QVERIFY(page.pixel(50, 224) != pictureBlue.rgb());
}

void TestPrintEntry::longMeaningGoesOnToASecondPage()
{
    Entry entry;
    entry.name->setPlainText(QStringLiteral("Abeja"));
    QStringList lines;
    for (int i = 1; i <= 80; ++i)
        lines << QStringLiteral("Línea %1 del significado.").arg(i);
    entry.meaning->setLines(lines);
    entry.notes->setPlainText(QStringLiteral("7 - 21"));
    const QVector<PrintBlock> blocks = entry.blocks();

    ImagePageSink sink(a4, dpi);
    PrintStream stream;
    stream.assign(&sink);
    printEntry(stream, blocks, bluePicture());
    QCOMPARE(int(sink.pages().size()), 2);
    QImage first = sink.pages()[0];
    QImage second = sink.pages()[1];

    const QVector<Placed> placed = expectedLayout(blocks, &first, a4.height());
    QCOMPARE(placed.last().page, 2);
    for (int page = 1; page <= 2; ++page) {
        const QImage &image = sink.pages()[size_t(page - 1)];
        const QVector<QPair<int, int>> expected = expectedBands(placed, page, &first);
        const QVector<QPair<int, int>> actual = textBands(image);
        QCOMPARE(actual.size(), expected.size());
        for (int i = 0; i < actual.size(); ++i)
            QVERIFY(std::abs(actual[i].first - expected[i].first) <= 1);
    }
    // The picture on the second page only, at y = 225, where the meaning goes on: scaled
    // down to the room above the next line of text, so that it covers none.
    QCOMPARE(second.pixel(0, 225), pictureBlue.rgb());
    int bottom = 225;
    while (second.pixel(0, bottom + 1) == pictureBlue.rgb())
        ++bottom;
    const QVector<QPair<int, int>> bands = textBands(second);
    const auto below = std::find_if(bands.begin(), bands.end(),
                                    [](const QPair<int, int> &band) { return band.first > 225; });
    QVERIFY(below != bands.end() && bottom < below->first);
    for (int y = 0; y < first.height(); ++y)
        QVERIFY(first.pixel(5, y) != pictureBlue.rgb());
}

void TestPrintEntry::failureAbortsTheDocument()
{
    // Pages that cannot be changed: a meaning too long for one page fails the command,
    // and the document begun is aborted, not left open.
    class NoSecondPage : public ImagePageSink
    {
    public:
        using ImagePageSink::ImagePageSink;
        bool newPage(QPainter &) override { return false; }
    };
    Entry entry;
    entry.meaning->setLines(repeated(200, QStringLiteral("x")));
    NoSecondPage sink(a4, dpi);
    PrintStream stream;
    stream.assign(&sink);
    try {
        printEntry(stream, entry.blocks(), bluePicture());
        QFAIL("printed on one page");
    } catch (const InOutError &error) {
        QCOMPARE(error.message(), QStringLiteral("I/O error 101"));
    }
    QVERIFY(!stream.isOpen());
    QVERIFY(sink.aborted());
    QVERIFY(!sink.busy());

    // A sink busy with another document: "Printing in progress", the other left alone.
    ImagePageSink shared(QSize(100, 100), dpi);
    PrintStream first;
    first.assign(&shared);
    first.open();
    PrintStream second;
    second.assign(&shared);
    try {
        printEntry(second, entry.blocks(), QImage());
        QFAIL("printed over an open document");
    } catch (const PrinterError &error) {
        QCOMPARE(error.message(), QStringLiteral("Printing in progress"));
    }
    QVERIFY(first.isOpen());
    QVERIFY(!shared.aborted());
    first.close();
}

void TestPrintEntry::pdfFileHoldsTheBlocksInOrder()
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("entry.pdf"));

    Entry entry;
    entry.name->setPlainText(QStringLiteral("Abeja"));
    entry.meaning->setPlainText(QStringLiteral("Trabajo y ganancias."));
    entry.notes->setPlainText(QStringLiteral("Números 7 21 40"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    usePdfResolution(&printer);
    QCOMPARE(printer.resolution(), pdfDotsPerInch);
    PrinterPageSink sink(&printer);
    PrintStream stream;
    stream.assign(&sink);
    printEntry(stream, entry.blocks(), bluePicture());
    QVERIFY(QFileInfo(file).size() > 0);

    QProcess reader;
    reader.start(pdftotext,
                 {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")});
    QVERIFY(reader.waitForFinished(30000));
    QCOMPARE(reader.exitCode(), 0);
    const QString text = QString::fromUtf8(reader.readAllStandardOutput());
    const QStringList order = {QStringLiteral("Abeja"), QStringLiteral("Significado Onírico:"),
                               QStringLiteral("Trabajo y ganancias."),
                               QStringLiteral("Número(s) de la Suerte:"),
                               QStringLiteral("Números 7 21 40")};
    int at = -1;
    for (const QString &block : order) {
        const int next = text.indexOf(block, at + 1);
        QVERIFY2(next > at, qPrintable(block + QStringLiteral(" in: ") + text));
        at = next;
    }
    // Two pages of text never came out of one short entry.
    QCOMPARE(text.count(QLatin1Char('\f')), 1);
}

void TestPrintEntry::largePictureLeavesTheNameUncovered_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::newRow("an entry's own, as it is") << QSize(137, 177);
    QTest::newRow("taller than the band") << QSize(300, 400);
    QTest::newRow("wider than the page") << QSize(6000, 100);
}

// On the PDF page as a reader renders it: the picture at (0, 225) of the printable area,
// at its own size when it fits above the name, else as large as fits with its proportions.
void TestPrintEntry::largePictureLeavesTheNameUncovered()
{
    QFETCH(QSize, picture);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("entry.pdf"));
    Entry entry;
    entry.name->setPlainText(QStringLiteral("Abeja"));
    entry.meaning->setPlainText(QStringLiteral("Trabajo."));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    usePdfResolution(&printer);
    PrinterPageSink sink(&printer);
    PrintStream stream;
    stream.assign(&sink);
    printEntry(stream, entry.blocks(), bluePicture(picture));

    const QByteArray words =
        poppler(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
    const QByteArray png = poppler(QStringLiteral("pdftoppm"),
                                   {QStringLiteral("-r"), QString::number(dpi),
                                    QStringLiteral("-singlefile"), QStringLiteral("-png"), file});
    if (words.isEmpty() || png.isEmpty())
        QSKIP("pdftotext and pdftoppm (poppler-utils) are needed");
    const QRegularExpression abeja(QStringLiteral("yMin=\"([0-9.]+)\"[^>]*>Abeja<"));
    const QRegularExpressionMatch name = abeja.match(QString::fromUtf8(words));
    QVERIFY(name.hasMatch());
    const double nameTop = name.captured(1).toDouble() * dpi / 72;

    const QImage page = QImage::fromData(png).convertToFormat(QImage::Format_RGB32);
    QRect box; // the picture: bluish pixels
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (c.blue() > 200 && c.red() < 60 && c.green() < 60)
                box |= QRect(x, y, 1, 1);
        }
    const QRect area = printer.pageLayout().paintRectPixels(dpi);
    QVERIFY(std::abs(box.left() - area.left()) <= 1 && std::abs(box.top() - area.top() - 225) <= 1);
    QVERIFY2(box.bottom() < nameTop,
             qPrintable(
                 QStringLiteral("picture down to %1, name at %2").arg(box.bottom()).arg(nameTop)));
    if (picture.width() <= area.width() && picture.height() <= nameTop - area.top() - 225) {
        QVERIFY(std::abs(box.width() - picture.width()) <= 1);
        QVERIFY(std::abs(box.height() - picture.height()) <= 1);
        return;
    }
    // Scaled down to the room it has: across the page, or down to just above the name.
    QVERIFY(std::abs(box.width() - area.width()) <= 2 || nameTop - box.bottom() < 20);
    QVERIFY(
        std::abs(double(box.width()) / box.height() - double(picture.width()) / picture.height()) <
        0.05 * picture.width() / picture.height());
}

void TestPrintEntry::pdfFileFailures()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A file that cannot be written: the document does not begin.
    QPrinter nowhere(QPrinter::HighResolution);
    nowhere.setOutputFormat(QPrinter::PdfFormat);
    nowhere.setOutputFileName(dir.filePath(QStringLiteral("missing/folder/entry.pdf")));
    PrinterPageSink failing(&nowhere);
    PrintStream stream;
    stream.assign(&failing);
    try {
        stream.open();
        QFAIL("opened an unwritable file");
    } catch (const InOutError &error) {
        QCOMPARE(error.code(), int(PrintStream::WriteFault));
    }
    QVERIFY(!stream.isOpen());

    // A document aborted after it began leaves no file behind.
    const QString file = dir.filePath(QStringLiteral("aborted.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    PrinterPageSink sink(&printer);
    stream.assign(&sink);
    stream.open();
    stream.writeLine(QStringLiteral("Abeja"));
    stream.abort();
    QVERIFY(!QFile::exists(file));
    QCOMPARE(printer.printerState(), QPrinter::Idle);
    // The printer is free for the next document.
    stream.open();
    stream.writeLine(QStringLiteral("Abeja"));
    stream.close();
    QVERIFY(QFileInfo(file).size() > 0);
}

void TestPrintEntry::noPrinterLeadsToAPdfFile()
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        QSKIP("this system has printers");
    QPrinter printer(QPrinter::HighResolution);
    offerPdfFile(&printer, QStringLiteral("Casa/Vieja"));
    QCOMPARE(printer.outputFormat(), QPrinter::PdfFormat);
    QCOMPARE(QFileInfo(printer.outputFileName()).fileName(), QStringLiteral("Casa_Vieja.pdf"));
    offerPdfFile(&printer, QStringLiteral("  "));
    QCOMPARE(QFileInfo(printer.outputFileName()).fileName(), QStringLiteral("Noctambula.pdf"));

    // The real dialog, confirmed as it comes: it keeps the PDF file as the output.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("Abeja.pdf"));
    printer.setOutputFileName(file);
    Dialogs::Script::reset();
    bool offered = false;
    QTimer::singleShot(0, [&offered]() {
        auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        offered = dialog->testOption(QAbstractPrintDialog::PrintToFile);
        const auto boxes = dialog->findChildren<QDialogButtonBox *>();
        for (QDialogButtonBox *box : boxes) {
            for (QAbstractButton *button : box->buttons()) {
                if (box->buttonRole(button) == QDialogButtonBox::AcceptRole) {
                    button->click();
                    return;
                }
            }
        }
        dialog->reject();
    });
    QVERIFY(Dialogs::print(&printer));
    QVERIFY(offered);
    QCOMPARE(printer.outputFormat(), QPrinter::PdfFormat);
    QCOMPARE(printer.outputFileName(), file);
    QCOMPARE(printer.copyCount(), 1);
}

NOCTAMBU_TEST_MAIN(TestPrintEntry)
#include "tst_printentry.moc"
