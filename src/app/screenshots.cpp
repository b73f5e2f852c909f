// Renders every window of the program to PNG files, for looking at them.
//   screenshots OUTDIR --database-dir DIR
// The database directory must hold a dream table; when it holds none, an empty one is made.

#include "appearance.h"
#include "application.h"
#include "commandline.h"
#include "dblookuplistbox.h"
#include "dbmemo.h"
#include "dbnavigator.h"
#include "dialogs.h"
#include "form100.h"
#include "form2.h"
#include "form400.h"
#include "form99.h"
#include "formabox.h"
#include "formaprimera.h"
#include "infotexts.h"
#include "printentry.h"
#include "printstream.h"
#include "roster.h"
#include "storage.h"
#include "table.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
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

// The record list opened after a search has found an entry, which it shows in its middle
// row.
void openRecordList(TFORMAPRIMERA *w)
{
    w->Table1->first();
    w->Table1->moveBy(20);
    const QString name = w->Table1->fieldText(ImagenOnirica);
    w->Table1->locate(QStringLiteral("Imagen Onírica"), name, Table::PartialKey);
    w->Spbuton100Click();
    QCoreApplication::processEvents(); // the grid counts where the entry is
}

// One picture: a file name, the window to render and what to do with it first. Later
// windows and modes add one line each.
struct Shot
{
    const char *file;
    std::function<QWidget *(Roster &)> window;
    std::function<void(Roster &)> prepare = nullptr;
};

const Shot shots[] = {
    {"formaprimera",
     [](Roster &r) -> QWidget * {
         return r.FORMAPRIMERA();
     }},
    // An entry with its picture, as the published screenshots show the program.
    {"formaprimera-picture", [](Roster &r) -> QWidget * { return r.FORMAPRIMERA(); },
     [](Roster &r) {
         r.FORMAPRIMERA()->Table1->locate(QStringLiteral("Imagen Onírica"), QStringLiteral("Luna"),
                                          {});
     }},
    {"formaprimera-hint", [](Roster &r) -> QWidget * { return r.FORMAPRIMERA(); },
     [](Roster &r) {
         pointAt(r.FORMAPRIMERA()->memo10);
     }},
    {"formaprimera-list", [](Roster &r) -> QWidget * { return r.FORMAPRIMERA(); },
     [](Roster &r) {
         openRecordList(r.FORMAPRIMERA());
     }},
    // The main window in browse mode on the first entry, during an insert with a name typed,
    // and in prologue mode.
    {"formaprimera-browse", [](Roster &r) -> QWidget * { return r.FORMAPRIMERA(); },
     [](Roster &r) {
         r.FORMAPRIMERA()->BOTONNAIPESClick();
         r.FORMAPRIMERA()->Table1->first();
     }},
    {"formaprimera-insert", [](Roster &r) -> QWidget * { return r.FORMAPRIMERA(); },
     [](Roster &r) {
         TFORMAPRIMERA *w = r.FORMAPRIMERA();
         w->NUEVO->click();
         w->memo9->setPlainText(QStringLiteral("Sirena"));
     }},
    {"formaprimera-prologue", [](Roster &r) -> QWidget * { return r.FORMAPRIMERA(); },
     [](Roster &r) {
         TFORMAPRIMERA *w = r.FORMAPRIMERA();
         w->Table1->cancel();
         w->BitBoton9812Click();
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
    {"form2-box", aboutWithPublisherBox},
    {"form100",
     [](Roster &r) -> QWidget * {
         return r.Form100();
     }},
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

// The printed page of the first sample entry with a picture, as the print command puts it
// on a printer of 300 dots per inch: OUTDIR/printout.png, further pages printout-2.png...
bool savePrintout(Roster &r, const QString &outDir)
{
    TFORMAPRIMERA *window = r.FORMAPRIMERA();
    Table *table = window->Table1;
    table->first();
    while (!table->eof() && table->fieldIsNull(GraficoBMP))
        table->next();
    if (table->fieldIsNull(GraficoBMP))
        table->first();
    ImagePageSink pages(QSize(2480, 3508), 300);
    PrintOutput::setReplacement(&pages);
    Dialogs::Script::printResult(true);
    window->BitBtn214569Click();
    PrintOutput::setReplacement(nullptr);
    table->first();
    int number = 1;
    for (const QImage &page : pages.pages()) {
        const QString name = number == 1 ? QStringLiteral("printout.png")
                                         : QStringLiteral("printout-%1.png").arg(number);
        if (!page.save(QDir(outDir).filePath(name)))
            return false;
        ++number;
    }
    return !pages.pages().empty();
}

// A dialog's picture under a plain title bar with its caption, since the offscreen platform
// draws no window frames.
QPixmap withCaption(QWidget *dialog)
{
    const QPixmap body = dialog->grab();
    const int bar = 20;
    QPixmap picture(body.width(), body.height() + bar);
    picture.fill(dialog->palette().color(QPalette::Window));
    QPainter p(&picture);
    p.fillRect(0, 0, body.width(), bar, QColor(0x00, 0x00, 0x80));
    QFont font = dialog->font();
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(6, 0, body.width() - 12, bar), Qt::AlignVCenter | Qt::AlignLeft,
               dialog->windowTitle());
    p.drawPixmap(0, bar, body);
    return picture;
}

// The search's two dialogs as the user sees them, the real ones: the input box with a name
// typed in small letters, and the notice that nothing was found (OUTDIR/search-input.png,
// OUTDIR/search-notfound.png). Each is pictured once it is up, then answered with OK.
bool saveSearchDialogs(Roster &r, const QString &outDir)
{
    const QStringList files{QStringLiteral("search-input.png"),
                            QStringLiteral("search-notfound.png")};
    int pictured = 0;
    bool saved = true;
    QPointer<QDialog> last;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog == last || !dialog->isVisible() || pictured >= files.size())
            return;
        last = dialog;
        if (auto *line = dialog->findChild<QLineEdit *>())
            line->setText(QStringLiteral("agua"));
        saved &= withCaption(dialog).save(QDir(outDir).filePath(files.at(pictured++)));
        dialog->accept();
    });
    watch.start();
    Dialogs::Script::reset(); // the real dialogs
    runHandler([&] { r.FORMAPRIMERA()->BitBtn2000Click(); });
    watch.stop();
    return saved && pictured == files.size();
}

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
        if (!savePrintout(roster, outDir)) {
            err << "screenshots: cannot write the printout\n";
            return 1;
        }
        if (!saveSearchDialogs(roster, outDir)) {
            err << "screenshots: cannot picture the search's dialogs\n";
            return 1;
        }
    } catch (const std::exception &error) {
        err << "screenshots: " << QString::fromLocal8Bit(error.what()) << '\n';
        return 1;
    }
    return 0;
}
