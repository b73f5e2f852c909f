// Start-up of the program as a user meets it: from the exec until its first window is mapped
// and painted, under Xvfb and a window manager, beside the same measurement of a bare Qt
// window (startup-bench-bare) in the same run, on the sample dictionary and on a large table.
//   startup-bench [--runs N] [--rows N] [--dir DIR] [--also PROGRAM]   (see README)

#include "benchtable.h"
#include "data/storage.h"
#include "dictio/dictionaryio.h"
#include "xwatch.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int TimeoutMs = 20000;

struct Case
{
    QString label;
    std::vector<std::string> argv;
    double target; // the largest ratio to the bare window; 0 for the floor itself
    std::vector<long long> ns;
    std::vector<long long> cpuNs;
};

double median(std::vector<long long> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? double(v[n / 2]) / 1e6 : double(v[n / 2 - 1] + v[n / 2]) / 2e6;
}

// A private X server; its display number is the first line it writes.
QString startXvfb(QProcess *xvfb)
{
    xvfb->setStandardErrorFile(QProcess::nullDevice());
    xvfb->start(QStringLiteral("Xvfb"),
                {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                 QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                 QStringLiteral("tcp")});
    while (!xvfb->canReadLine()) {
        if (!xvfb->waitForReadyRead(TimeoutMs)) {
            xvfb->kill();
            xvfb->waitForFinished();
            throw std::runtime_error("Xvfb did not start");
        }
    }
    return QLatin1Char(':') + QString::fromLatin1(xvfb->readLine()).trimmed();
}

std::vector<std::string> childEnvironment(const QString &display)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "QT_QPA_FONTDIR"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("DISPLAY"), display);
    std::vector<std::string> result;
    for (const QString &entry : env.toStringList())
        result.push_back(entry.toStdString());
    return result;
}

QString tableDir(const QString &dir, qint64 rows)
{
    if (!QFileInfo::exists(Storage::tablePath(dir))) {
        std::printf("building a table of %lld entries in %s ...\n", rows, qPrintable(dir));
        std::fflush(stdout);
        QDir().mkpath(dir);
        BenchTable::build(dir, rows);
    }
    return dir;
}

void printCase(const Case &c, const Case &floor)
{
    const double m = median(c.ns);
    const auto [lo, hi] = std::minmax_element(c.ns.begin(), c.ns.end());
    std::printf("%-30s %7.1f ms %7.1f ms %7.1f ms %7.1f ms", qPrintable(c.label), m,
                double(*lo) / 1e6, double(*hi) / 1e6, median(c.cpuNs));
    if (c.target <= 0) {
        std::printf("  (floor)\n");
        return;
    }
    const double ratio = m / median(floor.ns);
    std::printf("  %5.2fx  %5.2fx  at most %.2fx: %s\n", ratio,
                median(c.cpuNs) / median(floor.cpuNs), c.target,
                ratio <= c.target ? "met" : "NOT MET");
}

int run(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Measured runs of each program."),
                      QStringLiteral("N"), QStringLiteral("15")});
    parser.addOption({QStringLiteral("rows"), QStringLiteral("Entries in the large table."),
                      QStringLiteral("N"), QStringLiteral("1000000")});
    parser.addOption({QStringLiteral("dir"),
                      QStringLiteral("Reuse (or create) the large table in DIR."),
                      QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("also"),
                      QStringLiteral("Time another build of the program too, in the same rounds "
                                     "(for example the one before a change)."),
                      QStringLiteral("PROGRAM")});
    parser.process(app);
    const int runs = std::max(1, parser.value(QStringLiteral("runs")).toInt());
    const qint64 rows = parser.value(QStringLiteral("rows")).toLongLong();

    QTemporaryDir temp;
    const QString sample = temp.filePath(QStringLiteral("sample"));
    DictionaryIO::createTable(sample, DictionaryIO::sampleCsv());
    const QString large =
        tableDir(parser.isSet(QStringLiteral("dir")) ? parser.value(QStringLiteral("dir"))
                                                     : temp.filePath(QStringLiteral("large")),
                 rows);

    QProcess xvfb;
    const QString display = startXvfb(&xvfb);
    auto watch = std::make_unique<XWatch>(display.toStdString());
    QProcess openbox;
    openbox.setProcessEnvironment([&] {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        return env;
    }());
    openbox.setStandardOutputFile(QProcess::nullDevice());
    openbox.setStandardErrorFile(QProcess::nullDevice());
    openbox.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!openbox.waitForStarted(TimeoutMs) || !watch->waitForWindowManager(TimeoutMs))
        throw std::runtime_error("openbox did not start");

    const std::string program = DREAMBOOK_PROGRAM;
    const auto db = [](const QString &dir) {
        return dir.toStdString();
    };
    std::vector<Case> cases = {
        {QStringLiteral("bare QWidget window"), {BARE_PROGRAM}, 0, {}, {}},
        {QStringLiteral("dreambook, sample dictionary"),
         {program, "--database-dir", db(sample)},
         1.2,
         {},
         {}},
        {QStringLiteral("dreambook, %L1 entries").arg(rows),
         {program, "--database-dir", db(large)},
         1.25,
         {},
         {}},
    };
    if (parser.isSet(QStringLiteral("also"))) {
        const std::string other = parser.value(QStringLiteral("also")).toStdString();
        cases.push_back({QStringLiteral("--also, sample dictionary"),
                         {other, "--database-dir", db(sample)},
                         1.2,
                         {},
                         {}});
        cases.push_back({QStringLiteral("--also, %L1 entries").arg(rows),
                         {other, "--database-dir", db(large)},
                         1.25,
                         {},
                         {}});
    }
    const std::vector<std::string> env = childEnvironment(display);
    int failures = 0;
    // One round to warm the caches, then each program once per round, in turn, so that a
    // change in the machine's load falls on all of them.
    for (int round = 0; round <= runs; ++round) {
        for (Case &c : cases) {
            const XWatch::Launch launch = watch->launch(c.argv, env, TimeoutMs);
            if (!launch.problem.empty()) {
                std::printf("%s: %s\n", qPrintable(c.label), launch.problem.c_str());
                ++failures;
            }
            if (round > 0 && launch.shown) {
                c.ns.push_back(launch.ns);
                c.cpuNs.push_back(launch.cpuNs);
            }
        }
    }
    watch.reset(); // before its display goes
    openbox.kill();
    openbox.waitForFinished();
    xvfb.terminate();
    xvfb.waitForFinished();

    std::printf("from exec until the first window is mapped and painted; Xvfb %s 1280x1024x24 "
                "and openbox; %d runs each after one warm-up round\n\n",
                qPrintable(display), runs);
    std::printf("%-30s %10s %10s %10s %10s  %6s  %6s  %s\n", "program", "median", "min", "max",
                "processor", "ratio", "(proc)", "target (wall-clock ratio)");
    for (const Case &c : cases) {
        if (c.ns.empty())
            return 1;
    }
    for (const Case &c : cases)
        printCase(c, cases.front());
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    try {
        return run(app);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "startup-bench: %s\n", error.what());
        return 1;
    }
}
