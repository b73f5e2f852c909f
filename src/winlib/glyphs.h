#pragma once

#include <QPixmap>
#include <QString>

// The program's button pictures, kept as text images in the resources.
namespace Glyphs {
// The picture named name (file name without extension); null when there is none.
QPixmap pixmap(const QString &name);
} // namespace Glyphs
