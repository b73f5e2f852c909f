#pragma once

#include <QColor>
#include <QLabel>

class QPainter;

// The label used for every title, prompt, caption and clock read-out: a plain label whose
// text can carry a one-pixel light and dark outline so that it looks raised or recessed.
class TRaisedLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(TTextStyle TextStyle READ textStyle WRITE setTextStyle)
public:
    enum TTextStyle : quint8 { tsNone = 0, tsRaised = 1, tsRecessed = 2 };
    Q_ENUM(TTextStyle)

    // Captions are drawn up to this many characters.
    static constexpr int maxCaptionLength = 255;

    explicit TRaisedLabel(QWidget *parent = nullptr);
    TRaisedLabel(const QString &caption, QWidget *parent = nullptr);

    TTextStyle textStyle() const { return m_style; }
    void setTextStyle(TTextStyle style);

    // Font colour (the face colour of an enabled label). Until set, the window-text colour.
    QColor fontColor() const;
    void setFontColor(const QColor &color);

    // Transparent labels leave the parent's painting visible; others fill with colour().
    bool isTransparent() const { return m_transparent; }
    void setTransparent(bool transparent);
    // Until set, the background colour the label takes from its parent.
    QColor color() const;
    void setColor(const QColor &color);

    // "&x" underlines x when on (the default); "&" is drawn literally when off.
    bool showAccelChar() const { return m_showAccelChar; }
    void setShowAccelChar(bool on);

    // Auto-size measures the plain caption (one line unless word-wrap is on), no outline.
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);

    // These hide QLabel's own so that an auto-sized label follows its caption and wrapping.
    void setText(const QString &caption);
    void setWordWrap(bool on);

    // Paints the label onto any painter, as paintEvent does; used by tests and printing.
    void paintLabel(QPainter &painter) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QString drawnCaption() const;
    int textFlags(bool measuring) const;
    void adjustBounds();

    TTextStyle m_style = tsRecessed;
    bool m_transparent = false;
    bool m_showAccelChar = true;
    bool m_autoSize = false;
    QColor m_fontColor;
    QColor m_color;
};
