// The rewriters' core on any bytes, with any drive letter, in pieces of any sizes, through
// blocks of any size and vectors of every width, against the rule written out plainly.
#include "drvcore.h"
#include "fuzz.h"
#include "refmodel.h"

namespace {

// The input handed over in pieces whose sizes the fuzzer chose.
struct Pieces
{
    const QByteArray &bytes;
    const QByteArray &sizes;
    int at = 0;
    int piece = 0;
    long read(char *buf, std::size_t n)
    {
        const int wanted = sizes.isEmpty() ? int(n) : 1 + uchar(sizes[piece++ % sizes.size()]);
        const int got = std::min({int(n), wanted, int(bytes.size()) - at});
        std::memcpy(buf, bytes.constData() + at, std::size_t(got));
        at += got;
        return got;
    }
};

// Collects what is written; fails at the write numbered failAt (from 1; 0: never).
struct Collected
{
    int failAt = 0;
    int writes = 0;
    QByteArray bytes;
    bool writeAll(const char *buf, std::size_t n)
    {
        if (++writes == failAt)
            return false;
        bytes.append(buf, int(n));
        return true;
    }
};

template <drvpatch::Mode M>
void copyInPieces(fuzz::Input &in, const QByteArray &bytes, char letter, const QByteArray &model)
{
    const std::size_t blocks[] = {1, 2, 3, 5, 16, 17, 33, 64, 100, 255, drvpatch::kBlockSize};
    const std::size_t block = blocks[in.below(sizeof blocks / sizeof *blocks)];
    const std::size_t vectors = std::size_t(16 * in.below(3));
    const int failAt = in.below(8) == 0 ? int(in.below(4)) : 0;
    const QByteArray sizes = in.bytes(in.below(8));
    Pieces source{bytes, sizes};
    Collected sink;
    sink.failAt = failAt;
    const bool ok = drvpatch::copyStream<M>(source, sink, letter, block, vectors);
    FUZZ_CHECK(ok == (sink.writes < failAt || failAt == 0));
    if (ok)
        FUZZ_CHECK(sink.bytes == model);
    else
        FUZZ_CHECK(model.startsWith(sink.bytes));
}

} // namespace

FUZZ_ENTRY
{
    fuzz::Input in(data, size);
    const bool text = in.flag();
    const char letter = char(in.byte());
    const QByteArray bytes = in.bytes(in.below(4096));

    if (text) {
        copyInPieces<drvpatch::Mode::Text>(in, bytes, letter, refmodel::textMode(bytes, letter));
    } else {
        const QByteArray model = refmodel::byteMode(bytes, letter);
        QByteArray whole = bytes;
        drvpatch::rewriteReferences(whole.data(), std::size_t(whole.size()), letter);
        FUZZ_CHECK(whole == model);
        copyInPieces<drvpatch::Mode::Bytes>(in, bytes, letter, model);
    }
    return 0;
}
