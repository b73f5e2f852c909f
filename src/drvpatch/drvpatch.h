/* The drive-letter rewriters: libdrvpatch (DRV_PATCH, text lines) and libdrvpatchb
 * (DRV_PATCHB, raw bytes).
 *
 * Each call rewrites one file, the directory path base + sub followed by the file name
 * *name (the name carries its own leading separator), so that every "c:\" and "C:\" in it
 * names the drive of base, whose first character is the new drive letter. The new text is
 * written to "aswas.tsd" in the same directory, which then takes the file's place.
 *
 * Both return 0 when the file was rewritten, and also when nothing was done (a null
 * argument, an empty base, a file or a temporary file that cannot be opened); -1 when the
 * final rename failed.
 * Every composed path must stay within 259 characters. Calls keep nothing between them,
 * but two calls must not work in the same directory at the same time.
 *
 * Build with: cc prog.c $(pkg-config --cflags --libs drvpatch)
 */
#ifndef DRVPATCH_H
#define DRVPATCH_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define DRVPATCH_API __stdcall
#else
#define DRVPATCH_API
#endif

/* Text mode: carriage return + line feed reads as a line feed, a Ctrl-Z ends the input,
 * and every line feed is written back as carriage return + line feed. */
int DRVPATCH_API DRV_PATCH(const char *base, const char *sub, char **name);

/* Byte mode: every byte is copied as it is, apart from the rewritten drive letters. */
int DRVPATCH_API DRV_PATCHB(const char *base, const char *sub, char **name);

#ifdef __cplusplus
}
#endif

#endif /* DRVPATCH_H */
