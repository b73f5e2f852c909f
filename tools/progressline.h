#pragma once

#include <QElapsedTimer>
#include <QString>

// A counter of what a long command has done, on one line of standard error that rewrites
// itself, a few times a second. Only a terminal sees it: when standard error is a file or a
// pipe nothing is written, so that scripts and logs stay clean. The line is cleared when the
// counter goes away.
class ProgressLine
{
public:
    explicit ProgressLine(const QString &what); // e.g. "entradas importadas"
    ~ProgressLine();
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    void show(qint64 done);

    // Whether standard error is a terminal.
    static bool onTerminal();

private:
    QString m_what;
    bool m_enabled;
    bool m_shown = false;
    QElapsedTimer m_sinceShown;
};
