#include "progressline.h"

#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr qint64 IntervalMs = 100;
const char EraseToEnd[] = "\033[K";

void writeError(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

ProgressLine::ProgressLine(const QString &what) : m_what(what), m_enabled(onTerminal()) {}

ProgressLine::~ProgressLine()
{
    if (m_shown)
        writeError(QByteArray("\r") + EraseToEnd);
}

void ProgressLine::show(qint64 done)
{
    if (!m_enabled || (m_shown && m_sinceShown.elapsed() < IntervalMs))
        return;
    writeError("\r" + QStringLiteral("%1: %2").arg(m_what).arg(done).toUtf8() + EraseToEnd);
    m_shown = true;
    m_sinceShown.start();
}

bool ProgressLine::onTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(::fileno(stderr)) != 0;
#endif
}
