// The picture field's stored value, any bytes: the header taken off or kept, the bitmap
// checked before it is decoded, and a decoded picture stored again and read back the same.
#include "data/picturecodec.h"
#include "fuzz.h"
#include "platform/picturefield.h"

FUZZ_ENTRY
{
    const QByteArray stored(reinterpret_cast<const char *>(data), int(size));
    const QByteArray bitmap = PictureCodec::bitmapFile(stored);
    FUZZ_CHECK(bitmap == stored || bitmap == stored.mid(8));
    FUZZ_CHECK(PictureCodec::bitmapFile(PictureCodec::encode(stored)) == stored);

    int width = 0;
    int height = 0;
    const bool sound = PictureCodec::isDecodableBitmap(bitmap, &width, &height);
    const QImage picture = PictureField::decode(stored);
    FUZZ_CHECK(sound || picture.isNull());
    if (picture.isNull())
        return 0;
    // The picture is as large as the check was told, so its memory stays bounded.
    FUZZ_CHECK(picture.width() == width && picture.height() == height);
    FUZZ_CHECK(PictureField::fits(picture));

    const QImage back = PictureField::decode(PictureField::encode(picture));
    FUZZ_CHECK(back.size() == picture.size());
    FUZZ_CHECK(back.convertToFormat(QImage::Format_ARGB32) ==
               picture.convertToFormat(QImage::Format_ARGB32));
    return 0;
}
