#pragma once

#include "widgets/raisedlabel.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPushButton>
#include <QString>

// How every window makes its controls: each is a named child of its parent (the name is how
// the hints, the accessibility layer and the tests find it).

template <typename W> W *makeControl(QWidget *parent, const char *name)
{
    auto *widget = new W(parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// The bold Arial of the windows' titles, at a pixel height.
QFont arialBold(int pixelHeight);

// A transparent label in one of the raised-text styles.
TRaisedLabel *makeRaisedLabel(QWidget *parent, const char *name, const QString &text,
                              const QFont &font, const QColor &colour,
                              TRaisedLabel::TTextStyle style = TRaisedLabel::tsRaised);

// A push button that Enter clicks while it has the focus, as Space does; no button is a
// window's default.
QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption = QString());

// A push button showing a picture at the picture's own size.
QPushButton *makeGlyphButton(QWidget *parent, const char *name, const QPixmap &glyph);
