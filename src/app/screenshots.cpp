// Renders every window of the program to PNG files, for looking at them.
//   screenshots OUTDIR --database-dir DIR
// The database directory must hold a dream table; when it holds none, an empty one is made.

#include "app/commandline.h"
#include "app/form100.h"
#include "app/form2.h"
#include "app/form400.h"
#include "app/form99.h"
#include "app/formabox.h"
#include "app/infotexts.h"
#include "app/roster.h"
#include "controls/dbimage.h"
#include "controls/dblookuplistbox.h"
#include "controls/dbmemo.h"
#include "controls/dbnavigator.h"
#include "data/storage.h"
#include "data/table.h"
#include "dictionary/formabuscar.h"
#include "dictionary/formaprimera.h"
#include "dictionary/formaprimera_search.h"
#include "dictionary/printentry.h"
#include "platform/appearance.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/printstream.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
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

// The current entry printed as the print command puts it on a printer of 300 dots per inch:
// OUTDIR/NAME.png, further pages NAME-2.png...
bool printCurrentEntry(TFORMAPRIMERA *window, const QString &outDir, const QString &name)
{
    ImagePageSink pages(QSize(2480, 3508), 300);
    PrintOutput::setReplacement(&pages);
    Dialogs::Script::printResult(true);
    window->BitBtn214569Click();
    PrintOutput::setReplacement(nullptr);
    int number = 1;
    for (const QImage &page : pages.pages()) {
        const QString file = number == 1 ? name : QStringLiteral("%1-%2").arg(name).arg(number);
        if (!page.save(QDir(outDir).filePath(file + QStringLiteral(".png"))))
            return false;
        ++number;
    }
    return !pages.pages().empty();
}

// A pasted picture of 300 by 400 pixels, taller than the band above the printed name: a
// blue field with a yellow rim, so that its bounds show on paper.
QImage largePicture()
{
    QImage picture(300, 400, QImage::Format_RGB32);
    picture.fill(QColor(0x20, 0x40, 0xA0));
    QPainter p(&picture);
    p.setPen(QPen(Qt::yellow, 8));
    p.drawRect(picture.rect().adjusted(4, 4, -4, -4));
    return picture;
}

// The first sample entry with a picture (OUTDIR/printout.png...), and the same entry with a
// large picture pasted, printed before saving (OUTDIR/printout-large-picture.png...); the
// paste is then cancelled.
bool savePrintouts(Roster &r, const QString &outDir)
{
    TFORMAPRIMERA *window = r.FORMAPRIMERA();
    Table *table = window->Table1;
    table->first();
    while (!table->eof() && table->fieldIsNull(GraficoBMP))
        table->next();
    if (table->fieldIsNull(GraficoBMP))
        table->first();
    bool saved = printCurrentEntry(window, outDir, QStringLiteral("printout"));
    QGuiApplication::clipboard()->setImage(largePicture());
    window->DBImage1->pasteFromClipboard();
    saved = saved && window->DBImage1->picture().size() == QSize(300, 400) &&
            printCurrentEntry(window, outDir, QStringLiteral("printout-large-picture"));
    table->cancel();
    table->first();
    return saved;
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

// Real dialogs as the user sees them, pictured once each is up (OUTDIR/<file>) and then
// answered: accepted, or rejected so that nothing happens.
bool saveDialogs(const QStringList &files, const std::function<void()> &command, bool accept)
{
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
        if (auto *input = qobject_cast<QInputDialog *>(dialog))
            input->setTextValue(QStringLiteral("agua")); // a name typed in small letters
        saved &= withCaption(dialog).save(files.at(pictured++));
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
    watch.start();
    Dialogs::Script::reset(); // the real dialogs
    runHandler(command);
    watch.stop();
    return saved && pictured == files.size();
}

// The window "Buscar en el diccionario" with the results of a search for "agua" and the
// second one current (OUTDIR/formabuscar.png).
bool saveMeaningSearch(Roster &r, const QString &outDir)
{
    TFormBuscar *window = meaningSearchWindow(r.FORMAPRIMERA());
    window->prepareIndex();
    window->show();
    window->EditBuscar->setText(QStringLiteral("agua"));
    QElapsedTimer clock;
    clock.start();
    do
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    while ((window->isSearching() || window->ListaResultados->model()->rowCount() == 0) &&
           clock.elapsed() < 10000);
    window->ListaResultados->setCurrentIndex(window->ListaResultados->model()->index(1, 0));
    const bool saved =
        withCaption(window).save(QDir(outDir).filePath(QStringLiteral("formabuscar.png")));
    window->reject();
    return saved;
}

// The search's input box with a name typed in small letters, and the notice that nothing
// was found (OUTDIR/search-input.png, OUTDIR/search-notfound.png); the print dialog in
// Spanish, cancelled (OUTDIR/print-dialog.png).
bool saveCommandDialogs(Roster &r, const QString &outDir)
{
    const QDir out(outDir);
    return saveDialogs(
               {out.filePath(QStringLiteral("search-input.png")),
                out.filePath(QStringLiteral("search-notfound.png"))},
               [&] { r.FORMAPRIMERA()->BitBtn2000Click(); }, true) &&
           saveDialogs(
               {out.filePath(QStringLiteral("print-dialog.png"))},
               [&] { r.FORMAPRIMERA()->BitBtn214569Click(); }, false);
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
        if (!savePrintouts(roster, outDir)) {
            err << "screenshots: cannot write the printouts\n";
            return 1;
        }
        if (!saveMeaningSearch(roster, outDir)) {
            err << "screenshots: cannot picture the search in the meanings\n";
            return 1;
        }
        if (!saveCommandDialogs(roster, outDir)) {
            err << "screenshots: cannot picture the search's or the print dialogs\n";
            return 1;
        }
    } catch (const std::exception &error) {
        err << "screenshots: " << QString::fromLocal8Bit(error.what()) << '\n';
        return 1;
    }
    return 0;
}
