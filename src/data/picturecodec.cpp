#include "picturecodec.h"

#include <QtEndian>

namespace PictureCodec {
namespace {

constexpr quint16 HeaderCount = 1;
constexpr quint16 HeaderType = 0x0100;

quint16 u16(const QByteArray &b, int at)
{
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar *>(b.constData()) + at);
}
quint32 u32(const QByteArray &b, int at)
{
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar *>(b.constData()) + at);
}
qint32 s32(const QByteArray &b, int at)
{
    return qFromLittleEndian<qint32>(reinterpret_cast<const uchar *>(b.constData()) + at);
}

} // namespace

void writeHeader(char *stored, quint32 bitmapSize)
{
    uchar *p = reinterpret_cast<uchar *>(stored);
    qToLittleEndian<quint16>(HeaderCount, p);
    qToLittleEndian<quint16>(HeaderType, p + 2);
    qToLittleEndian<quint32>(bitmapSize, p + 4);
}

QByteArray encode(const QByteArray &bitmapFile)
{
    QByteArray out(HeaderSize, '\0');
    writeHeader(out.data(), quint32(bitmapFile.size()));
    out.append(bitmapFile);
    return out;
}

QByteArray bitmapFile(const QByteArray &stored)
{
    if (stored.size() >= HeaderSize && u16(stored, 0) == HeaderCount &&
        u16(stored, 2) == HeaderType && qint64(u32(stored, 4)) == qint64(stored.size()) - 8)
        return stored.mid(HeaderSize);
    return stored;
}

bool isDecodableBitmap(const QByteArray &b, int *width, int *height)
{
    constexpr int FileHeader = 14;
    if (b.size() < FileHeader + 12 || b.at(0) != 'B' || b.at(1) != 'M')
        return false;
    const quint32 pixelOffset = u32(b, 10);
    const quint32 infoSize = u32(b, 14);
    qint64 w = 0;
    qint64 h = 0;
    int bpp = 0;
    quint32 compression = 0;
    if (infoSize == 12) { // OS/2 core header
        w = u16(b, 18);
        h = u16(b, 20);
        bpp = u16(b, 24);
    } else if (infoSize >= 40 && infoSize <= 124 && b.size() >= FileHeader + 40) {
        w = s32(b, 18);
        h = s32(b, 22);
        if (h < 0)
            h = -h; // top-down rows
        bpp = u16(b, 28);
        compression = u32(b, 30);
    } else {
        return false;
    }
    if (w <= 0 || h <= 0 || w > MaxSide || h > MaxSide || w * h > MaxPixels)
        return false;
    switch (bpp) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return false;
    }
    if (pixelOffset < FileHeader + infoSize || pixelOffset > quint32(b.size()))
        return false;
    // Uncompressed (or bit-field) pixels must all be present for the size claimed.
    if (compression == 0 || compression == 3) {
        const qint64 stride = ((w * bpp + 31) / 32) * 4;
        if (qint64(pixelOffset) + stride * h > b.size())
            return false;
    } else if (compression != 1 && compression != 2) {
        return false; // only run-length variants besides plain pixels
    }
    if (width)
        *width = int(w);
    if (height)
        *height = int(h);
    return true;
}

} // namespace PictureCodec
