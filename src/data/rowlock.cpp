#include "data/rowlock.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {
// Lock bytes lie far beyond the file's (empty) content.
constexpr qint64 LockBase = 1 << 20;
} // namespace

#ifdef Q_OS_WIN

RowLock::RowLock(const QString &lockFilePath) : m_path(lockFilePath)
{
    HANDLE h = CreateFileW(reinterpret_cast<const wchar_t *>(m_path.utf16()),
                           GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    m_handle = (h == INVALID_HANDLE_VALUE) ? nullptr : h;
}

RowLock::~RowLock()
{
    if (m_handle)
        CloseHandle(m_handle);
}

bool RowLock::isUsable() const
{
    return m_handle != nullptr;
}

bool RowLock::tryLock(qint64 id)
{
    if (!m_handle)
        return true;
    OVERLAPPED ov = {};
    const quint64 at = quint64(LockBase + id);
    ov.Offset = DWORD(at & 0xFFFFFFFFu);
    ov.OffsetHigh = DWORD(at >> 32);
    return LockFileEx(m_handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &ov);
}

void RowLock::unlock(qint64 id)
{
    if (!m_handle)
        return;
    OVERLAPPED ov = {};
    const quint64 at = quint64(LockBase + id);
    ov.Offset = DWORD(at & 0xFFFFFFFFu);
    ov.OffsetHigh = DWORD(at >> 32);
    UnlockFileEx(m_handle, 0, 1, 0, &ov);
}

#else

RowLock::RowLock(const QString &lockFilePath) : m_path(lockFilePath)
{
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) // a read-only place: a read-only table never edits
        m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
}

RowLock::~RowLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool RowLock::isUsable() const
{
    return m_fd >= 0;
}

namespace {
bool setLock(int fd, qint64 id, short type)
{
    struct flock fl = {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(LockBase + id);
    fl.l_len = 1;
#ifdef F_OFD_SETLK
    // Open-file-description locks: owned by this descriptor, not by the process.
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
#else
    return ::fcntl(fd, F_SETLK, &fl) == 0;
#endif
}
} // namespace

bool RowLock::tryLock(qint64 id)
{
    if (m_fd < 0)
        return true;
    return setLock(m_fd, id, F_WRLCK);
}

void RowLock::unlock(qint64 id)
{
    if (m_fd >= 0)
        setLock(m_fd, id, F_UNLCK);
}

#endif

bool RowLock::isLockedElsewhere(qint64 id)
{
    if (!tryLock(id))
        return true;
    unlock(id);
    return false;
}
