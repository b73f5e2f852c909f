#pragma once

#include <QColor>
#include <QWidget>

class QPainter;

// A decorative container panel painted like a desk blotter: a field in its own colour inside
// thin black and silver rules, with an olive corner piece in each corner. It keeps the panel's
// border width and bevels only to inset the children laid out in it; neither they nor the
// caption are ever drawn.
class TBlotterFrame : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(int borderWidth READ borderWidth WRITE setBorderWidth)
public:
    enum TPanelBevel : quint8 { bvNone, bvLowered, bvRaised };
    Q_ENUM(TPanelBevel)

    explicit TBlotterFrame(QWidget *parent = nullptr);

    // Colour of the field. Until set, the button-face colour.
    QColor color() const;
    void setColor(const QColor &color);

    int borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int width);
    TPanelBevel bevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(TPanelBevel bevel);
    TPanelBevel bevelInner() const { return m_bevelInner; }
    void setBevelInner(TPanelBevel bevel);
    int bevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int width);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption) { m_caption = caption; }

    // Draws the frame of size width x height with the given field colour at the painter's
    // origin. Nothing outside the frame is touched.
    static void paintBlotter(QPainter &painter, int width, int height, const QColor &field);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void updateInset();

    QColor m_color;
    int m_borderWidth = 0;
    TPanelBevel m_bevelOuter = bvRaised;
    TPanelBevel m_bevelInner = bvNone;
    int m_bevelWidth = 1;
    QString m_caption;
};
