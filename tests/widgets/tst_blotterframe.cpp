#include "platform/appearance.h"
#include "testmain.h"
#include "widgets/blotterframe.h"

#include <QPainter>
#include <QVBoxLayout>
#include <QtTest>

namespace {

const QColor field(0x00, 0x80, 0x00);

QImage render(int w, int h, const QColor &color = field)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    TBlotterFrame::paintBlotter(painter, w, h, color);
    return image;
}

QColor colourOf(char c)
{
    switch (c) {
    case 'K':
        return Colors::clBlack;
    case 'S':
        return Colors::clSilver;
    case 'Y':
        return Colors::clYellow;
    case 'O':
        return Colors::clOlive;
    default:
        return field;
    }
}

// Compares a block of the image, top left at (x0, y0), with rows of K, S, Y, O or . (field).
QString mismatch(const QImage &image, int x0, int y0, const QStringList &rows)
{
    for (int dy = 0; dy < rows.size(); ++dy) {
        for (int dx = 0; dx < rows[dy].size(); ++dx) {
            const QColor expected = colourOf(rows[dy][dx].toLatin1());
            const QColor actual = image.pixelColor(x0 + dx, y0 + dy);
            if (actual != expected) {
                return QStringLiteral("(%1, %2) is %3, expected %4")
                    .arg(x0 + dx)
                    .arg(y0 + dy)
                    .arg(actual.name(), expected.name());
            }
        }
    }
    return QString();
}

} // namespace

class TestBlotterFrame : public QObject
{
    Q_OBJECT

private slots:
    // Away from the corners: black, silver, field, field, black, field from the left and top;
    // black, field, field, silver, field from the right and bottom.
    void crossSections()
    {
        const int w = 153;
        const int h = 193;
        const QImage image = render(w, h);
        const QString fromStart = QStringLiteral("KS..K.");
        const QString fromEnd = QStringLiteral("K..S.");
        for (int i = 0; i < fromStart.size(); ++i) {
            const QColor expected = colourOf(fromStart[i].toLatin1());
            QCOMPARE(image.pixelColor(i, h / 2), expected);
            QCOMPARE(image.pixelColor(w / 2, i), expected);
        }
        for (int i = 0; i < fromEnd.size(); ++i) {
            const QColor expected = colourOf(fromEnd[i].toLatin1());
            QCOMPARE(image.pixelColor(w - 1 - i, h / 2), expected);
            QCOMPARE(image.pixelColor(w / 2, h - 1 - i), expected);
        }
        QCOMPARE(image.pixelColor(w / 2, h / 2), field);
    }

    void topLeftCorner()
    {
        const QImage image = render(153, 193);
        const QString wrong = mismatch(image, 0, 0,
                                       {
                                           QStringLiteral("KKKKKKKKKKKKKKKK"),
                                           QStringLiteral("KYYYYYYYYYYYYYYK"),
                                           QStringLiteral("KYOOOOOOOOOOOOK."),
                                           QStringLiteral("KYOOOOOOOOOOOK.."),
                                           QStringLiteral("KYOOOOOOOOOOKKKK"),
                                           QStringLiteral("KYOOOKKKKKKK...."),
                                           QStringLiteral("KYOOOK.........."),
                                           QStringLiteral("KYOOOK.........."),
                                           QStringLiteral("KYOOOK.........."),
                                           QStringLiteral("KYOOOK.........."),
                                           QStringLiteral("KYOOOK.........."),
                                           QStringLiteral("KYOOOK.........."),
                                           QStringLiteral("KYOOK..........."),
                                           QStringLiteral("KYOKK..........."),
                                           QStringLiteral("KYK.K..........."),
                                           QStringLiteral("KK..K..........."),
                                       });
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    }

    void bottomRightCorner()
    {
        const int w = 153;
        const int h = 193;
        const QImage image = render(w, h);
        const QString wrong = mismatch(image, w - 16, h - 16,
                                       {
                                           QStringLiteral("............S..K"),
                                           QStringLiteral("............S..Y"),
                                           QStringLiteral("............S.YK"),
                                           QStringLiteral("............SYOK"),
                                           QStringLiteral("............YOOK"),
                                           QStringLiteral("...........YOOOK"),
                                           QStringLiteral("...........YOOOK"),
                                           QStringLiteral("...........YOOOK"),
                                           QStringLiteral("...........YOOOK"),
                                           QStringLiteral("...........YOOOK"),
                                           QStringLiteral("...........YOOOK"),
                                           QStringLiteral(".....YYYYYYYOOOK"),
                                           QStringLiteral("SSSSYOOOOOOOOOOK"),
                                           QStringLiteral("...YOOOOOOOOOOOK"),
                                           QStringLiteral("..YOOOOOOOOOOOOK"),
                                           QStringLiteral("KYKKKKKKKKKKKKKK"),
                                       });
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    }

    // Single pixels of the other two corners where later steps paint over earlier ones.
    void otherCorners_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<char>("colour");
        const int w = 153;
        const int h = 193;
        const auto add = [&](int x, int y, char c) {
            QTest::addRow("%d x %d (%d, %d)", w, h, x, y) << w << h << QPoint(x, y) << c;
        };
        // bottom left
        add(2, h - 13, 'O'); // step 10 black, then olive
        add(2, h - 14, 'Y');
        add(1, h - 1, 'K'); // yellow column, then the black edge
        add(1, h - 15, 'Y');
        add(5, h - 5, 'K');
        add(6, h - 5, 'Y');
        add(11, h - 5, 'K');
        add(12, h - 4, 'K');
        add(14, h - 2, 'K');
        // top right
        add(w - 1, 16, 'K');
        add(w - 2, 16, '.');
        add(w - 2, 15, 'K');
        add(w - 5, 12, 'Y');
        add(w - 5, 5, 'Y'); // black row, then the yellow column
        add(w - 6, 5, 'K');
        add(w - 12, 5, '.');
        add(w - 14, 2, 'K');
        add(w - 13, 2, 'O');
        add(w - 13, 3, 'K');
        add(w - 2, 1, 'Y');
        add(w - 15, 1, 'Y');
        add(w - 16, 1, 'S');
        add(w - 2, 13, 'O');
        add(w - 2, 14, 'O');
        add(w - 3, 14, 'K');
    }
    void otherCorners() { checkPixel(); }

    // Narrower than 31 or lower than 32: the corners overlap and the order of the steps
    // decides.
    void smallSizes_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<char>("colour");
        const auto add = [](int w, int h, int x, int y, char c) {
            QTest::addRow("%d x %d (%d, %d)", w, h, x, y) << w << h << QPoint(x, y) << c;
        };
        add(20, 25, 11, 20, 'K'); // yellow of step 7, black of step 12
        add(20, 25, 12, 20, 'Y');
        add(20, 25, 9, 20, 'Y');
        add(20, 25, 6, 2, 'O');  // black of step 14, olive of the top-left piece
        add(20, 25, 14, 2, 'O'); // black of step 10, olive of the top-right piece
        add(20, 25, 5, 24, 'K'); // yellow of steps 5 and 13, black of step 16
        add(20, 25, 1, 15, 'K'); // yellow of step 3, black of step 10
        add(20, 25, 3, 12, 'O'); // yellow of step 11, olive of step 15
        add(20, 25, 4, 13, 'Y');
        add(20, 25, 15, 5, 'Y');
        add(20, 25, 10, 5, 'K');
        add(20, 25, 7, 0, 'K');
        add(40, 25, 1, 15, 'K');
        add(40, 25, 1, 14, 'Y');
        add(40, 25, 1, 16, 'Y');
        add(25, 40, 15, 1, 'K');
        add(25, 40, 14, 1, 'Y');
        add(25, 40, 16, 1, 'Y');
    }
    void smallSizes() { checkPixel(); }

    void tinySizesDrawInsideOnly()
    {
        for (const QSize size : {QSize(1, 1), QSize(2, 3), QSize(5, 5), QSize(16, 16)}) {
            QImage image(size.width() + 40, size.height() + 40, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.translate(20, 20);
            TBlotterFrame::paintBlotter(painter, size.width(), size.height(), field);
            painter.end();
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const bool inside = QRect(QPoint(20, 20), size).contains(x, y);
                    QCOMPARE(image.pixelColor(x, y) != QColor(Qt::white), inside);
                }
            }
        }
        QImage image = render(1, 1);
        QCOMPARE(image.pixelColor(0, 0), QColor(Qt::black));
    }

    // A new colour changes the field and nothing else.
    void colourChange()
    {
        const QColor other(0x12, 0x34, 0x56);
        const QImage green = render(153, 193);
        const QImage blue = render(153, 193, other);
        int fieldPixels = 0;
        for (int y = 0; y < green.height(); ++y) {
            for (int x = 0; x < green.width(); ++x) {
                if (green.pixelColor(x, y) == field) {
                    ++fieldPixels;
                    QCOMPARE(blue.pixelColor(x, y), other);
                } else {
                    QCOMPARE(blue.pixelColor(x, y), green.pixelColor(x, y));
                }
            }
        }
        QVERIFY(fieldPixels > 100 * 100);
    }

    // The widget paints the drawing only: caption, bevels and border width change nothing on
    // screen, but the border and bevels still inset the children laid out in it.
    void widget()
    {
        TBlotterFrame frame;
        QCOMPARE(frame.color(), systemColor(SystemColor::BtnFace, frame.palette()));
        frame.setColor(Colors::clGreen);
        frame.resize(153, 193);
        const QImage before = frame.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(before, render(153, 193));

        auto *layout = new QVBoxLayout(&frame);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *child = new QWidget(&frame);
        layout->addWidget(child);

        frame.setCaption(QStringLiteral("MARCO"));
        frame.setBorderWidth(8);
        frame.setBevelInner(TBlotterFrame::bvLowered);
        frame.setBevelWidth(2);
        child->hide();
        QCOMPARE(frame.grab().toImage().convertToFormat(QImage::Format_RGB32), before);
        child->show();
        layout->activate();
        QCOMPARE(child->geometry(), QRect(12, 12, 153 - 24, 193 - 24));

        frame.setBevelOuter(TBlotterFrame::bvNone);
        frame.setBevelInner(TBlotterFrame::bvNone);
        layout->activate();
        QCOMPARE(child->geometry(), QRect(8, 8, 153 - 16, 193 - 16));
    }

private:
    static void checkPixel()
    {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(QPoint, pixel);
        QFETCH(char, colour);
        QCOMPARE(render(w, h).pixelColor(pixel), colourOf(colour));
    }
};

NOCTAMBU_TEST_MAIN(TestBlotterFrame)
#include "tst_blotterframe.moc"
