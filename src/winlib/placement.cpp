#include "placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

constexpr int CaptionHeight = 19;

int frameWidth(WindowBorder border)
{
    return border == WindowBorder::Sizeable ? 4 : 3;
}

QSize outerForClient(QSize client, WindowBorder border)
{
    const int frame = frameWidth(border);
    return {client.width() + 2 * frame, client.height() + 2 * frame + CaptionHeight};
}

void centre(QWidget *window, QSize outer)
{
    QScreen *screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window->move(area.x() + (area.width() - outer.width()) / 2,
                 area.y() + (area.height() - outer.height()) / 2);
}

} // namespace

QSize clientSizeForOuter(QSize outer, WindowBorder border)
{
    const int frame = frameWidth(border);
    return {outer.width() - 2 * frame, outer.height() - 2 * frame - CaptionHeight};
}

void placeCentred(QWidget *window, QSize outer, WindowBorder border)
{
    window->resize(clientSizeForOuter(outer, border));
    centre(window, outer);
}

void placeCentredClient(QWidget *window, QSize client, WindowBorder border)
{
    window->resize(client);
    centre(window, outerForClient(client, border));
}
