#pragma once

#include <QColor>
#include <QHash>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class QFont;

// A panel drawn the old way: an optional single border, an outer bevel, a gap of the
// border width and an inner bevel, around a field of its own colour with an optional caption
// centred in it. A flat panel draws its single border as a black line; otherwise the single
// border is a sunken two-pixel edge.
class BevelPanel : public QWidget
{
    Q_OBJECT
public:
    enum Bevel { None, Lowered, Raised };

    explicit BevelPanel(QWidget *parent = nullptr);

    QColor color() const;
    void setColor(const QColor &color); // until set, the parent's background colour
    void setBevels(Bevel outer, Bevel inner, int bevelWidth = 1, int borderWidth = 0);
    void setSingleBorder(bool on, bool flat = false);
    Bevel bevelOuter() const { return m_outer; }
    Bevel bevelInner() const { return m_inner; }
    int bevelWidth() const { return m_bevelWidth; }
    int borderWidth() const { return m_borderWidth; }

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    // The width of everything drawn around the field.
    int frameWidth() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
    Bevel m_outer = Raised;
    Bevel m_inner = None;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    bool m_single = false;
    bool m_flat = false;
    QString m_caption;
};

// Calls a control's pointer-move handler on every pointer movement over it, through the
// handler guard (runHandler) like every other handler. A movement taken by a control does
// not reach the control's container, so the handler of the control under the pointer is
// the only one that runs. Movements with a mouse button held still reach a push button, so
// that pressing and sliding off it works as usual.
class PointerMoves : public QObject
{
    Q_OBJECT
public:
    explicit PointerMoves(QObject *parent) : QObject(parent) {}

    // Binds handler to movements over control (turning on its mouse tracking).
    void bind(QWidget *control, std::function<void()> handler);
    // Takes movements over control without any handler, so they reach no container.
    void absorb(QWidget *control);

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    QHash<QObject *, std::function<void()>> m_handlers;
};

// Registers the pictures and glyphs of the information windows; safe to call again.
void initInfoResources();

// A control whose tool tip text is kept but never shown.
void suppressToolTip(QWidget *control);

// A plain, transparent label of one line, sized to its text.
QLabel *makePlainLabel(const QString &text, const QFont &font, const QColor &color,
                       QWidget *parent);
