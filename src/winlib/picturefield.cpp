#include "picturefield.h"

#include "picturecodec.h"

#include <QBuffer>

namespace PictureField {

QImage decode(const QByteArray &stored)
{
    QImage picture;
    if (stored.isEmpty())
        return picture;
    const QByteArray bitmap = PictureCodec::bitmapFile(stored);
    if (PictureCodec::isDecodableBitmap(bitmap))
        picture.loadFromData(bitmap, "BMP");
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
