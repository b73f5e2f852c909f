// The print layout over any text: lines with tabs and form feeds, any font size, pages down
// to a few pixels. The layout ends, places every character of the text exactly once (tabs
// and form feeds only move on), breaks lines only between characters as the reader sees
// them, and keeps each piece within the page's width unless it is a single character wider
// than the page.
#include "dictionary/printentry.h"
#include "fuzz.h"
#include "platform/appearance.h"
#include "platform/graphemes.h"
#include "platform/printstream.h"

#include <QGuiApplication>
#include <QPaintEngine>

#include <algorithm>
#include <vector>

namespace {

struct Piece
{
    int page;
    qreal baseline;
    qreal right;
    QString text;
};

// A paint engine that keeps the text drawn and nothing else.
class TextRecorder : public QPaintEngine
{
public:
    TextRecorder() : QPaintEngine(AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawTextItem(const QPointF &at, const QTextItem &item) override
    {
        pieces.push_back({page, at.y(), at.x() + item.width(), item.text()});
    }
    Type type() const override { return User; }

    int page = 1;
    std::vector<Piece> pieces;
};

// Pages of one size and resolution that keep what is printed on them.
class RecordedPages : public QPaintDevice, public PageSink
{
public:
    RecordedPages(QSize size, int dpi) : m_size(size), m_dpi(dpi) {}

    const TextRecorder &recorder() const { return m_engine; }

    QPaintEngine *paintEngine() const override { return &m_engine; }
    bool busy() const override { return paintingActive(); }
    bool beginDocument(QPainter &painter) override { return painter.begin(this); }
    bool newPage(QPainter &) override
    {
        ++m_engine.page;
        return true;
    }
    bool endDocument(QPainter &painter) override { return painter.end(); }
    void abortDocument(QPainter &painter) override
    {
        if (painter.isActive())
            painter.end();
    }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return m_size.width() * 254 / 10 / m_dpi;
        case PdmHeightMM:
            return m_size.height() * 254 / 10 / m_dpi;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return m_dpi;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        default: // the device pixel ratio, scaled
            return int(devicePixelRatioFScale());
        }
    }

private:
    QSize m_size;
    int m_dpi;
    mutable TextRecorder m_engine;
};

// Whether the painter draws a character of a line as text: tabs and form feeds only move
// on, and it leaves the place of an embedded object (U+FFFC) empty.
bool drawn(QChar c)
{
    return c != QLatin1Char('\t') && c != QChar(0x0C) && c != QLatin1Char('\n') &&
           c != QChar::ObjectReplacementCharacter;
}

QString sorted(QString text)
{
    std::sort(text.begin(), text.end());
    return text;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    fuzz::startApplication<QGuiApplication>("fuzz-printlayout");
    return 0;
}

FUZZ_ENTRY
{
    fuzz::Input in(data, size);
    const int dpis[] = {72, 96, 150, 300, 600};
    const int dpi = dpis[in.below(5)];
    const int width = 1 + int(in.below(3000));
    const QSize page(width, 1 + int(in.below(4000)));
    PrintBlock block;
    const bool sans = in.flag();
    block.font = makeFont(sans ? QStringLiteral("Arial") : QStringLiteral("Liberation Serif"),
                          1 + int(in.below(120)));
    block.color = Qt::black;
    const QString text = QString::fromUtf8(in.rest());
    block.lines = text.split(QLatin1Char('\n'));

    RecordedPages pages(page, dpi);
    PrintStream stream;
    stream.assign(&pages);
    printEntry(stream, {block}, QImage());

    // The characters drawn, with where each is in the text.
    QString expected;
    QVector<int> origin;
    for (int i = 0; i < text.size(); ++i) {
        if (drawn(text.at(i))) {
            expected += text.at(i);
            origin << i;
        }
    }
    // Characters as the reader sees them, found line by line as the stream finds them.
    QVector<bool> boundary(text.size() + 1, false);
    boundary[0] = true;
    for (int lineStart = 0; lineStart <= text.size();) {
        int lineEnd = int(text.indexOf(QLatin1Char('\n'), lineStart));
        if (lineEnd < 0)
            lineEnd = int(text.size());
        for (const int end : graphemeEnds(text.mid(lineStart, lineEnd - lineStart)))
            boundary[lineStart + end] = true;
        boundary[lineEnd] = true;
        lineStart = lineEnd + 1;
    }

    // Pieces on one baseline of one page form a printed line (right-to-left runs in it are
    // drawn in visual order). A printed line ends between two characters of the text, and
    // fits the width (measured in whole pixels) unless it is one character wider than it.
    const auto breakAfter = [&](int from, int to) { // a boundary in (from, to]
        return std::find(boundary.begin() + from + 1, boundary.begin() + to + 1, true) !=
               boundary.begin() + to + 1;
    };
    const std::vector<Piece> &pieces = pages.recorder().pieces;
    QString placed;
    int lineStart = 0;
    qreal right = 0;
    for (std::size_t k = 0; k <= pieces.size(); ++k) {
        const bool lineEnds =
            k == pieces.size() || (k > 0 && (pieces[k].page != pieces[k - 1].page ||
                                             pieces[k].baseline != pieces[k - 1].baseline));
        if (lineEnds && k > 0) {
            const int end = placed.size();
            FUZZ_CHECK(end > lineStart && end <= expected.size());
            FUZZ_CHECK(right < width + 1 || !breakAfter(origin[lineStart], origin[end - 1]));
            if (k < pieces.size()) {
                FUZZ_CHECK(pieces[k].page >= pieces[k - 1].page && end < expected.size());
                FUZZ_CHECK(breakAfter(origin[end - 1], origin[end]));
            }
            lineStart = end;
            right = 0;
        }
        if (k == pieces.size())
            break;
        right = std::max(right, pieces[k].right);
        placed += pieces[k].text;
    }
    FUZZ_CHECK(sorted(placed) == sorted(expected));
    // A page is begun at most for each character, tab, form feed and line.
    FUZZ_CHECK(pages.recorder().page <= 2 + 2 * text.size());
    // The font cache lets go of engines on its timer, as the program's event loop would.
    QCoreApplication::processEvents();
    return 0;
}
