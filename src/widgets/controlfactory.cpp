#include "widgets/controlfactory.h"

#include "platform/appearance.h"

QFont arialBold(int pixelHeight)
{
    return makeFont(QStringLiteral("Arial"), pixelHeight, true);
}

TRaisedLabel *makeRaisedLabel(QWidget *parent, const char *name, const QString &text,
                              const QFont &font, const QColor &colour,
                              TRaisedLabel::TTextStyle style)
{
    auto *label = makeControl<TRaisedLabel>(parent, name);
    label->setTextStyle(style);
    label->setTransparent(true);
    label->setFont(font);
    label->setFontColor(colour);
    label->setText(text);
    return label;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = makeControl<QPushButton>(parent, name);
    button->setText(caption);
    button->setAutoDefault(true);
    button->setDefault(false);
    return button;
}

QPushButton *makeGlyphButton(QWidget *parent, const char *name, const QPixmap &glyph)
{
    QPushButton *button = makeButton(parent, name);
    button->setIcon(glyph);
    button->setIconSize(glyph.size());
    return button;
}
