// What the fuzz targets share: the entry's signature, taking an input apart, and failing in a
// way that both libFuzzer and the corpus test report with the input that did it.
#pragma once

#include <QByteArray>
#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_ENTRY extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)

// Ends the run when a property does not hold.
#define FUZZ_CHECK(condition) ((condition) ? void() : fuzz::fail(#condition, __FILE__, __LINE__))

namespace fuzz {

[[noreturn]] inline void fail(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

// Makes the application object of type App that a target needs, once, from its
// LLVMFuzzerInitialize. The corpus test deletes it before its main returns, as a program's
// main would, so that what the application cleans up at its end is not taken for a leak;
// under libFuzzer it lives as long as the process.
template <class App> void startApplication(const char *name)
{
    static int argc = 1;
    static QByteArray arg0(name);
    static char *argv[] = {arg0.data(), nullptr};
    if (!QCoreApplication::instance())
        new App(argc, argv);
}

// An input read from the front: a few small numbers that choose how to run, then bytes.
// Reading past the end gives zeros, so every input is a valid one.
class Input
{
public:
    Input(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    // A number in [0, bound), from one byte, or two when bound is above 256.
    unsigned below(unsigned bound)
    {
        unsigned v = byte();
        if (bound > 256)
            v = v << 8 | byte();
        return bound ? v % bound : 0;
    }
    bool flag() { return byte() & 1; }
    // The next n bytes (fewer at the end).
    QByteArray bytes(std::size_t n)
    {
        n = n < m_size - m_at ? n : m_size - m_at;
        const QByteArray out(reinterpret_cast<const char *>(m_data + m_at), int(n));
        m_at += n;
        return out;
    }
    QByteArray rest() { return bytes(m_size - m_at); }
    std::size_t left() const { return m_size - m_at; }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

} // namespace fuzz
