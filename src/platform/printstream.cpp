#include "platform/printstream.h"

#include "platform/graphemes.h"

#include <QFile>
#include <QFontMetrics>
#include <QPrinter>
#include <QVector>

#include <algorithm>
#include <cmath>

namespace {

constexpr int screenDotsPerInch = 96;
constexpr int pointsPerInch = 72;
constexpr int lineGap = 2;         // printer pixels after a line with text
constexpr int tabStopInChars = 8;  // average character widths between tab stops
const QChar formFeed(QChar(0x0C)); // starts a new page

// The width of text as the painter draws it. The metrics take U+009C as the end of a text
// (Qt separates the variants of a string with it), where the painter draws it as any other
// character; and they give an embedded object (U+FFFC), whose place the painter leaves
// empty, a width of their own that can make a text measure narrower than its beginning.
// The parts are added unrounded (whole pixels per part would lose up to half a pixel each)
// and the sum is rounded as the metrics round a whole text.
int drawnWidth(const QFontMetrics &metrics, QString text)
{
    text.remove(QChar::ObjectReplacementCharacter);
    const QFontMetricsF exact(metrics);
    const QChar separator(0x9C);
    qreal width = qreal(text.count(separator)) * exact.horizontalAdvance(separator);
    for (const QString &part : text.split(separator))
        width += exact.horizontalAdvance(part);
    return qRound(width);
}

} // namespace

InOutError::InOutError(int code)
    : Error("EInOutError", QStringLiteral("I/O error %1").arg(code)), m_code(code)
{}

PageSink::~PageSink() = default;

// --- printer ---

bool PrinterPageSink::busy() const
{
    return m_printer->printerState() == QPrinter::Active || m_printer->paintingActive();
}

bool PrinterPageSink::beginDocument(QPainter &painter)
{
    m_printer->setDocName(QString());
    return painter.begin(m_printer);
}

bool PrinterPageSink::newPage(QPainter &)
{
    return m_printer->newPage();
}

bool PrinterPageSink::endDocument(QPainter &painter)
{
    return painter.end() && m_printer->printerState() != QPrinter::Error;
}

void PrinterPageSink::abortDocument(QPainter &painter)
{
    const bool aborted = m_printer->abort();
    if (painter.isActive())
        painter.end();
    // A file output cannot always be aborted; it is then ended, and the incomplete file
    // goes away.
    if (!aborted && m_printer->outputFormat() == QPrinter::PdfFormat &&
        !m_printer->outputFileName().isEmpty())
        QFile::remove(m_printer->outputFileName());
}

// --- images ---

ImagePageSink::ImagePageSink(QSize pageSize, int dotsPerInch) : m_size(pageSize), m_dpi(dotsPerInch)
{}

bool ImagePageSink::busy() const
{
    return !m_pages.empty() && m_pages.back().paintingActive();
}

bool ImagePageSink::beginPage(QPainter &painter)
{
    QImage page(m_size, QImage::Format_RGB32);
    if (page.isNull())
        return false;
    page.fill(Qt::white);
    const int dotsPerMeter = int(std::lround(m_dpi / 0.0254));
    page.setDotsPerMeterX(dotsPerMeter);
    page.setDotsPerMeterY(dotsPerMeter);
    m_pages.push_back(std::move(page));
    return painter.begin(&m_pages.back());
}

bool ImagePageSink::beginDocument(QPainter &painter)
{
    m_pages.clear();
    m_aborted = false;
    return beginPage(painter);
}

bool ImagePageSink::newPage(QPainter &painter)
{
    return painter.end() && beginPage(painter);
}

bool ImagePageSink::endDocument(QPainter &painter)
{
    return painter.end();
}

void ImagePageSink::abortDocument(QPainter &painter)
{
    if (painter.isActive())
        painter.end();
    m_aborted = true;
}

// --- the stream ---

PrintStream::~PrintStream()
{
    abort();
}

QFont PrintStream::paperFont(const QFont &screenFont)
{
    QFont font(screenFont);
    if (screenFont.pixelSize() > 0) {
        const int points =
            int(std::lround(double(screenFont.pixelSize()) * pointsPerInch / screenDotsPerInch));
        font.setPointSize(std::max(1, points));
    } else {
        font.setPointSize(std::max(1, int(std::lround(screenFont.pointSizeF()))));
    }
    return font;
}

void PrintStream::assign(PageSink *sink)
{
    if (m_open)
        throw PrinterError(QStringLiteral("Printing in progress"));
    m_sink = sink;
}

QFont PrintStream::deviceFont() const
{
    QFont font(m_font);
    const QPaintDevice *device = m_painter.device();
    if (m_font.pointSizeF() > 0 && device) {
        const double pixels = m_font.pointSizeF() * device->logicalDpiY() / pointsPerInch;
        font.setPixelSize(std::max(1, int(std::lround(pixels))));
    }
    return font;
}

void PrintStream::open()
{
    if (m_open || (m_sink && m_sink->busy()))
        throw PrinterError(QStringLiteral("Printing in progress"));
    if (!m_sink)
        throw InOutError(NotAssigned);
    if (!m_sink->beginDocument(m_painter)) {
        if (m_painter.isActive())
            m_sink->abortDocument(m_painter);
        throw InOutError(WriteFault);
    }
    m_open = true;
    m_page = 1;
    m_x = 0;
    m_y = 0;
    m_textTops.clear();
    m_painter.setFont(deviceFont());
    m_painter.setPen(m_color);
}

void PrintStream::setFont(const QFont &font, const QColor &color)
{
    m_font = font;
    m_color = color;
    if (m_open) {
        m_painter.setFont(deviceFont());
        m_painter.setPen(m_color);
    }
}

void PrintStream::requireOpen() const
{
    if (!m_open)
        throw InOutError(NotOpen);
}

void PrintStream::fail(int code)
{
    abort();
    throw InOutError(code);
}

void PrintStream::startNewPage()
{
    if (!m_sink->newPage(m_painter))
        fail(WriteFault);
    ++m_page;
    m_x = 0;
    m_y = 0;
    m_textTops.clear();
    // A sink may hand over a painter begun afresh on the new page.
    m_painter.setFont(deviceFont());
    m_painter.setPen(m_color);
}

void PrintStream::nextLine(int height, int gap)
{
    m_x = 0;
    m_y += height + gap;
    if (m_y > m_painter.device()->height() - 2 * height)
        startNewPage();
}

int PrintStream::pieceLength(const QFontMetrics &metrics, const QString &run, int room,
                             bool lineStart)
{
    return pieceLength(metrics, run, graphemeEnds(run), room, lineStart);
}

int PrintStream::pieceLength(const QFontMetrics &metrics, const QString &run,
                             const QVector<int> &ends, int room, bool lineStart)
{
    int low = 0; // characters known to fit
    int high = int(ends.size());
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (drawnWidth(metrics, run.left(ends[middle - 1])) <= room)
            low = middle;
        else
            high = middle - 1;
    }
    // Not even one character fits a whole line: it goes alone.
    if (low == 0 && lineStart && !ends.isEmpty())
        low = 1;
    return low > 0 ? ends[low - 1] : 0;
}

void PrintStream::writeLine(const QString &line)
{
    requireOpen();
    const QFontMetrics metrics = m_painter.fontMetrics();
    const int height = metrics.height();
    const int width = m_painter.device()->width();
    const int tabStop = std::max(1, tabStopInChars * metrics.averageCharWidth());

    // The line's characters are found once, over the whole line: Qt's finder can tell the
    // same text apart differently when it starts elsewhere (in scripts it tailors).
    const QVector<int> lineEnds = graphemeEnds(line);
    bool hasText = false; // anything written on the current output line
    int i = 0;
    while (i < line.size()) {
        const QChar c = line.at(i);
        if (c == formFeed) {
            startNewPage();
            hasText = false;
            ++i;
            continue;
        }
        if (c == QLatin1Char('\t')) {
            const int stop = (m_x / tabStop + 1) * tabStop;
            ++i;
            if (stop > width) {
                nextLine(height, lineGap);
                hasText = false;
            } else {
                m_x = stop;
                hasText = true;
            }
            continue;
        }
        int end = i;
        while (end < line.size() && line.at(end) != formFeed && line.at(end) != QLatin1Char('\t'))
            ++end;
        const QString run = line.mid(i, end - i);
        QVector<int> ends;
        for (const int at : lineEnds) {
            if (at > i && at < end)
                ends << at - i;
        }
        ends << end - i;
        const int length = pieceLength(metrics, run, ends, width - m_x, m_x == 0);
        if (length == 0) {
            // Nothing more fits behind a tab: the rest starts the next line.
            nextLine(height, lineGap);
            hasText = false;
            continue;
        }
        const QString piece = run.left(length);
        m_painter.drawText(QPoint(m_x, m_y + metrics.ascent()), piece);
        if (m_textTops.empty() || m_textTops.back() != m_y)
            m_textTops.push_back(m_y);
        m_x += drawnWidth(metrics, piece);
        hasText = true;
        i += length;
        if (length < run.size()) {
            nextLine(height, lineGap);
            hasText = false;
        }
    }
    if (hasText)
        nextLine(height, lineGap);
    else
        nextLine(height, 0);
}

QSize PrintStream::pageSize() const
{
    requireOpen();
    return {m_painter.device()->width(), m_painter.device()->height()};
}

int PrintStream::textTopFrom(int y) const
{
    const auto below = std::lower_bound(m_textTops.begin(), m_textTops.end(), y);
    return below != m_textTops.end() ? *below : pageSize().height();
}

void PrintStream::drawImage(QPoint position, const QImage &image)
{
    requireOpen();
    if (image.isNull())
        return;
    m_painter.drawImage(QRect(position, image.size()), image);
}

void PrintStream::close()
{
    requireOpen();
    m_open = false;
    if (!m_sink->endDocument(m_painter)) {
        m_sink->abortDocument(m_painter);
        throw InOutError(WriteFault);
    }
}

void PrintStream::abort()
{
    if (!m_open)
        return;
    m_open = false;
    m_sink->abortDocument(m_painter);
}
