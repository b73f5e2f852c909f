// DRV_PATCH: rewrites the drive letter of every "c:\" and "C:\" in one text file.
//
// The file is copied through the text-mode rules into "aswas.tsd" in its directory, which
// then takes the file's place. Text mode is done here rather than by the C runtime, so the
// library reads and writes the same bytes on every platform:
//   - carriage return + line feed reads as a line feed, a lone carriage return stays;
//   - a Ctrl-Z (1A hex) ends the input;
//   - a line feed is written as carriage return + line feed.
// Read and written back, that keeps carriage return + line feed pairs and lone carriage
// returns and puts a carriage return before every bare line feed.
#include "drvcore.h"

namespace {

using namespace drvpatch;

constexpr char kCtrlZ = '\x1a';

// Puts a carriage return before each line feed of buf[0, n) that has none, in place; buf
// has room for 2n bytes. previousWasCr tells whether the byte before buf[0] was a carriage
// return, and is updated for the next block. Returns the new length.
std::size_t toCrLf(char *buf, std::size_t n, bool &previousWasCr)
{
    if (n == 0)
        return 0;
    const bool crBeforeBlock = previousWasCr;
    previousWasCr = buf[n - 1] == '\r';
    auto crBefore = [&](const char *lf) {
        return lf > buf ? lf[-1] == '\r' : crBeforeBlock;
    };

    std::size_t bare = 0;
    const char *const end = buf + n;
    for (const char *p = buf; p < end; ++p) {
        p = static_cast<const char *>(std::memchr(p, '\n', std::size_t(end - p)));
        if (!p)
            break;
        if (!crBefore(p))
            ++bare;
    }
    // Lines that already end in carriage return + line feed stay where they are; otherwise
    // the block is spread out from its end.
    char *from = buf + n;
    char *to = from + bare;
    while (to > from) {
        const char c = *--from;
        *--to = c;
        if (c == '\n' && !crBefore(from))
            *--to = '\r';
    }
    return n + bare;
}

bool copyText(File &source, File &sink, char letter)
{
    CopyBuffer buffer(2);
    ReferenceStream stream(buffer.data(), letter);
    bool previousWasCr = false;
    for (;;) {
        char *const block = stream.data() + stream.held();
        const long got = source.read(block, buffer.block());
        if (got < 0)
            return false;
        if (got == 0)
            break;
        std::size_t n = std::size_t(got);
        const char *ctrlZ = static_cast<const char *>(std::memchr(block, kCtrlZ, n));
        if (ctrlZ)
            n = std::size_t(ctrlZ - block);
        if (!stream.push(toCrLf(block, n, previousWasCr), sink))
            return false;
        if (ctrlZ)
            break;
    }
    return stream.finish(sink);
}

} // namespace

extern "C" DRVPATCH_EXPORT int DRVPATCH_CALL DRV_PATCH(const char *base, const char *sub,
                                                       char **name)
{
    if (!name || !*name || !base || !sub || !*base)
        return 0;

    PathBuf dir;
    dir.append(base).append(sub);
    PathBuf target = dir;
    target.append(*name);
    PathBuf temp = dir;
    temp.append(kSeparator).append(kTempName);
    if (!dir.ok() || !target.ok() || !temp.ok())
        return 0;

    const char letter = base[0];
    return rewriteThrough(target.c_str(), temp.c_str(), [letter](File &source, File &sink) {
        return copyText(source, sink, letter);
    });
}
