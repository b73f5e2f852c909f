#pragma once

// The layout rules of the printout as a model for the tests: where each line of the blocks
// must land, and the bands of text ink that this gives on a page.

#include "dictionary/printentry.h"
#include "platform/printstream.h"
#include "printcheck.h"

#include <QPair>
#include <QString>
#include <QVector>

namespace PrintCheck {

constexpr int dpi = 300;
const QSize a4(2480, 3508);

// The tests' pictures are pure blue, drawn pixel for pixel; any other ink is text.
inline bool isTextInk(QRgb p)
{
    return isInk(p) && (p & 0xFFFFFF) != 0x0000FF;
}

// Rows holding text ink, as [top, bottom] bands.
inline QVector<QPair<int, int>> textBands(const QImage &page)
{
    QVector<QPair<int, int>> bands;
    int start = -1;
    for (int y = 0; y <= page.height(); ++y) {
        bool ink = false;
        if (y < page.height()) {
            const auto *row = reinterpret_cast<const QRgb *>(page.constScanLine(y));
            for (int x = 0; x < page.width() && !ink; ++x)
                ink = isTextInk(row[x]);
        }
        if (ink && start < 0)
            start = y;
        if (!ink && start >= 0) {
            bands.append({start, y - 1});
            start = -1;
        }
    }
    return bands;
}

// One line as the layout rules place it.
struct Placed
{
    int page;
    int top;
    QString text;
    QFont font; // on the page
};

// The layout rules, applied to blocks whose lines all fit the page's width.
inline QVector<Placed> expectedLayout(const QVector<PrintBlock> &blocks, QImage *probe, int height)
{
    QVector<Placed> placed;
    int page = 1;
    int y = 0;
    for (const PrintBlock &block : blocks) {
        const QFont paper = PrintStream::paperFont(block.font);
        const QFont font = fontOnPage(paper, paper.pointSize(), dpi);
        const int h = lineHeight(font, probe);
        for (const QString &line : block.lines) {
            if (!line.isEmpty())
                placed.append({page, y, line, font});
            y += line.isEmpty() ? h : h + 2;
            if (y > height - 2 * h) {
                ++page;
                y = 0;
            }
        }
    }
    return placed;
}

// The text bands the placed lines of one page make: each line's ink box, overlapping
// boxes merged.
inline QVector<QPair<int, int>> expectedBands(const QVector<Placed> &placed, int page,
                                              QImage *probe)
{
    QVector<QPair<int, int>> bands;
    for (const Placed &line : placed) {
        if (line.page != page)
            continue;
        const QFontMetrics metrics(line.font, probe);
        const QRect ink = metrics.tightBoundingRect(line.text);
        const int top = line.top + metrics.ascent() + ink.top();
        const int bottom = line.top + metrics.ascent() + ink.bottom();
        if (!bands.isEmpty() && top <= bands.last().second + 1)
            bands.last().second = std::max(bands.last().second, bottom);
        else
            bands.append({top, bottom});
    }
    return bands;
}

// Empty when the text on page pageNumber lies where the model puts it (one pixel of
// antialiasing allowed), otherwise the first difference.
inline QString bandMismatch(const QImage &page, const QVector<Placed> &placed, int pageNumber)
{
    QImage probe = page;
    const QVector<QPair<int, int>> expected = expectedBands(placed, pageNumber, &probe);
    const QVector<QPair<int, int>> actual = textBands(page);
    if (actual.size() != expected.size())
        return QStringLiteral("%1 bands of text, expected %2")
            .arg(actual.size())
            .arg(expected.size());
    for (int i = 0; i < actual.size(); ++i) {
        if (std::abs(actual[i].first - expected[i].first) > 1 ||
            std::abs(actual[i].second - expected[i].second) > 1)
            return QStringLiteral("band %1: %2-%3, expected %4-%5")
                .arg(i)
                .arg(actual[i].first)
                .arg(actual[i].second)
                .arg(expected[i].first)
                .arg(expected[i].second);
    }
    return QString();
}

} // namespace PrintCheck
