#pragma once

// Helpers for looking at printed pages: where the ink is.

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QRect>
#include <QVector>

#include <cmath>

namespace PrintCheck {

inline bool isInk(QRgb pixel)
{
    return (pixel & 0xFFFFFF) != 0xFFFFFF;
}

// Horizontal bands of rows holding ink, top to bottom, within columns [left, right).
inline QVector<QRect> inkBands(const QImage &page, int left = 0, int right = -1)
{
    if (right < 0)
        right = page.width();
    QVector<QRect> bands;
    int start = -1;
    int minX = right;
    int maxX = -1;
    for (int y = 0; y <= page.height(); ++y) {
        bool ink = false;
        if (y < page.height()) {
            for (int x = left; x < right; ++x) {
                if (isInk(page.pixel(x, y))) {
                    ink = true;
                    minX = std::min(minX, x);
                    maxX = std::max(maxX, x);
                }
            }
        }
        if (ink && start < 0)
            start = y;
        if (!ink && start >= 0) {
            bands << QRect(QPoint(minX, start), QPoint(maxX, y - 1));
            start = -1;
            minX = right;
            maxX = -1;
        }
    }
    return bands;
}

// The bounding box of the ink in rect, or a null rect.
inline QRect inkBox(const QImage &page, const QRect &rect)
{
    QRect box;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (isInk(page.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

// The font that a point size gives on a page of dotsPerInch.
inline QFont fontOnPage(QFont font, int points, int dotsPerInch)
{
    font.setPixelSize(int(std::lround(points * dotsPerInch / 72.0)));
    return font;
}

inline int lineHeight(const QFont &font, QImage *page)
{
    return QFontMetrics(font, page).height();
}

} // namespace PrintCheck
