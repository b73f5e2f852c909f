#include "data/picturecodec.h"

#include <QtEndian>

#include <algorithm>

namespace PictureCodec {
namespace {

constexpr quint16 HeaderCount = 1;
constexpr quint16 HeaderType = 0x0100;
constexpr int FileHeader = 14;
constexpr quint32 Rle8 = 1;
constexpr quint32 Rle4 = 2;

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

void putU32(QByteArray &b, int at, quint32 value)
{
    qToLittleEndian<quint32>(value, reinterpret_cast<uchar *>(b.data()) + at);
}

// Run-length pixels drawn into rows of plain pixels, in the order the rows are stored.
class RunExpander
{
public:
    RunExpander(int width, int height, int bpp)
        : m_width(width), m_height(height), m_bpp(bpp), m_stride(((width * bpp + 31) / 32) * 4),
          m_pixels(QByteArray(m_stride * height, '\0'))
    {}

    QByteArray expand(const uchar *runs, qint64 size)
    {
        qint64 at = 0;
        while (at + 1 < size && m_y < m_height) {
            const int count = runs[at];
            const int value = runs[at + 1];
            at += 2;
            if (count > 0) { // a run of one value (4 bits: two values in turn)
                for (int i = 0; i < count; ++i)
                    put(m_bpp == 8 ? value : (i % 2 ? value & 0x0F : value >> 4));
            } else if (value == 0) { // end of the row
                m_x = 0;
                ++m_y;
            } else if (value == 1) { // end of the picture
                break;
            } else if (value == 2) { // a move right and down
                if (at + 1 >= size)
                    break;
                m_x = std::min(m_x + runs[at], m_width);
                m_y += runs[at + 1];
                at += 2;
            } else { // that many pixels as they are, padded to an even number of bytes
                const qint64 bytes = m_bpp == 8 ? value : (value + 1) / 2;
                for (int i = 0; i < value && at + i * m_bpp / 8 < size; ++i) {
                    const int byte = runs[at + i * m_bpp / 8];
                    put(m_bpp == 8 ? byte : (i % 2 ? byte & 0x0F : byte >> 4));
                }
                at += bytes + (bytes & 1);
            }
        }
        return m_pixels;
    }

private:
    // Sets the pixel at the position reached and moves on; pixels beyond the row are lost.
    void put(int value)
    {
        if (m_x >= m_width)
            return;
        char &byte = m_pixels.data()[m_y * m_stride + (m_bpp == 8 ? m_x : m_x / 2)];
        if (m_bpp == 8)
            byte = char(value);
        else
            byte = char(m_x % 2 ? (byte & 0xF0) | value : (byte & 0x0F) | value << 4);
        ++m_x;
    }

    int m_width;
    int m_height;
    int m_bpp;
    int m_stride;
    QByteArray m_pixels;
    int m_x = 0;
    int m_y = 0;
};

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
    } else if (!((compression == Rle8 && bpp == 8) || (compression == Rle4 && bpp == 4))) {
        return false; // only run-length variants besides plain pixels
    }
    if (width)
        *width = int(w);
    if (height)
        *height = int(h);
    return true;
}

QByteArray uncompressed(const QByteArray &b)
{
    int width = 0;
    int height = 0;
    if (!isDecodableBitmap(b, &width, &height) || u32(b, 14) < 40)
        return b;
    const quint32 compression = u32(b, 30);
    if (compression != Rle8 && compression != Rle4)
        return b;
    const int pixelOffset = int(u32(b, 10));
    RunExpander expander(width, height, compression == Rle8 ? 8 : 4);
    const QByteArray pixels = expander.expand(
        reinterpret_cast<const uchar *>(b.constData()) + pixelOffset, b.size() - pixelOffset);
    QByteArray out = b.left(pixelOffset) + pixels;
    putU32(out, 2, quint32(out.size()));
    putU32(out, 30, 0);                      // plain pixels
    putU32(out, 34, quint32(pixels.size())); // their size
    return out;
}

} // namespace PictureCodec
