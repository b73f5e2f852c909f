#include "platform/appearance.h"

#include <QGuiApplication>
#include <QStringList>

namespace {

// Where each of the desktop's system colours lives in a Qt palette. The colours follow the
// user's colour scheme because they are read from the palette at paint time, never cached.
//
// - BtnFace: the face of buttons and panels.
// - BtnShadow / BtnHighlight: the dark and light edges of 3-D elements (Dark / Light).
// - GrayText: text of disabled controls, the disabled group's WindowText.
// - Light3D: the inner light edge of 3-D elements (Midlight).
// - ScrollBar: the scroll-bar track; desktops paint it in the button face, so Button.
// - Window: the background of edit fields and lists (Base).
// - WindowText: text on windows, labels and controls (WindowText).
// - WindowFrame: the thin dark frame around windows and controls (Shadow).
// - Highlight / HighlightText: selected items.
struct SystemColorEntry
{
    SystemColor color;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

constexpr SystemColorEntry systemColorTable[] = {
    {SystemColor::BtnFace, QPalette::Active, QPalette::Button},
    {SystemColor::BtnShadow, QPalette::Active, QPalette::Dark},
    {SystemColor::BtnHighlight, QPalette::Active, QPalette::Light},
    {SystemColor::GrayText, QPalette::Disabled, QPalette::WindowText},
    {SystemColor::Light3D, QPalette::Active, QPalette::Midlight},
    {SystemColor::ScrollBar, QPalette::Active, QPalette::Button},
    {SystemColor::Window, QPalette::Active, QPalette::Base},
    {SystemColor::WindowText, QPalette::Active, QPalette::WindowText},
    {SystemColor::WindowFrame, QPalette::Active, QPalette::Shadow},
    {SystemColor::Highlight, QPalette::Active, QPalette::Highlight},
    {SystemColor::HighlightText, QPalette::Active, QPalette::HighlightedText},
};

const SystemColorEntry &entryFor(SystemColor color)
{
    for (const SystemColorEntry &entry : systemColorTable) {
        if (entry.color == color) {
            return entry;
        }
    }
    return systemColorTable[0];
}

// The faces the windows ask for and the faces that stand in for them.
struct FontSubstitution
{
    const char *face;
    const char *substitutes[2];
};

constexpr FontSubstitution fontSubstitutionTable[] = {
    {"Arial", {"Liberation Sans", "DejaVu Sans"}},
    {"MS Sans Serif", {"Liberation Sans", "DejaVu Sans"}},
    {"System", {"Liberation Sans", "DejaVu Sans"}},
};

} // namespace

QPalette::ColorRole paletteRole(SystemColor color)
{
    return entryFor(color).role;
}

QPalette::ColorGroup paletteGroup(SystemColor color)
{
    return entryFor(color).group;
}

QColor systemColor(SystemColor color, const QPalette &palette)
{
    const SystemColorEntry &entry = entryFor(color);
    return palette.color(entry.group, entry.role);
}

QColor systemColor(SystemColor color)
{
    return systemColor(color, QGuiApplication::palette());
}

void installFontSubstitutions()
{
    static const bool installed = [] {
        for (const FontSubstitution &sub : fontSubstitutionTable) {
            QStringList substitutes;
            for (const char *face : sub.substitutes) {
                substitutes << QString::fromLatin1(face);
            }
            QFont::insertSubstitutions(QString::fromLatin1(sub.face), substitutes);
        }
        return true;
    }();
    Q_UNUSED(installed)
}

QFont makeFont(const QString &face, int pixelHeight, bool bold)
{
    installFontSubstitutions();
    QFont font(face);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}
