// DRV_PATCHB: rewrites the drive letter of every "c:\" and "C:\" in one file of any
// content. The bytes are copied unchanged apart from those letters, through a temporary
// file "aswas.tsd" that then takes the file's place.
//
// Where the names go: a file name that begins with a separator is taken relative to base
// path + sub-path; any other name lies in the base path itself (a separator is put between
// them) and the sub-path is not used. The temporary file is that directory path followed
// directly by "aswas.tsd", so when the directory path ends without a separator it lies
// beside that directory, named after it.
#include "drvfiles.h"

using namespace drvpatch;

extern "C" DRVPATCH_EXPORT int DRVPATCH_CALL DRV_PATCHB(const char *base, const char *sub,
                                                        char **name)
{
    if (!name || !*name || !base || !sub || !*base)
        return 0;

    PathBuf dir;
    if ((*name)[0] == kSeparator)
        dir.append(base).append(sub);
    else
        dir.append(base).append(kSeparator);
    PathBuf target = dir;
    target.append(*name);
    PathBuf temp = dir;
    temp.append(kTempName);
    if (!dir.ok() || !target.ok() || !temp.ok())
        return 0;

    return rewriteThrough<Mode::Bytes>(target.c_str(), temp.c_str(), base[0]);
}
