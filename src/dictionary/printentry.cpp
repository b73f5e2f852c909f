#include "dictionary/printentry.h"

#include "controls/memo.h"
#include "platform/appearance.h"
#include "platform/printstream.h"

#include <QDir>
#include <QPrinter>
#include <QStandardPaths>

namespace {

// The hidden memos' contents: a dot, empty lines, a dot.
QStringList spacer(int emptyLines)
{
    QStringList lines;
    lines << QStringLiteral(".");
    for (int i = 0; i < emptyLines; ++i)
        lines << QString();
    lines << QStringLiteral(".");
    return lines;
}

void setUpPrintMemo(TMemo *memo, const QFont &font, const QStringList &lines)
{
    memo->setFont(font);
    memo->setFontColor(Colors::clBlack);
    memo->setWordWrap(false);
    memo->setReadOnly(true);
    memo->setLines(lines);
    memo->hide();
}

PageSink *replacementPages = nullptr;

// The picture as it goes on paper: at its own size when it fits the room below its place,
// down to the first line with text there and across the page; otherwise scaled down,
// keeping its proportions, to fit that room.
QImage fittedPicture(const PrintStream &stream, const QImage &picture)
{
    const QSize room(stream.pageSize().width() - picturePosition.x(),
                     stream.textTopFrom(picturePosition.y()) - picturePosition.y());
    if (picture.isNull() || (picture.width() <= room.width() && picture.height() <= room.height()))
        return picture;
    return picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

PrintBlock printBlock(const TMemo *memo)
{
    return {memo->font(), memo->currentTextColor(), memo->displayLines()};
}

QVector<PrintBlock> entryBlocks(const EntryPrintControls &c)
{
    const PrintBlock spacer = printBlock(c.memo1);
    return {printBlock(c.memo123),
            printBlock(c.name),
            spacer,
            printBlock(c.interpretacion),
            printBlock(c.meaning),
            spacer,
            spacer,
            printBlock(c.datos),
            printBlock(c.notes)};
}

void setUpPrintMemos(TMemo *memo123, TMemo *memo1, TMemo *interpretacion, TMemo *datos)
{
    const QFont dot = makeFont(QStringLiteral("Arial"), 1);
    const QFont heading = makeFont(QStringLiteral("System"), 13, true);
    setUpPrintMemo(memo123, dot, spacer(98));
    setUpPrintMemo(memo1, dot, spacer(13));
    setUpPrintMemo(interpretacion, heading, {QStringLiteral("Significado Onírico:")});
    setUpPrintMemo(datos, heading, {QStringLiteral("Número(s) de la Suerte:")});
}

void printEntry(PrintStream &stream, const QVector<PrintBlock> &blocks, const QImage &picture)
{
    try {
        stream.open();
        for (const PrintBlock &block : blocks) {
            stream.setFont(PrintStream::paperFont(block.font), block.color);
            for (const QString &line : block.lines)
                stream.writeLine(line);
        }
        stream.drawImage(picturePosition, fittedPicture(stream, picture));
        stream.close();
    } catch (...) {
        stream.abort();
        throw;
    }
}

void offerPdfFile(QPrinter *printer, const QString &entryName)
{
    QString base;
    for (const QChar c : entryName.trimmed()) {
        const bool keep = c.isLetterOrNumber() || c == QLatin1Char(' ') || c == QLatin1Char('-');
        base += keep ? c : QChar(QLatin1Char('_'));
    }
    if (base.trimmed().isEmpty())
        base = QStringLiteral("Noctambula");
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QDir(folder).filePath(base + QStringLiteral(".pdf")));
}

void usePdfResolution(QPrinter *printer)
{
    if (printer->outputFormat() == QPrinter::PdfFormat)
        printer->setResolution(pdfDotsPerInch);
}

namespace PrintOutput {

PageSink *replacement()
{
    return replacementPages;
}

void setReplacement(PageSink *pages)
{
    replacementPages = pages;
}

} // namespace PrintOutput
