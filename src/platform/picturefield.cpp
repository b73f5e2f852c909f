#include "platform/picturefield.h"

#include "data/picturecodec.h"

#include <QBuffer>

namespace PictureField {

QImage decode(const QByteArray &stored)
{
    QImage picture;
    if (stored.isEmpty())
        return picture;
    const QByteArray bitmap = PictureCodec::bitmapFile(stored);
    // Run-length pixels are expanded here, so that pixels the runs leave out are defined.
    if (PictureCodec::isDecodableBitmap(bitmap))
        picture.loadFromData(PictureCodec::uncompressed(bitmap), "BMP");
    // Pixels may name colours beyond a short colour table: those are black.
    if (picture.depth() <= 8 && !picture.isNull()) {
        QVector<QRgb> colors = picture.colorTable();
        while (colors.size() < (1 << picture.depth()))
            colors.append(qRgb(0, 0, 0));
        picture.setColorTable(colors);
    }
    return picture;
}

QByteArray encode(const QImage &picture)
{
    QByteArray bitmap;
    QBuffer buffer(&bitmap);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "BMP");
    return PictureCodec::encode(bitmap);
}

bool fits(const QImage &picture)
{
    return picture.width() <= PictureCodec::MaxSide && picture.height() <= PictureCodec::MaxSide &&
           qint64(picture.width()) * picture.height() <= PictureCodec::MaxPixels;
}

} // namespace PictureField
