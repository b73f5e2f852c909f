// DRV_PATCH: rewrites the drive letter of every "c:\" and "C:\" in one text file.
//
// The file is copied into "aswas.tsd" in its directory, which then takes the file's place,
// read and written in text mode. The library does text mode itself (drvcore.h), so it reads
// and writes the same bytes on every platform: the copy ends before a Ctrl-Z, keeps carriage
// return + line feed pairs and lone carriage returns, and puts a carriage return before every
// line feed that has none.
#include "drvfiles.h"

using namespace drvpatch;

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

    return rewriteThrough<Mode::Text>(target.c_str(), temp.c_str(), base[0]);
}
