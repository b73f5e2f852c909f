// Renders every window of the program to PNG files, for looking at them.
//   screenshots OUTDIR --database-dir DIR
// The database directory must hold a dream table; when it holds none, an empty one is made.

#include "appearance.h"
#include "application.h"
#include "dbmemo.h"
#include "form100.h"
#include "form2.h"
#include "form400.h"
#include "form99.h"
#include "formabox.h"
#include "formaprimera.h"
#include "roster.h"
#include "infotexts.h"
#include "storage.h"

#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPixmap>
#include <QTextStream>

#include <QLabel>
#include <cstdio>
#include <QPainter>
#include <functional>

namespace {

// Moves the pointer onto the middle of a control, as the window system would deliver it.
void pointAt(QWidget *control)
{
    QWidget *window = control->window();
    const QPoint inWindow = control->mapTo(window, control->rect().center());
    QWidget *leaf = window->childAt(inWindow);
    if (!leaf)
        leaf = window;
    QMouseEvent move(QEvent::MouseMove, leaf->mapFrom(window, inWindow), inWindow,
                     window->mapToGlobal(inWindow), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(leaf, &move);
}

// One picture: a file name, the window to render and what to do with it first. Later
// windows and modes add one line each.
struct Shot
{
// The About window with the pointer on the publisher's emblem: its status text, and the
// publisher box centred over it as on the screen. The picture is put together in a window
// of its own that the About window owns.
QWidget *aboutWithPublisherBox(Roster &r)
{
    TForm2 *about = r.Form2();
    about->applyPointerRule({AboutPointerRule::Unchanged, InfoTexts::publisherLine()});
    QPixmap picture = about->grab();
    const QPixmap box = r.FORMABOX()->grab();
    {
        QPainter painter(&picture);
        painter.drawPixmap((picture.width() - box.width()) / 2,
                           (picture.height() - box.height()) / 2, box);
    }
    auto *shown = new QLabel(about, Qt::Window);
    shown->setPixmap(picture);
    shown->resize(picture.size());
    return shown;
}

    const char *file;
    std::function<QWidget *(Roster &)> window;
    std::function<void(Roster &)> prepare = nullptr;
};

const Shot shots[] = {
    {"formaprimera",
     [](Roster &r) -> QWidget * {
         return r.FORMAPRIMERA();
     }},
    {"formaprimera-hint", [](Roster &r) -> QWidget * { return r.FORMAPRIMERA(); },
     [](Roster &r) {
         pointAt(r.FORMAPRIMERA()->memo10);
     }},
    {"form99",
     [](Roster &r) -> QWidget * {
         return r.Form99();
     }},
    {"form2",
     [](Roster &r) -> QWidget * {
         return r.Form2();
     }},
    {"formabox",
     [](Roster &r) -> QWidget * {
         return r.FORMABOX();
     }},
    {"form100",
     [](Roster &r) -> QWidget * {
         return r.Form100();
     }},
    {"form2-box", aboutWithPublisherBox},
    // The intro as its activation leaves it, then with the first picture in scheme A and
    // with the second picture (pointer on "&Inicio") in scheme B, maximised.
    {"form400", [](Roster &r) -> QWidget * { return r.Form400(); },
     [](Roster &r) {
         r.Form400()->FormActivate();
     }},
    {"form400-a", [](Roster &r) -> QWidget * { return r.Form400(); },
     [](Roster &r) {
         r.Form400()->resize(800, 560);
         r.Form400()->Timer2Timer();
     }},
    {"form400-b", [](Roster &r) -> QWidget * { return r.Form400(); },
     [](Roster &r) {
         r.Form400()->BITBTN1MouseMove();
         r.Form400()->Timer3Timer();
     }},
};

} // namespace

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    installFontSubstitutions();
    QTextStream err(stderr);

    const QStringList args = app.arguments();
    if (args.size() < 2 || args.at(1).startsWith(QLatin1Char('-'))) {
        err << "usage: screenshots OUTDIR --database-dir DIR\n";
        return 2;
    }
    const QString outDir = args.at(1);
    const QString databaseDir = databaseDirFromArguments(args);
    try {
        QDir().mkpath(outDir);
        if (!QFileInfo::exists(Storage::tablePath(databaseDir))) {
            QDir().mkpath(databaseDir);
            Storage::create(databaseDir);
        }
        Roster roster(databaseDir);
        for (const Shot &shot : shots) {
            if (shot.prepare)
                shot.prepare(roster);
            QWidget *window = shot.window(roster);
            const QString path =
                QDir(outDir).filePath(QLatin1String(shot.file) + QStringLiteral(".png"));
            if (!window->grab().save(path)) {
                err << "screenshots: cannot write " << path << '\n';
                return 1;
            }
        }
    } catch (const std::exception &error) {
        err << "screenshots: " << QString::fromLocal8Bit(error.what()) << '\n';
        return 1;
    }
    return 0;
}
