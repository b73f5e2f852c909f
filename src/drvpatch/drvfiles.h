// The files and paths of the two drive-letter rewriters: composing the paths, opening,
// copying through the core (drvcore.h), closing, deleting and renaming. Each library compiles
// its own copy: nothing here is exported, nothing throws and nothing keeps state between calls.
#pragma once

#include "drvcore.h"

#include <cstddef>
#include <cstring>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// The exports are named, undecorated and numbered by the .def files.
#define DRVPATCH_EXPORT
#define DRVPATCH_CALL __stdcall
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define DRVPATCH_EXPORT __attribute__((visibility("default")))
#define DRVPATCH_CALL
#endif

#include "drvpatch.h" // the published declarations, which the definitions must match

namespace drvpatch {

#if defined(_WIN32)
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// Every composed path holds at most 259 characters plus its terminating NUL.
constexpr std::size_t kPathCapacity = 260;
constexpr const char kTempName[] = "aswas.tsd";

// A path put together from parts; remembers when a part did not fit.
class PathBuf
{
public:
    PathBuf &append(const char *part)
    {
        const std::size_t n = std::strlen(part);
        if (m_overflow || n > kPathCapacity - 1 - m_length) {
            m_overflow = true;
            return *this;
        }
        std::memcpy(m_text + m_length, part, n);
        m_length += n;
        m_text[m_length] = '\0';
        return *this;
    }
    PathBuf &append(char c)
    {
        const char part[2] = {c, '\0'};
        return append(part);
    }
    bool ok() const { return !m_overflow; }
    std::size_t length() const { return m_length; }
    const char *c_str() const { return m_text; }
    char last() const { return m_length ? m_text[m_length - 1] : '\0'; }

private:
    char m_text[kPathCapacity] = {};
    std::size_t m_length = 0;
    bool m_overflow = false;
};

#if defined(_WIN32)

class File
{
public:
    File() = default;
    ~File() { close(); }
    File(const File &) = delete;
    File &operator=(const File &) = delete;

    // The target: shared with other readers and writers, like a C runtime "r" open.
    bool openForReading(const char *path)
    {
        m_handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (m_handle == INVALID_HANDLE_VALUE)
            return false;
        if (!GetFileInformationByHandle(m_handle, &m_info) ||
            (m_info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            close();
            return false;
        }
        return true;
    }
    // The temporary file: created, or emptied when it exists.
    bool create(const char *path)
    {
        m_handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        return m_handle != INVALID_HANDLE_VALUE;
    }
    // Whether path names the file this one was opened on.
    bool isSameFileAs(const char *path) const
    {
        HANDLE other = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (other == INVALID_HANDLE_VALUE)
            return false;
        BY_HANDLE_FILE_INFORMATION info;
        const bool same = GetFileInformationByHandle(other, &info) &&
                          info.dwVolumeSerialNumber == m_info.dwVolumeSerialNumber &&
                          info.nFileIndexHigh == m_info.nFileIndexHigh &&
                          info.nFileIndexLow == m_info.nFileIndexLow;
        CloseHandle(other);
        return same;
    }
    // A read-only target cannot be deleted, so it is never replaced.
    bool isReadOnly(const char *) const
    {
        return m_info.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
    }
    // Windows keeps no permission bits beside the read-only attribute, which blocks anyway.
    void copyPermissionsFrom(const File &) {}

    // Bytes read, 0 at the end, -1 on an error.
    long read(char *buf, std::size_t n)
    {
        DWORD got = 0;
        if (!ReadFile(m_handle, buf, static_cast<DWORD>(n), &got, nullptr))
            return -1;
        return static_cast<long>(got);
    }
    bool writeAll(const char *buf, std::size_t n)
    {
        while (n) {
            DWORD done = 0;
            if (!WriteFile(m_handle, buf, static_cast<DWORD>(n), &done, nullptr) || !done)
                return false;
            buf += done;
            n -= done;
        }
        return true;
    }
    bool close()
    {
        if (m_handle == INVALID_HANDLE_VALUE)
            return true;
        const bool ok = CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    BY_HANDLE_FILE_INFORMATION m_info = {};
};

inline void removeFile(const char *path)
{
    DeleteFileA(path);
}
// Fails when the destination exists, as the C runtime's rename does.
inline bool renameFile(const char *from, const char *to)
{
    return MoveFileA(from, to);
}

#else

class File
{
public:
    File() = default;
    ~File() { close(); }
    File(const File &) = delete;
    File &operator=(const File &) = delete;

    bool openForReading(const char *path)
    {
        do
            m_fd = ::open(path, O_RDONLY | O_CLOEXEC);
        while (m_fd < 0 && errno == EINTR);
        if (m_fd < 0)
            return false;
        if (::fstat(m_fd, &m_stat) != 0 || !S_ISREG(m_stat.st_mode)) {
            close();
            return false;
        }
        return true;
    }
    bool create(const char *path)
    {
        do
            m_fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        while (m_fd < 0 && errno == EINTR);
        return m_fd >= 0;
    }
    bool isSameFileAs(const char *path) const
    {
        struct stat other;
        return ::stat(path, &other) == 0 && other.st_dev == m_stat.st_dev &&
               other.st_ino == m_stat.st_ino;
    }
    // Without a write permission bit, or without write access for this process, the target
    // counts as read-only: it is neither deleted nor replaced.
    bool isReadOnly(const char *path) const
    {
        return (m_stat.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path, W_OK) != 0;
    }
    void copyPermissionsFrom(const File &source)
    {
        // A file system without permission bits keeps its own; the copy is good either way.
        (void)::fchmod(m_fd, source.m_stat.st_mode & 07777);
    }

    long read(char *buf, std::size_t n)
    {
        for (;;) {
            const ssize_t got = ::read(m_fd, buf, n);
            if (got >= 0)
                return static_cast<long>(got);
            if (errno != EINTR)
                return -1;
        }
    }
    bool writeAll(const char *buf, std::size_t n)
    {
        while (n) {
            const ssize_t done = ::write(m_fd, buf, n);
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0)
                return false;
            buf += done;
            n -= std::size_t(done);
        }
        return true;
    }
    bool close()
    {
        if (m_fd < 0)
            return true;
        const bool ok = ::close(m_fd) == 0;
        m_fd = -1;
        return ok;
    }

private:
    int m_fd = -1;
    struct stat m_stat = {};
};

inline void removeFile(const char *path)
{
    ::unlink(path);
}
// Like the Windows rename, never replaces an existing file: the target must be gone first.
inline bool renameFile(const char *from, const char *to)
{
    if (::access(to, F_OK) == 0)
        return false;
    return std::rename(from, to) == 0;
}

#endif

// Copies target into temp through the core in mode M with the drive letter, then closes both,
// deletes the target and moves the copy into its place. Results: 0 done, or nothing done (target or
// temporary file cannot be opened); -1 when the copy failed (the temporary file is removed and the
// target left alone) or the copy could not be moved into place (it stays in the temporary
// file).
template <Mode M> int rewriteThrough(const char *target, const char *temp, char letter)
{
    File source;
    if (!source.openForReading(target))
        return 0;
    // Emptying the temporary file must never empty the target itself.
    if (source.isSameFileAs(temp))
        return 0;
    File sink;
    if (!sink.create(temp))
        return 0;

    const bool copied = copyStream<M>(source, sink, letter);
    const bool readOnly = source.isReadOnly(target);
    if (copied && !readOnly)
        sink.copyPermissionsFrom(source);
    source.close();
    if (!sink.close() || !copied) {
        removeFile(temp);
        return -1;
    }
    if (readOnly)
        return -1; // the target stays; the rename would find it present
    removeFile(target);
    return renameFile(temp, target) ? 0 : -1;
}

} // namespace drvpatch
