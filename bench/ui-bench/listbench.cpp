#include "listbench.h"

#include "controls/dblookuplistbox.h"
#include "controls/dbmemo.h"
#include "data/table.h"
#include "dictionary/formaprimera.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Resident memory of the process now, in KiB.
long residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * 4 : 0;
}

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

// Runs action, then paints the window at once, as the next frame would; the time of both.
double frame(QWidget *window, const std::function<void()> &action)
{
    QElapsedTimer t;
    t.start();
    action();
    window->repaint();
    return ms(t.nsecsElapsed());
}

// The work left for the event loop (the grid counting its position after a jump).
double settle()
{
    QElapsedTimer t;
    t.start();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return ms(t.nsecsElapsed());
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

void report(const char *what, double first, double med, double idle)
{
    std::printf("%-28s first %9.3f ms   median %9.3f ms   then idle work %9.3f ms   %s\n", what,
                first, med, idle, first < 16 && med < 16 ? "< 16 ms: ok" : "over 16 ms");
}

} // namespace

void runListBench(const QString &databaseDir)
{
    Dialogs::Script::reset();
    Dialogs::Script::setUnscripted(Dialogs::Script::Unscripted::DefaultAnswer);
    TFORMAPRIMERA w(databaseDir);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        std::printf("list bench: the window was not exposed\n");
    settle();
    w.hideRecordList();
    w.Table1->first();
    settle();
    TDBLookupListBox *list = w.DBLOOKUPLISTBOX1;
    std::printf("\nrecord list and search on %lld entries\n", w.Table1->recordCount());

    const int reps = 15;
    // Opening the list: the first time (nothing known about the position yet), then again
    // after a close.
    const long before = residentKb();
    const double openFirst = frame(&w, [&] { QTest::mouseClick(w.Spbuton100, Qt::LeftButton); });
    const double openIdle = settle();
    const long grown = residentKb() - before;
    std::vector<double> opens;
    for (int i = 0; i < reps; ++i) {
        w.BOTONCANCELARClick();
        settle();
        opens.push_back(frame(&w, [&] { QTest::mouseClick(w.Spbuton100, Qt::LeftButton); }));
        settle();
    }
    report("open the list", openFirst, median(opens), openIdle);

    // Page Down and End in the grid.
    list->setFocus();
    std::vector<double> pages;
    double pageIdle = 0;
    for (int i = 0; i < reps; ++i) {
        pages.push_back(frame(&w, [&] { QTest::keyClick(list, Qt::Key_PageDown); }));
        pageIdle = std::max(pageIdle, settle());
    }
    report("Page Down in the grid", pages.front(), median(pages), pageIdle);
    std::vector<double> ends;
    double endIdle = 0;
    for (int i = 0; i < reps; ++i) {
        w.Table1->first();
        settle();
        ends.push_back(frame(&w, [&] { QTest::keyClick(list, Qt::Key_End); }));
        endIdle = std::max(endIdle, settle());
    }
    report("End in the grid", ends.front(), median(ends), endIdle);
    std::printf("%-28s %lld of %lld (table: %lld)\n", "scroll bar after End",
                qint64(list->verticalScrollBar()->value()) + 1, list->rowTotal(),
                w.Table1->recNo());

    // The thumb put in the middle of the bar (the table finds the row by its position).
    std::vector<double> thumbs;
    for (int i = 0; i < 5; ++i) {
        w.Table1->first();
        settle();
        thumbs.push_back(frame(&w, [&] {
            QScrollBar *bar = list->verticalScrollBar();
            bar->setSliderPosition((bar->maximum() / 2) + i);
        }));
    }
    report("thumb to the middle", thumbs.front(), median(thumbs), settle());

    // The search, from the click on its button to the focus in the name editor, with the
    // input box (and the notice) answered by the dialogs facade.
    w.Table1->moveBy(w.Table1->recordCount() / 2);
    const QString hit = w.Table1->fieldText(ImagenOnirica);
    w.Table1->first();
    auto search = [&](const QString &text, bool miss) {
        Dialogs::Script::text(text);
        if (miss)
            Dialogs::Script::answer(Dialogs::Ok);
        const double t = frame(&w, [&] { QTest::mouseClick(w.BitBtn2000, Qt::LeftButton); });
        if (QApplication::focusWidget() != w.memo9 && w.focusWidget() != w.memo9)
            std::printf("list bench: the focus is not in the name editor\n");
        return t;
    };
    std::vector<double> hits, misses;
    double searchIdle = 0;
    for (int i = 0; i < reps; ++i) {
        w.Table1->first();
        settle();
        hits.push_back(search(hit.left(hit.size() - 1), false));
        searchIdle = std::max(searchIdle, settle());
    }
    if (w.Table1->fieldText(ImagenOnirica) != hit)
        std::printf("list bench: the search did not find %s\n", qPrintable(hit));
    report("search that finds", hits.front(), median(hits), searchIdle);
    for (int i = 0; i < reps; ++i) {
        misses.push_back(search(QStringLiteral("Zzz no existe"), true));
        searchIdle = std::max(searchIdle, settle());
    }
    report("search that finds nothing", misses.front(), median(misses), searchIdle);

    // Opening the list after a search: the found entry in the middle row, the position
    // counted once.
    std::vector<double> afterSearch;
    double afterIdle = 0;
    for (int i = 0; i < 5; ++i) {
        search(hit.left(hit.size() - 1), false);
        settle();
        afterSearch.push_back(frame(&w, [&] { QTest::mouseClick(w.Spbuton100, Qt::LeftButton); }));
        afterIdle = std::max(afterIdle, settle());
    }
    report("open the list after a search", afterSearch.front(), median(afterSearch), afterIdle);
    std::printf("%-28s %ld KiB resident (target < 16 MiB)\n", "memory to open the list", grown);
    Dialogs::Script::reset();
}
