#include "data/fields.h"

namespace {
const FieldDef defs[FieldCount] = {
    {"Imagen Onírica", FieldKind::String, 50, true, "Table1ImagenOnrica", "name"},
    {"Interpretación Onírica", FieldKind::Memo, 240, false, "Table1InterpretacinOnrica", "meaning"},
    {"Datos de Interés", FieldKind::Memo, 240, false, "Table1DatosdeInters", "notes"},
    {"Nº de Suerte", FieldKind::Memo, 5, false, "Table1NdeSuerte", "lucky"},
    {"Nº Afín", FieldKind::Memo, 5, false, "Table1NAfn", "affine"},
    {"Gráfico BMP", FieldKind::Graphic, 0, false, "Table1GrficoBMP", "picture"},
};
} // namespace

const FieldDef &fieldDef(int field)
{
    Q_ASSERT(field >= 0 && field < FieldCount);
    return defs[field];
}

bool isLineBreakOrTab(QChar c)
{
    switch (c.unicode()) {
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
    case 0x85:
    case QChar::LineSeparator:
    case QChar::ParagraphSeparator:
        return true;
    default:
        return false;
    }
}

QString fieldName(int field)
{
    return QString::fromUtf8(fieldDef(field).name);
}

namespace {
bool pairAt(const QString &text, int i)
{
    return text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
}
} // namespace

int codePointCount(const QString &text)
{
    int n = 0;
    for (int i = 0; i < text.size(); i += pairAt(text, i) ? 2 : 1)
        ++n;
    return n;
}

QString leftCodePoints(const QString &text, int n)
{
    int i = 0;
    for (int k = 0; k < n && i < text.size(); ++k)
        i += pairAt(text, i) ? 2 : 1;
    return text.left(i);
}
