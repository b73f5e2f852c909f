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

// Copies in[0, n) to out with a carriage return before each line feed that has none.
// previousWasCr tells whether the byte before in[0] was a carriage return.
std::size_t toCrLf(const char *in, std::size_t n, char *out, bool &previousWasCr)
{
    if (n == 0)
        return 0;
    const char *p = in;
    const char *const end = in + n;
    char *o = out;
    while (p < end) {
        const char *lf = static_cast<const char *>(std::memchr(p, '\n', std::size_t(end - p)));
        if (!lf) {
            std::memcpy(o, p, std::size_t(end - p));
            o += end - p;
            break;
        }
        const bool crBefore = lf > p ? lf[-1] == '\r' : previousWasCr;
        std::memcpy(o, p, std::size_t(lf - p));
        o += lf - p;
        if (!crBefore)
            *o++ = '\r';
        *o++ = '\n';
        p = lf + 1;
        previousWasCr = false;
    }
    previousWasCr = end[-1] == '\r';
    return std::size_t(o - out);
}

bool copyText(File &source, File &sink, char letter)
{
    CopyBuffers buffers(2);
    ReferenceStream stream(buffers.out(), letter);
    bool previousWasCr = false;
    for (;;) {
        const long got = source.read(buffers.in(), buffers.block());
        if (got < 0)
            return false;
        if (got == 0)
            break;
        std::size_t n = std::size_t(got);
        const char *ctrlZ = static_cast<const char *>(std::memchr(buffers.in(), kCtrlZ, n));
        if (ctrlZ)
            n = std::size_t(ctrlZ - buffers.in());
        const std::size_t added =
            toCrLf(buffers.in(), n, stream.data() + stream.held(), previousWasCr);
        if (!stream.push(added, sink))
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
