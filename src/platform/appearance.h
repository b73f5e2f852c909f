#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

// The window library's named colours.
namespace Colors {
inline const QColor clNavy{0x00, 0x00, 0x80};
inline const QColor clMaroon{0x80, 0x00, 0x00};
inline const QColor clBlue{0x00, 0x00, 0xFF};
inline const QColor clRed{0xFF, 0x00, 0x00};
inline const QColor clGreen{0x00, 0x80, 0x00};
inline const QColor clSilver{0xC0, 0xC0, 0xC0};
inline const QColor clBlack{0x00, 0x00, 0x00};
inline const QColor clYellow{0xFF, 0xFF, 0x00};
inline const QColor clOlive{0x80, 0x80, 0x00};
inline const QColor clWhite{0xFF, 0xFF, 0xFF};
} // namespace Colors

// The desktop's system colours, each mapped to one palette role in one table.
enum class SystemColor {
    BtnFace,
    BtnShadow,
    BtnHighlight,
    GrayText,
    Light3D,
    ScrollBar,
    Window,
    WindowText,
    WindowFrame,
    Highlight,
    HighlightText
};

QPalette::ColorRole paletteRole(SystemColor color);
QPalette::ColorGroup paletteGroup(SystemColor color);
QColor systemColor(SystemColor color, const QPalette &palette);
QColor systemColor(SystemColor color); // from the application palette

// Font faces used by the windows. "Arial" maps to Liberation Sans; "MS Sans Serif" and
// "System" map to a sans face. installFontSubstitutions() registers the mapping once.
void installFontSubstitutions();
QFont makeFont(const QString &face, int pixelHeight, bool bold = false);
