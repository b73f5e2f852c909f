#pragma once

#include <QString>

// The six fields of a dream entry, in table order.
enum Field : int {
    ImagenOnirica = 0,     // "Imagen Onírica", string of 50 characters, required key
    InterpretacionOnirica, // "Interpretación Onírica", memo
    DatosDeInteres,        // "Datos de Interés", memo
    NDeSuerte,             // "Nº de Suerte", memo
    NAfin,                 // "Nº Afín", memo
    GraficoBMP,            // "Gráfico BMP", picture blob
    FieldCount
};

enum class FieldKind { String, Memo, Graphic };

struct FieldDef
{
    const char *name; // field name as the user sees it (UTF-8)
    FieldKind kind;
    int size; // declared size; memo texts are not limited by it
    bool required;
    const char *objectName; // name of the field object
    const char *column;     // storage column
};

const FieldDef &fieldDef(int field);
QString fieldName(int field);

// A tab or a line break (line feed, carriage return, vertical tab, form feed, next line,
// line or paragraph separator): a name holds none of them.
bool isLineBreakOrTab(QChar c);

// A name holds at most this many characters, counted as Unicode code points everywhere: in
// the table, in an imported file and in the name editor.
constexpr int NameMaxLength = 50;

// The characters (code points) of a text; a surrogate pair counts as one.
int codePointCount(const QString &text);
// The first n characters (code points) of a text, never splitting a surrogate pair.
QString leftCodePoints(const QString &text, int n);
