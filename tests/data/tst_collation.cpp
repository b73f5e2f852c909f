#include "data/collation.h"
#include "data/picturecodec.h"

#include <QtTest>

#include <algorithm>

class TestCollation : public QObject
{
    Q_OBJECT
private slots:
    void dictionaryOrder();
    void orderIsTotal();
    void prefixRange();
    void pictureHeaders();
    void malformedPictures();
    void runLengthPixels();
};

void TestCollation::dictionaryOrder()
{
    // Letters first without accents and case, ñ after n; then accents; then case.
    const QStringList expected = {
        QStringLiteral("Abeja"),    QStringLiteral("agua"),   QStringLiteral("Agua"),
        QStringLiteral("Aguacero"), QStringLiteral("Águila"), QStringLiteral("Nube"),
        QStringLiteral("Nudo"),     QStringLiteral("Ñandú"),  QStringLiteral("Oso"),
        QStringLiteral("Papa"),     QStringLiteral("papá"),   QStringLiteral("Papá"),
        QStringLiteral("Pez"),      QStringLiteral("Zorro"),
    };
    QStringList shuffled = expected;
    std::reverse(shuffled.begin(), shuffled.end());
    std::stable_sort(shuffled.begin(), shuffled.end(), [](const QString &a, const QString &b) {
        return Collation::sortKey(a) < Collation::sortKey(b);
    });
    QCOMPARE(shuffled, expected);
}

void TestCollation::orderIsTotal()
{
    // Different names never share a key, also when they differ only in composition.
    QCOMPARE(Collation::sortKey(QStringLiteral("Cafe\u0301")),
             Collation::sortKey(QStringLiteral("Café")));
    QVERIFY(Collation::sortKey(QStringLiteral("Ana")) != Collation::sortKey(QStringLiteral("ana")));
    QVERIFY(Collation::sortKey(QStringLiteral("a b")) != Collation::sortKey(QStringLiteral("ab")));
}

void TestCollation::prefixRange()
{
    // Every name beginning with a text has a key beginning with the text's first level.
    const QByteArray p = Collation::primaryPrefix(QStringLiteral("Agu"));
    for (const char *n : {"Agua", "agua", "Aguacero", "Agüero", "AGUJA"})
        QVERIFY2(Collation::sortKey(QString::fromUtf8(n)).startsWith(p), n);
    QVERIFY(!Collation::sortKey(QStringLiteral("Ana")).startsWith(p));
}

// Writes little-endian values into a byte array at a position.
static void put(QByteArray &b, int at, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b[at + i] = char((value >> (8 * i)) & 0xFF);
}

static QByteArray bitmap(int w, int h, int bpp)
{
    const int stride = ((w * bpp + 31) / 32) * 4;
    const int palette = bpp <= 8 ? (1 << bpp) * 4 : 0;
    QByteArray b(14 + 40 + palette + stride * h, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put(b, 2, quint32(b.size()), 4);
    put(b, 10, quint32(14 + 40 + palette), 4);
    put(b, 14, 40, 4);
    put(b, 18, quint32(w), 4);
    put(b, 22, quint32(h), 4);
    put(b, 26, 1, 2);
    put(b, 28, quint32(bpp), 2);
    return b;
}

void TestCollation::pictureHeaders()
{
    const QByteArray bmp = bitmap(137, 177, 8);
    const QByteArray stored = PictureCodec::encode(bmp);
    QCOMPARE(stored.size(), bmp.size() + 8);
    QCOMPARE(stored.left(8), QByteArray("\x01\x00\x00\x01", 4) + stored.mid(4, 4));
    QCOMPARE(PictureCodec::bitmapFile(stored), bmp);
    // A plain bitmap file image without the header reads as well.
    QCOMPARE(PictureCodec::bitmapFile(bmp), bmp);
    // A header whose count does not match the length is not taken for one.
    QByteArray wrong = stored;
    wrong[4] = char(wrong[4] + 1);
    QCOMPARE(PictureCodec::bitmapFile(wrong), wrong);
    int w = 0, h = 0;
    QVERIFY(PictureCodec::isDecodableBitmap(bmp, &w, &h));
    QCOMPARE(w, 137);
    QCOMPARE(h, 177);
}

void TestCollation::malformedPictures()
{
    QVERIFY(!PictureCodec::isDecodableBitmap(QByteArray()));
    QVERIFY(!PictureCodec::isDecodableBitmap(QByteArray("BM")));
    QVERIFY(!PictureCodec::isDecodableBitmap(bitmap(137, 177, 8).left(500))); // truncated
    QByteArray huge = bitmap(2, 2, 24);
    put(huge, 18, 60000, 4);
    put(huge, 22, 60000, 4);
    QVERIFY(!PictureCodec::isDecodableBitmap(huge));
    QByteArray odd = bitmap(4, 4, 24);
    put(odd, 28, 7, 2);
    QVERIFY(!PictureCodec::isDecodableBitmap(odd));
    QByteArray noise(4000, '\x5A');
    QVERIFY(!PictureCodec::isDecodableBitmap(noise));
}

void TestCollation::runLengthPixels()
{
    // Runs of 8 and 4 bits come out as plain rows, in the order stored; what no run sets
    // (skipped by a move, the rest of a row ended early, the rows after the end) is colour 0.
    struct Case
    {
        int bpp;
        QByteArray runs;
        QByteArray rows; // 3 rows of 4 pixels, one byte per pixel
    } cases[] = {
        {8,
         QByteArray("\x02\x05\x00\x03\x07\x08\x09\x00\x00\x00\x00\x02\x01\x01\x01\x06\x00\x01", 18),
         QByteArray("\x05\x05\x07\x08\x00\x00\x00\x00\x00\x06\x00\x00", 12)},
        {4, QByteArray("\x03\x12\x00\x00\x05\x34\x00\x01", 8),
         QByteArray("\x01\x02\x01\x00\x03\x04\x03\x04\x00\x00\x00\x00", 12)},
    };
    for (const Case &c : cases) {
        QByteArray bmp = bitmap(4, 3, c.bpp).left(14 + 40 + (4 << c.bpp)) + c.runs;
        put(bmp, 30, c.bpp == 8 ? 1 : 2, 4);
        const QByteArray plain = PictureCodec::uncompressed(bmp);
        QVERIFY(PictureCodec::isDecodableBitmap(plain));
        QCOMPARE(plain.mid(30, 4), QByteArray(4, '\0'));
        QByteArray rows;
        for (int i = 0; i < 12; ++i) {
            const auto byte =
                uchar(plain.at(14 + 40 + (4 << c.bpp) + (i / 4) * 4 + (i % 4) * c.bpp / 8));
            rows.append(char(c.bpp == 8 ? byte : (i % 2 ? byte & 0x0F : byte >> 4)));
        }
        QCOMPARE(rows, c.rows);
    }
    // The wrong run-length variant for the depth is no readable bitmap.
    QByteArray wrong = bitmap(4, 3, 4);
    put(wrong, 30, 1, 4);
    QVERIFY(!PictureCodec::isDecodableBitmap(wrong));
}

QTEST_GUILESS_MAIN(TestCollation)
#include "tst_collation.moc"
