// The rewriting core of the two drive-letter rewriters: the rule, the text-mode translation
// and the copy loop, over bytes in memory only. No files, no platform calls, no state between
// calls, nothing throws; each library compiles its own copy.
//
// The rule. First every "c:\" gets the drive letter in place of its "c", then every "C:\" of
// that result gets it in place of its "C". Pieces, chunks and blocks do not matter: the
// output is what the two passes give over the whole input at once.
//
// Text mode, as the text library applies it around the rule: the input ends before its first
// Ctrl-Z (1A hex); reading turns a carriage return + line feed pair into a line feed, and
// writing turns every line feed, a drive letter that is one included, into carriage return +
// line feed. On the bytes that comes to: cut at the Ctrl-Z, the rule, a carriage return put
// before each line feed that has none and before each drive letter written that is a line feed.
//
// Entry points, for the libraries and for tests and fuzz targets that bring their own bytes:
//
//   rewriteReferences(buf, n, letter)
//       The rule over one whole buffer, in place (byte mode over a whole file).
//
//   Rewriter<Mode::Text> / Rewriter<Mode::Bytes>  (letter[, block[, vectors]])
//       The same over a stream given in pieces of any size: put up to room() bytes at
//       space(), then push(n, sink); after the last piece, finish(sink). The last four bytes
//       stay behind until the next piece or finish() shows what follows them. In text mode
//       nothing after a Ctrl-Z is taken: ended() turns true and the rest of a piece is dropped.
//
//   copyStream<Mode>(source, sink, letter[, block[, vectors]])
//       Reads source to its end through a Rewriter into sink; what each library does between
//       opening and closing its files. source.read(buf, n) returns how many bytes it put at
//       buf (1 to n), 0 at the end or -1 on an error; sink.writeAll(buf, n) returns false on
//       an error. Returns false when either failed, true when everything was written.
//
// block: the most asked for per read, 1 to 2^30 (kBlockSize by default). vectors: the widest
// vectors to look at the bytes with, in bytes: 0 (one byte at a time), 16 or 32; never wider
// than the processor has (widestVectors(), the default). Every choice gives the same output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace drvpatch {

enum class Mode { Text, Bytes };

// Bytes asked for per read: large enough to keep calls few, small enough to stay in the
// processor cache between the read and the write.
constexpr std::size_t kBlockSize = std::size_t(1) << 17;

#if defined(__SSE2__) || defined(__ARM_NEON)
#define DRVPATCH_VECTORS 16
// Wider vectors where the processor has them; not on Windows, where GCC does not align the
// stack for their spills.
#if defined(__x86_64__) && !defined(_WIN32) && (defined(__GNUC__) || defined(__clang__))
#define DRVPATCH_AVX2 1
#endif
#endif

inline std::size_t widestVectors()
{
#if defined(DRVPATCH_AVX2)
    if (__builtin_cpu_supports("avx2"))
        return 32;
#endif
#if defined(DRVPATCH_VECTORS)
    return 16;
#else
    return 0;
#endif
}

namespace detail {

constexpr char kCtrlZ = '\x1a';

// Whether a reference begins at a byte is settled by that byte and the four after it.
constexpr std::size_t kLookahead = 4;

// Whether the letter at p becomes the drive letter; avail bytes from p on are known and the
// input ends after them. Only p[0] to p[4] are read. The first pass takes "c:\". The second
// takes "C:\" in the first pass's result: a letter written there can only complete it as its
// backslash, when the drive letter is a backslash and "c:\" follows "C:".
inline bool startsReference(const char *p, std::size_t avail, char letter)
{
    if (avail < 3 || (p[0] != 'c' && p[0] != 'C') || p[1] != ':')
        return false;
    if (p[2] == '\\')
        return true;
    return letter == '\\' && p[0] == 'C' && avail >= 5 && p[2] == 'c' && p[3] == ':' &&
           p[4] == '\\';
}

// Where carriage returns go in: before these positions, in increasing order.
struct LineFeeds
{
    std::uint32_t *at;
    std::size_t count;
};

// Decides buf[i, to) one byte at a time; buf[to, end) is known too. crBefore: whether the
// byte before buf[0] is a carriage return. A letter written at k - 1 is never taken for the
// carriage return before a line feed at k, since a reference has its colon there; the same
// holds for the faster ways below.
template <Mode M>
void scanBytes(char *buf, std::size_t i, std::size_t to, std::size_t end, char letter,
               bool crBefore, LineFeeds &bare)
{
    for (; i < to; ++i) {
        if (M == Mode::Text && buf[i] == '\n') {
            if (!(i ? buf[i - 1] == '\r' : crBefore))
                bare.at[bare.count++] = std::uint32_t(i);
        } else if (startsReference(buf + i, end - i, letter)) {
            buf[i] = letter;
            if (M == Mode::Text && letter == '\n')
                bare.at[bare.count++] = std::uint32_t(i);
        }
    }
}

// Notes the line feeds of buf[from, to) with no carriage return before them; from >= 1.
inline void collectLineFeeds(const char *buf, std::size_t from, std::size_t to, LineFeeds &bare)
{
    const char *const end = buf + to;
    for (const char *p = buf + from; p < end; ++p) {
        p = static_cast<const char *>(std::memchr(p, '\n', std::size_t(end - p)));
        if (!p)
            return;
        if (p[-1] != '\r')
            bare.at[bare.count++] = std::uint32_t(p - buf);
    }
}

// Rewrites the references that begin in buf[i, to), of which buf[0, end) is known, going from
// colon to colon.
inline void rewriteAtColons(char *buf, std::size_t i, std::size_t to, std::size_t end, char letter)
{
    const std::size_t stop = to < end ? to + 1 : end;
    for (std::size_t colon = i + 1; colon < stop; ++colon) {
        const void *found = std::memchr(buf + colon, ':', stop - colon);
        if (!found)
            return;
        colon = std::size_t(static_cast<const char *>(found) - buf);
        if (startsReference(buf + colon - 1, end - (colon - 1), letter))
            buf[colon - 1] = letter;
    }
}

#if defined(DRVPATCH_VECTORS)
template <std::size_t W> struct Vector
{
    typedef unsigned char Bytes __attribute__((vector_size(W)));
    typedef std::uint64_t Words __attribute__((vector_size(W)));
};

template <typename V> inline void load(V &v, const char *p)
{
    std::memcpy(&v, p, sizeof v);
}

// The references of buf[i, to) W bytes at a time, from i >= 1 while a vector and the four
// bytes after it are known; buf[0, end) is known. Returns where it stopped; bareSeen tells
// whether a line feed without a carriage return before it went by (text). Each vector is
// stored back one step late, so that the bytes read are always those of the input. Chain:
// the drive letter is a backslash, so "C:c:\" begins a reference too (startsReference).
template <std::size_t W, Mode M, bool Chain>
[[gnu::always_inline]] inline std::size_t scanVectors(char *buf, std::size_t i, std::size_t to,
                                                      std::size_t end, char letter, bool &bareSeen)
{
    using V = typename Vector<W>::Bytes;
    if (i + W > to || i + W + kLookahead > end)
        return i;
    const V drive = V{} + static_cast<unsigned char>(letter);
    V bare{};
    V pending;
    load(pending, buf + i);
    char *pendingAt = buf + i;
    for (; i + W <= to && i + W + kLookahead <= end; i += W) {
        char *const p = buf + i;
        V v0, v1, v2;
        load(v0, p);
        load(v1, p + 1);
        load(v2, p + 2);
        auto ends = v2 == '\\';
        if (Chain) {
            V v3, v4;
            load(v3, p + 3);
            load(v4, p + 4);
            ends |= (v0 == 'C') & (v2 == 'c') & (v3 == ':') & (v4 == '\\');
        }
        const auto refs = ((v0 | 0x20) == 'c') & (v1 == ':') & ends;
        if (M == Mode::Text) {
            V before;
            load(before, p - 1);
            bare |= V((v0 == '\n') & ~(before == '\r'));
        }
        std::memcpy(pendingAt, &pending, W);
        pending = refs ? drive : v0;
        pendingAt = p;
    }
    std::memcpy(pendingAt, &pending, W);
    const auto words = typename Vector<W>::Words(bare);
    for (std::size_t k = 0; k < W / 8; ++k)
        bareSeen |= words[k] != 0;
    return i;
}

#if defined(DRVPATCH_AVX2)
template <Mode M, bool Chain>
__attribute__((target("avx2"))) std::size_t scanWideVectors(char *buf, std::size_t i,
                                                            std::size_t to, std::size_t end,
                                                            char letter, bool &bareSeen)
{
    return scanVectors<32, M, Chain>(buf, i, to, end, letter, bareSeen);
}
#endif

template <Mode M, bool Chain>
std::size_t scanVectorsOf(std::size_t width, char *buf, std::size_t i, std::size_t to,
                          std::size_t end, char letter, bool &bareSeen)
{
#if defined(DRVPATCH_AVX2)
    if (width >= 32)
        return scanWideVectors<M, Chain>(buf, i, to, end, letter, bareSeen);
#endif
    return width >= 16 ? scanVectors<16, M, Chain>(buf, i, to, end, letter, bareSeen) : i;
}
#endif

// Decides buf[0, to), of which buf[0, end) is known: writes the drive letter where a
// reference begins and (text) notes where carriage returns go in. width: as vectors above.
template <Mode M>
void scan(char *buf, std::size_t to, std::size_t end, char letter, bool crBefore, LineFeeds &bare,
          std::size_t width)
{
    // A drive letter that is a line feed takes a carriage return too: byte by byte.
    if (M == Mode::Text && letter == '\n')
        return scanBytes<M>(buf, 0, to, end, letter, crBefore, bare);
    std::size_t i = to < 1 ? to : 1;
    scanBytes<M>(buf, 0, i, end, letter, crBefore, bare);
    const std::size_t from = i;
    bool bareSeen = false;
#if defined(DRVPATCH_VECTORS)
    i = letter == '\\' ? scanVectorsOf<M, true>(width, buf, i, to, end, letter, bareSeen)
                       : scanVectorsOf<M, false>(width, buf, i, to, end, letter, bareSeen);
#else
    (void)width;
#endif
    rewriteAtColons(buf, i, to, end, letter);
    if (M == Mode::Text)
        collectLineFeeds(buf, bareSeen ? from : i, to, bare);
}

// Puts a carriage return before each position of bare, in place in buf[0, n), which has room
// for n + bare.count bytes. Returns the new length.
inline std::size_t insertCarriageReturns(char *buf, std::size_t n, const LineFeeds &bare)
{
    char *from = buf + n;
    char *to = from + bare.count;
    for (std::size_t k = bare.count; k-- > 0;) {
        char *const lf = buf + bare.at[k];
        const std::size_t tail = std::size_t(from - lf);
        to -= tail;
        std::memmove(to, lf, tail);
        *--to = '\r';
        from = lf;
    }
    return n + bare.count;
}

} // namespace detail

inline void rewriteReferences(char *buf, std::size_t n, char letter)
{
    detail::LineFeeds none{nullptr, 0};
    detail::scan<Mode::Bytes>(buf, n, n, letter, false, none, widestVectors());
}

template <Mode M> class Rewriter
{
public:
    explicit Rewriter(char letter, std::size_t block = kBlockSize,
                      std::size_t vectors = widestVectors())
        : m_letter(letter)
    {
        const std::size_t widest = widestVectors();
        m_vectors = vectors < widest ? vectors : widest;
        block = block < 1 ? 1 : block > kMostBlock ? kMostBlock : block;
        m_heap = static_cast<std::uint32_t *>(std::malloc(bytesFor(block)));
        // When the heap says no, a small block on the stack does the job.
        if (!m_heap)
            block = sizeof m_stack / kPerByte - detail::kLookahead;
        std::uint32_t *const memory = m_heap ? m_heap : m_stack;
        m_buf = reinterpret_cast<char *>(memory);
        m_block = block;
        // Text: room for each byte to take a carriage return, then where they go.
        if (M == Mode::Text)
            m_bare = memory + (2 * (block + detail::kLookahead) + 3) / 4;
    }
    ~Rewriter() { std::free(m_heap); }
    Rewriter(const Rewriter &) = delete;
    Rewriter &operator=(const Rewriter &) = delete;

    char *space() const { return m_buf + m_held; }
    std::size_t room() const { return m_block; }
    bool ended() const { return m_ended; }

    // Takes the n bytes put at space() and hands to sink all that is settled.
    template <typename Sink> bool push(std::size_t n, Sink &sink)
    {
        if (m_ended)
            return true;
        if (M == Mode::Text) {
            if (const void *z = std::memchr(space(), detail::kCtrlZ, n)) {
                n = std::size_t(static_cast<const char *>(z) - space());
                m_ended = true;
            }
        }
        const std::size_t total = m_held + n;
        const std::size_t settled = m_ended                      ? total
                                    : total > detail::kLookahead ? total - detail::kLookahead
                                                                 : 0;
        return emit(settled, total, sink);
    }
    // The input is over: hands the bytes still held to sink.
    template <typename Sink> bool finish(Sink &sink) { return emit(m_held, m_held, sink); }

private:
    static constexpr std::size_t kPerByte = M == Mode::Text ? 2 + sizeof(std::uint32_t) : 1;
    // Positions are noted in 32 bits.
    static constexpr std::size_t kMostBlock = std::size_t(1) << 30;
    static std::size_t bytesFor(std::size_t block)
    {
        return (block + detail::kLookahead) * kPerByte + sizeof(std::uint32_t);
    }

    // Decides buf[0, settled) of buf[0, total), writes it and keeps the rest for later.
    template <typename Sink> bool emit(std::size_t settled, std::size_t total, Sink &sink)
    {
        detail::LineFeeds bare{m_bare, 0};
        const bool crBefore = m_crBefore;
        if (settled)
            m_crBefore = m_buf[settled - 1] == '\r';
        detail::scan<M>(m_buf, settled, total, m_letter, crBefore, bare, m_vectors);

        char rest[detail::kLookahead];
        const std::size_t kept = total - settled;
        std::memcpy(rest, m_buf + settled, kept);
        const std::size_t out =
            bare.count ? detail::insertCarriageReturns(m_buf, settled, bare) : settled;
        if (!sink.writeAll(m_buf, out))
            return false;
        std::memcpy(m_buf, rest, kept);
        m_held = kept;
        return true;
    }

    char m_letter;
    bool m_crBefore = false;
    bool m_ended = false;
    std::size_t m_vectors = 0;
    std::size_t m_held = 0;
    std::size_t m_block = 0;
    char *m_buf = nullptr;
    std::uint32_t *m_bare = nullptr;
    std::uint32_t *m_heap = nullptr;
    std::uint32_t m_stack[1024];
};

template <Mode M, typename Source, typename Sink>
bool copyStream(Source &source, Sink &sink, char letter, std::size_t block = kBlockSize,
                std::size_t vectors = widestVectors())
{
    Rewriter<M> rewriter(letter, block, vectors);
    while (!rewriter.ended()) {
        const long got = source.read(rewriter.space(), rewriter.room());
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (!rewriter.push(std::size_t(got), sink))
            return false;
    }
    return rewriter.finish(sink);
}

} // namespace drvpatch
