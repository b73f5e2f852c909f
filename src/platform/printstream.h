#pragma once

#include "data/errors.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QSize>
#include <QVector>

#include <vector>

class QFontMetrics;
class QPrinter;

// Errors of the printing layer.
class PrinterError : public Error
{
public:
    explicit PrinterError(QString message) : Error("EPrinter", std::move(message)) {}
};

// A failed check of the print stream's error state: "I/O error" with the code.
class InOutError : public Error
{
public:
    explicit InOutError(int code);
    int code() const noexcept { return m_code; }

private:
    int m_code;
};

// Where a printed document goes, page by page. The stream paints every page with one
// QPainter; a sink begins that painter on its first page, moves it on to fresh pages and
// ends the document. The painter's device is the printable area: (0, 0) is its top left
// corner and the device's width and height are its size.
class PageSink
{
public:
    virtual ~PageSink();

    // True while a document is being painted on the sink's device.
    virtual bool busy() const = 0;
    // Begins a document with painter active on its first page. False on failure.
    virtual bool beginDocument(QPainter &painter) = 0;
    // Ends the page being painted; painter goes on on a fresh page. False on failure.
    virtual bool newPage(QPainter &painter) = 0;
    // Ends the document and hands it over. False on failure.
    virtual bool endDocument(QPainter &painter) = 0;
    // Drops a begun document, leaving the device free for the next one.
    virtual void abortDocument(QPainter &painter) = 0;
};

// The pages of a printer (a real one or a PDF file).
class PrinterPageSink : public PageSink
{
public:
    explicit PrinterPageSink(QPrinter *printer) : m_printer(printer) {}

    bool busy() const override;
    bool beginDocument(QPainter &painter) override;
    bool newPage(QPainter &painter) override;
    bool endDocument(QPainter &painter) override;
    void abortDocument(QPainter &painter) override;

private:
    QPrinter *m_printer;
};

// Pages printed onto images, one image per page, all of one size and resolution. For
// looking at a printout and for checking where things land on paper.
class ImagePageSink : public PageSink
{
public:
    ImagePageSink(QSize pageSize, int dotsPerInch);

    const std::vector<QImage> &pages() const { return m_pages; }
    bool aborted() const { return m_aborted; }
    int dotsPerInch() const { return m_dpi; }

    bool busy() const override;
    bool beginDocument(QPainter &painter) override;
    bool newPage(QPainter &painter) override;
    bool endDocument(QPainter &painter) override;
    void abortDocument(QPainter &painter) override;

private:
    bool beginPage(QPainter &painter);

    QSize m_size;
    int m_dpi;
    std::vector<QImage> m_pages;
    bool m_aborted = false;
};

// The print text stream: lines of text written one after the other onto the pages of a
// sink, in the current font, plus pictures drawn at printer-pixel positions.
//
// Layout: lines start at the left edge of the printable area, the first at its top. After a
// line with text the next starts lower by the text's height plus 2 printer pixels, after an
// empty line lower by the font's height. A line wider than the printable width is broken
// after the last character that still fits, the rest going on the next line; a character
// is what the reader sees as one (a letter with its accents, a flag, an emoji sequence) and
// is never split. When the next
// line would start below the printable height less twice the height of the line just
// written, printing goes on at the top of a new page. A tab moves on to the next tab stop,
// stops lying eight average character widths apart; a form feed starts a new page.
//
// Every failure throws: PrinterError "Printing in progress" when a document is already
// open on the sink, InOutError otherwise. A document already begun when a later step fails
// is aborted, never left open; so is one still open when the stream is destroyed.
class PrintStream
{
public:
    PrintStream() = default;
    ~PrintStream();
    PrintStream(const PrintStream &) = delete;
    PrintStream &operator=(const PrintStream &) = delete;

    void assign(PageSink *sink); // the sink of the next document
    void open();                 // begins a document
    void setFont(const QFont &font, const QColor &color = Qt::black);
    void writeLine(const QString &line);
    void drawImage(QPoint position, const QImage &image); // one image pixel per device pixel
    void close();                                         // ends the document
    void abort();                                         // drops an open document

    bool isOpen() const { return m_open; }
    int pageNumber() const { return m_page; } // 1 for the first page of the open document
    QPoint position() const { return {m_x, m_y}; }
    // The printable area of the open document's pages, in printer pixels.
    QSize pageSize() const;
    // Where the first line with text at or below y begins on the current page; the page's
    // height when no text was written there.
    int textTopFrom(int y) const;

    // A screen font moved to paper: a pixel height at 96 pixels per inch becomes the same
    // size in whole points (13 px give 10 pt, 1 px gives 1 pt); face and style stay. Fonts
    // given in points keep their size, rounded to a whole point.
    static QFont paperFont(const QFont &screenFont);

    // The length, in UTF-16 units, of the longest start of run made of whole characters
    // whose width is at most room; at the start of a line at least the first character.
    // ends: where run's characters end (graphemeEnds of run, or of the line it is cut from,
    // made relative to run; the last is run's size).
    static int pieceLength(const QFontMetrics &metrics, const QString &run,
                           const QVector<int> &ends, int room, bool lineStart);
    static int pieceLength(const QFontMetrics &metrics, const QString &run, int room,
                           bool lineStart);

    // The error codes of the failed checks.
    enum IoCode { WriteFault = 101, NotAssigned = 102, NotOpen = 103 };

private:
    QFont deviceFont() const;
    void requireOpen() const;
    void fail(int code);
    void nextLine(int height, int gap);
    void startNewPage();

    PageSink *m_sink = nullptr;
    QPainter m_painter;
    QFont m_font{QStringLiteral("Arial"), 10};
    QColor m_color = Qt::black;
    bool m_open = false;
    int m_page = 0;
    int m_x = 0;
    int m_y = 0;
    std::vector<int> m_textTops; // tops of the lines with text on the current page
};
