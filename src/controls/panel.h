#pragma once

#include <QColor>
#include <QFrame>
#include <QLabel>

class QPainter;

// How a panel draws its edge: an optional single border (a sunken two-pixel client edge
// around everything), then from the outside in the outer bevel, the border width in the
// panel's colour and the inner bevel, each bevel bevelWidth pixels wide.
struct PanelLook
{
    enum Bevel { None, Lowered, Raised };
    Bevel outer = Raised;
    Bevel inner = None;
    int bevelWidth = 1;
    int borderWidth = 0;
    bool singleBorder = false;

    // The width of the single border; children are placed inside it.
    int clientEdge() const { return singleBorder ? 2 : 0; }
    // How far the edge reaches in from each side of the client area.
    int frameWidth() const;

    // Paints the edge and fills the rest with fill, over the whole of bounds.
    void paint(QPainter &painter, const QRect &bounds, const QColor &fill,
               const QPalette &palette) const;
};

// The window library's panel: a container in its own colour with the edge of its look.
// Children are placed in the client area, inside the single border.
class TPanel : public QFrame
{
    Q_OBJECT
public:
    explicit TPanel(QWidget *parent = nullptr);

    const PanelLook &look() const { return m_look; }
    void setLook(const PanelLook &look);

    // Until set, the button-face colour.
    QColor color() const;
    void setColor(const QColor &color);

    // Where the client area starts in the panel's own coordinates.
    QPoint clientOrigin() const { return {m_look.clientEdge(), m_look.clientEdge()}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    PanelLook m_look;
    QColor m_color;
};

// A panel whose caption is its text: a label with a panel's edge and colour, the caption
// drawn centred inside the edge in the label's font and text colour.
class TPanelLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TPanelLabel(QWidget *parent = nullptr);

    const PanelLook &look() const { return m_look; }
    void setLook(const PanelLook &look);
    QColor color() const;
    void setColor(const QColor &color);
    QColor fontColor() const;
    void setFontColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    PanelLook m_look;
    QColor m_color;
};
