#include "glyphs.h"

#include <QHash>

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
    return QPixmap(QStringLiteral(":/glyphs/") + name + QStringLiteral(".xpm"));
}

} // namespace Glyphs
