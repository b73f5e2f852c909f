#pragma once

#include <QByteArray>
#include <QString>

// Dictionary order of names: letters compared without accents and case first (ñ is a letter
// of its own, after n), then accents, then case (small letters first), then code points.
// The order is total: two names have equal sort keys only when they are equal.
// Not QCollator: its keys depend on the ICU version and locale data of the machine, so they
// cannot be stored in the table's index and compared later or elsewhere; these keys are the
// program's own and stay the same everywhere.
namespace Collation {

// A key whose byte order (memcmp) is the dictionary order of the names.
QByteArray sortKey(const QString &name);

// The first level of the key (letters without accents and case) of a text, without its
// terminator: every name that begins with |prefix| has a sort key beginning with it, and
// below it followed by the bytes FF FF.
QByteArray primaryPrefix(const QString &prefix);

// The names are kept in this Unicode normalisation form.
QString normalized(const QString &text);

} // namespace Collation
