#pragma once

#include <QByteArray>
#include <QImage>

// A picture field's value as a picture and back; the stored form is PictureCodec's.
namespace PictureField {

// The picture a stored value holds: null when the value is empty or not a sound bitmap
// (PictureCodec::isDecodableBitmap), so that no stored value costs unbounded memory.
QImage decode(const QByteArray &stored);

// The stored form of a picture: the header and a bitmap file image.
QByteArray encode(const QImage &picture);

// Whether a picture is within the sizes that a stored value may claim.
bool fits(const QImage &picture);

} // namespace PictureField
