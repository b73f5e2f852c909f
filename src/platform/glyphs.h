#pragma once

#include <QPixmap>
#include <QString>

// The program's button pictures, kept as text images in the resources.
namespace Glyphs {
// The picture named name (file name without extension); null when there is none.
QPixmap pixmap(const QString &name);

// A picture of the program's own resources, read in the format its file name's suffix
// names: no image format plugin is loaded to probe the contents, which at start-up costs
// more than the decoding. Null when it cannot be read.
QPixmap fromResource(const QString &path);
} // namespace Glyphs
