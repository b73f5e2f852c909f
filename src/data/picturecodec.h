#pragma once

#include <QByteArray>

// The stored form of a picture: an 8-byte header (16-bit count 1, 16-bit type 0x0100,
// 32-bit byte count, little-endian) followed by a complete bitmap file image.
namespace PictureCodec {

// The bitmap file image to store for a bitmap file image: the header and the bytes.
QByteArray encode(const QByteArray &bitmapFile);

// Writes the header for a bitmap file image of bitmapSize bytes at the start of a stored
// value (which holds HeaderSize bytes for it), so that a picture can be read into place.
constexpr int HeaderSize = 8;
void writeHeader(char *stored, quint32 bitmapSize);

// The bitmap file image inside a stored value: without the header when the header is
// valid, otherwise the whole value.
QByteArray bitmapFile(const QByteArray &stored);

// Whether bytes form a bitmap file image that is safe to decode: a known header, sane
// dimensions (at most MaxSide on each side, at most MaxPixels in all) and, for
// uncompressed bitmaps, enough pixel bytes for the dimensions it claims.
constexpr int MaxSide = 16384;
constexpr qint64 MaxPixels = 32 * 1024 * 1024;
// Checked before QImage sees the bytes: its bitmap reader would allocate whatever size a
// header claims, and pixel data that is too short would leave pixels undefined.
bool isDecodableBitmap(const QByteArray &bitmapFile, int *width = nullptr, int *height = nullptr);

// A bitmap that isDecodableBitmap accepts, with its pixels uncompressed: run-length pixels
// (8 or 4 bits) are expanded in place of the runs, and every pixel that no run sets takes
// colour 0, so that nothing of the picture is left undefined. Other bitmaps come back as
// they are.
QByteArray uncompressed(const QByteArray &bitmapFile);

} // namespace PictureCodec
