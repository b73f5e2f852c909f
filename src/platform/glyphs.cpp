#include "platform/glyphs.h"

#include <QFileInfo>
#include <QHash>
#include <QImageReader>

static void initGlyphResources()
{
    Q_INIT_RESOURCE(glyphs);
}

namespace Glyphs {

QPixmap pixmap(const QString &name)
{
    static bool initialised = false;
    if (!initialised) {
        initGlyphResources();
        initialised = true;
    }
    return fromResource(QStringLiteral(":/glyphs/") + name + QStringLiteral(".xpm"));
}

QPixmap fromResource(const QString &path)
{
    QImageReader reader(path, QFileInfo(path).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

} // namespace Glyphs
