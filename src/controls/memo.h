#pragma once

#include <QColor>
#include <QPlainTextEdit>
#include <QStringList>

// A plain memo: several lines of text with the memo's own word wrap, read-only flag, scroll
// bars, font and colours. The text can be shown in another colour while the memo has the
// focus, and a click (press and release of the left button on it) is reported on its own,
// apart from the focus arriving by keyboard.
class TMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TMemo(QWidget *parent = nullptr);

    // The lines as the memo shows them: after its word wrap at its on-screen width (also
    // while hidden), each at most MaxLineLength UTF-16 units (cut between two characters),
    // a last empty line not counted. An empty memo has none.
    static constexpr int MaxLineLength = 4096;
    QStringList displayLines() const;

    void setLines(const QStringList &lines);

    // Background colour; until set, the system window colour.
    QColor color() const;
    void setColor(const QColor &color);
    // Text colour; until set, the window-text colour.
    QColor fontColor() const;
    void setFontColor(const QColor &color);
    // Text colour while the memo has the focus; invalid (the default) for none.
    QColor focusFontColor() const { return m_focusFontColor; }
    void setFocusFontColor(const QColor &color);
    // The text colour in use now.
    QColor currentTextColor() const;

    // Word wrap at the memo's width (on by default).
    bool wordWrap() const;
    void setWordWrap(bool on);

signals:
    void clicked();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void applyColors();
    int wrapWidth() const;

    QColor m_color;
    QColor m_fontColor;
    QColor m_focusFontColor;
    bool m_pressed = false;
};
