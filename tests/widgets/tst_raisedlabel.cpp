#include "platform/appearance.h"
#include "testmain.h"
#include "widgets/raisedlabel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QtTest>

namespace {

const QColor shadowColor(0x40, 0x40, 0x40);
const QColor highlightColor(0xF0, 0xF0, 0xF0);
const QColor grayColor(0xA0, 0xA0, 0xA0);
const QColor faceColor(0x00, 0x00, 0x80);
const QColor fillColor(0xC0, 0xC0, 0xC0);
const QColor behindColor(0xFF, 0x00, 0xFF);

QPalette testPalette(const QColor &shadow = shadowColor, const QColor &highlight = highlightColor)
{
    QPalette pal = QApplication::palette();
    pal.setColor(paletteGroup(SystemColor::BtnShadow), paletteRole(SystemColor::BtnShadow), shadow);
    pal.setColor(paletteGroup(SystemColor::BtnHighlight), paletteRole(SystemColor::BtnHighlight),
                 highlight);
    pal.setColor(paletteGroup(SystemColor::GrayText), paletteRole(SystemColor::GrayText),
                 grayColor);
    return pal;
}

// A bitmap font rendering, so that every pixel is either text or background.
QFont crispFont(int pixels = 20)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void setUp(TRaisedLabel &label, const QString &caption, QSize size = QSize(120, 40))
{
    label.setFont(crispFont());
    label.setPalette(testPalette());
    label.setFontColor(faceColor);
    label.setColor(fillColor);
    label.setAlignment(Qt::AlignHCenter);
    label.setText(caption);
    label.resize(size);
}

QImage render(const TRaisedLabel &label)
{
    QImage image(label.size(), QImage::Format_RGB32);
    image.fill(behindColor);
    QPainter painter(&image);
    label.paintLabel(painter);
    return image;
}

bool inMask(const QImage &mask, int x, int y)
{
    return mask.rect().contains(x, y) && mask.pixelColor(x, y) == faceColor;
}

class CountingLabel : public TRaisedLabel
{
public:
    using TRaisedLabel::TRaisedLabel;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        ++paints;
        TRaisedLabel::paintEvent(event);
    }
};

} // namespace

class TestRaisedLabel : public QObject
{
    Q_OBJECT

private slots:
    void defaults()
    {
        TRaisedLabel label;
        QCOMPARE(label.textStyle(), TRaisedLabel::tsRecessed);
        QCOMPARE(label.property("TextStyle").value<TRaisedLabel::TTextStyle>(),
                 TRaisedLabel::tsRecessed);
        QVERIFY(label.showAccelChar());
        QVERIFY(!label.isTransparent());
    }

    // Every pixel is the face, an outline pass or the fill, as the three offset copies of the
    // plain text predict.
    void styles_data()
    {
        QTest::addColumn<TRaisedLabel::TTextStyle>("style");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("transparent");
        QTest::newRow("none") << TRaisedLabel::tsNone << true << false;
        QTest::newRow("raised") << TRaisedLabel::tsRaised << true << false;
        QTest::newRow("recessed") << TRaisedLabel::tsRecessed << true << false;
        QTest::newRow("raised disabled") << TRaisedLabel::tsRaised << false << false;
        QTest::newRow("recessed disabled") << TRaisedLabel::tsRecessed << false << false;
        QTest::newRow("raised transparent") << TRaisedLabel::tsRaised << true << true;
        QTest::newRow("none transparent") << TRaisedLabel::tsNone << true << true;
    }
    void styles()
    {
        QFETCH(TRaisedLabel::TTextStyle, style);
        QFETCH(bool, enabled);
        QFETCH(bool, transparent);

        TRaisedLabel plain;
        setUp(plain, QStringLiteral("Sueño W"));
        plain.setTextStyle(TRaisedLabel::tsNone);
        const QImage mask = render(plain);

        TRaisedLabel label;
        setUp(label, QStringLiteral("Sueño W"));
        label.setTextStyle(style);
        label.setEnabled(enabled);
        label.setTransparent(transparent);
        const QImage image = render(label);

        const QColor first = style == TRaisedLabel::tsRaised ? shadowColor : highlightColor;
        const QColor second = style == TRaisedLabel::tsRaised ? highlightColor : shadowColor;
        int facePixels = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                QColor expected = transparent ? behindColor : fillColor;
                if (inMask(mask, x, y)) {
                    expected = enabled ? faceColor : grayColor;
                    ++facePixels;
                } else if (style != TRaisedLabel::tsNone && inMask(mask, x + 1, y + 1)) {
                    expected = second;
                } else if (style != TRaisedLabel::tsNone && inMask(mask, x - 1, y - 1)) {
                    expected = first;
                }
                if (image.pixelColor(x, y) != expected) {
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(image.pixelColor(x, y).name(), expected.name())));
                }
            }
        }
        QVERIFY(facePixels > 50);
    }

    // The outline follows the desktop's colour scheme, whether the label's own palette or
    // the application's changes, and the label repaints.
    void colourSchemeChange()
    {
        const QPalette oldAppPalette = QApplication::palette();
        QWidget window;
        window.resize(200, 60);
        CountingLabel label(&window);
        label.setFont(crispFont());
        label.setFontColor(faceColor);
        label.setColor(fillColor);
        label.setText(QStringLiteral("W"));
        label.resize(120, 40);
        label.setTextStyle(TRaisedLabel::tsRaised);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(label.paints > 0);

        const QColor newShadow(0x12, 0x34, 0x56);
        label.paints = 0;
        QApplication::setPalette(testPalette(newShadow, highlightColor));
        QTRY_VERIFY(label.paints > 0);
        QVERIFY(render(label).pixelColor(label.width() - 1, label.height() - 1) == fillColor);
        QImage image = render(label);
        QVERIFY(hasColour(image, newShadow));
        QVERIFY(!hasColour(image, shadowColor));

        label.paints = 0;
        label.setPalette(testPalette(shadowColor, QColor(0xAB, 0xCD, 0xEF)));
        QTRY_VERIFY(label.paints > 0);
        image = render(label);
        QVERIFY(hasColour(image, shadowColor));
        QVERIFY(hasColour(image, QColor(0xAB, 0xCD, 0xEF)));
        QApplication::setPalette(oldAppPalette);
    }

    void sameStyleCausesNoRepaint()
    {
        CountingLabel label;
        label.setText(QStringLiteral("Hola"));
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QTRY_VERIFY(label.paints > 0);
        QCoreApplication::processEvents();
        label.paints = 0;

        label.setTextStyle(TRaisedLabel::tsRecessed);
        QCoreApplication::processEvents();
        QCOMPARE(label.paints, 0);

        label.setTextStyle(TRaisedLabel::tsRaised);
        QTRY_VERIFY(label.paints > 0);
        QCOMPARE(label.textStyle(), TRaisedLabel::tsRaised);
    }

    void captionCutAfter255Characters()
    {
        // Small letters after a run of blanks, all on one line of a wide label.
        const QString caption = QString(252, QLatin1Char(' ')) + QStringLiteral("IIIWWWWW");
        QCOMPARE(caption.size(), 260);
        TRaisedLabel label;
        setUp(label, caption, QSize(1400, 30));
        label.setAlignment(Qt::AlignLeft);
        label.setFont(crispFont(8));
        const QImage full = render(label);
        label.setText(caption.left(255));
        QCOMPARE(render(label), full);
        // The 255th character is still drawn.
        label.setText(caption.left(254));
        QVERIFY(render(label) != full);
        label.setText(caption);
        QCOMPARE(label.text(), caption);
    }

    // Painting breaks lines at word boundaries whatever the word-wrap setting.
    void breaksLinesWhenWordWrapIsOff()
    {
        TRaisedLabel label;
        setUp(label, QStringLiteral("Mmm Mmm Mmm"), QSize(60, 80));
        label.setTextStyle(TRaisedLabel::tsNone);
        QVERIFY(!label.wordWrap());
        const QImage image = render(label);
        const int lineHeight = QFontMetrics(label.font()).lineSpacing();
        int linesWithText = 0;
        for (int line = 0; line < 3; ++line) {
            bool found = false;
            for (int y = line * lineHeight; y < (line + 1) * lineHeight && !found; ++y) {
                for (int x = 0; x < image.width() && !found; ++x) {
                    found = image.pixelColor(x, y) == faceColor;
                }
            }
            linesWithText += found ? 1 : 0;
        }
        QCOMPARE(linesWithText, 3);
    }

    void accelCharSetting()
    {
        TRaisedLabel on;
        setUp(on, QStringLiteral("A&&B"));
        TRaisedLabel off;
        setUp(off, QStringLiteral("A&B"));
        off.setShowAccelChar(false);
        QCOMPARE(render(on), render(off));

        // "&x" underlines x; without the setting the ampersand is drawn.
        TRaisedLabel underlined;
        setUp(underlined, QStringLiteral("&B"));
        TRaisedLabel plain;
        setUp(plain, QStringLiteral("B"));
        QVERIFY(render(underlined) != render(plain));
        underlined.setShowAccelChar(false);
        QVERIFY(render(underlined) != render(plain));
    }

    void autoSizeFitsThePlainText()
    {
        QWidget parent;
        TRaisedLabel label(&parent);
        label.setFont(crispFont());
        label.setGeometry(10, 10, 300, 100);
        label.setText(QStringLiteral("Nombre de la Imagen"));
        QCOMPARE(label.size(), QSize(300, 100));

        label.setAutoSize(true);
        const QFontMetrics metrics(label.font());
        QCOMPARE(label.size(), QSize(plainWidth(label), metrics.height()));
        QCOMPARE(label.pos(), QPoint(10, 10));

        // A right-aligned label keeps its right edge.
        const int right = label.geometry().right();
        label.setAlignment(Qt::AlignRight);
        label.setText(QStringLiteral("Nombre"));
        QCOMPARE(label.width(), plainWidth(label));
        QCOMPARE(label.geometry().right(), right);

        label.setFont(crispFont(30));
        QCOMPARE(label.height(), QFontMetrics(label.font()).height());

        label.setText(QString());
        QCOMPARE(label.height(), QFontMetrics(label.font()).height());
    }

private:
    static int plainWidth(const TRaisedLabel &label)
    {
        return qCeil(QFontMetricsF(label.font()).horizontalAdvance(label.text()));
    }

    static bool hasColour(const QImage &image, const QColor &color)
    {
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y) == color) {
                    return true;
                }
            }
        }
        return false;
    }
};

NOCTAMBU_TEST_MAIN(TestRaisedLabel)
#include "tst_raisedlabel.moc"
