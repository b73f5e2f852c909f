#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QStringList>
#include <QVector>

class PageSink;
class PrintStream;
class QPrinter;
class TMemo;

// The printout of the current entry: blocks of lines, each in the font and colour of the
// control it comes from, then the entry's picture.

// One block: the lines of one control, in its font (as given on screen) and text colour.
struct PrintBlock
{
    QFont font;
    QColor color;
    QStringList lines;
};

// A memo's block: its font, its text colour now and its display lines (as it shows them,
// wrapped at its width).
PrintBlock printBlock(const TMemo *memo);

// The controls of the main window that the printout is made of.
struct EntryPrintControls
{
    const TMemo *memo123 = nullptr;        // blank band at the top of the page
    const TMemo *name = nullptr;           // memo9
    const TMemo *memo1 = nullptr;          // spacer between the blocks
    const TMemo *interpretacion = nullptr; // heading of the meaning
    const TMemo *meaning = nullptr;        // memo10
    const TMemo *datos = nullptr;          // heading of the lucky numbers
    const TMemo *notes = nullptr;          // Memo11
};

// The nine blocks in print order: the band, the name, a spacer, the meaning's heading, the
// meaning, two spacers, the lucky numbers' heading, the notes.
QVector<PrintBlock> entryBlocks(const EntryPrintControls &controls);

// The hidden memos that exist only to be printed: their lines, font and colour. They stay
// hidden and do not wrap, so their lines print as given.
void setUpPrintMemos(TMemo *memo123, TMemo *memo1, TMemo *interpretacion, TMemo *datos);

// Where the picture goes on paper, in printer pixels from the top left of the page.
inline const QPoint picturePosition{0, 225};

// Prints on stream (assigned to its sink): opens it, writes every block in its font moved
// to paper, draws the picture at picturePosition one pixel to one printer pixel (nothing
// when it is null), closes it. A picture larger than the room between picturePosition and
// the first line with text below it, or wider than the page, is scaled down to fit that
// room, keeping its proportions, so that it covers no printed line. Errors of the printing
// layer propagate; a document already begun is then aborted.
void printEntry(PrintStream &stream, const QVector<PrintBlock> &blocks, const QImage &picture);

// Where the system offers no printer, the print dialog still leads to a file: printer is
// set to PDF output into a file named after the entry in the user's documents folder.
void offerPdfFile(QPrinter *printer, const QString &entryName);

// Resolution of PDF output, in dots per inch: that of the printers the page was laid out
// for, so that the picture sits in the blank band at the top.
constexpr int pdfDotsPerInch = 300;
// Sets a printer writing PDF to pdfDotsPerInch; a real printer keeps its own resolution.
void usePdfResolution(QPrinter *printer);

// Pages that the print command paints on in place of the printer chosen in the print
// dialog, for tests and for pictures of the printout; nullptr (the default) for the printer.
namespace PrintOutput {
PageSink *replacement();
void setReplacement(PageSink *pages);
} // namespace PrintOutput
