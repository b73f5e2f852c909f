// Windows behaviour of the drive-letter rewriters: a console program that loads drvpatch.dll
// and drvpatchb.dll from its own directory as their outside caller does (LoadLibrary, then
// GetProcAddress by name and by ordinal 1) and runs the cases where Windows differs from
// Linux. Prints one line per failing case and "N passed, M failed" last; exits 1 on failure.
// Built and run by scripts/test-windows.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>

namespace {

using PatchFunction = int(WINAPI *)(const char *, const char *, char **);

PatchFunction g_text = nullptr;  // DRV_PATCH
PatchFunction g_bytes = nullptr; // DRV_PATCHB
int g_passed = 0;
int g_failed = 0;
std::string g_root; // scratch directory, with a trailing backslash

// One case: its checks, and the first one that failed.
class Case
{
public:
    explicit Case(std::string name) : m_name(std::move(name)) {}
    ~Case()
    {
        if (m_failure.empty()) {
            ++g_passed;
        } else {
            ++g_failed;
            std::printf("FAIL %s: %s\n", m_name.c_str(), m_failure.c_str());
        }
    }
    bool check(bool ok, const std::string &what)
    {
        if (!ok && m_failure.empty())
            m_failure = what;
        return ok;
    }

private:
    std::string m_name;
    std::string m_failure;
};

int call(PatchFunction f, const char *base, const char *sub, const char *name)
{
    std::string copy = name ? name : "";
    char *pointer = name ? &copy[0] : nullptr;
    return f(base, sub, &pointer);
}

bool exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string readFile(const std::string &path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got)
        bytes.append(buf, got);
    CloseHandle(h);
    return bytes;
}

void writeFile(const std::string &path, const std::string &bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    if (h != INVALID_HANDLE_VALUE) {
        WriteFile(h, bytes.data(), DWORD(bytes.size()), &done, nullptr);
        CloseHandle(h);
    }
}

void makeDir(const std::string &path)
{
    CreateDirectoryA(path.c_str(), nullptr);
}

void setReadOnly(const std::string &path, bool readOnly)
{
    SetFileAttributesA(path.c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

std::string show(const std::string &bytes)
{
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += char(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out + "\"";
}

// On a difference, shows both from a little before the first byte that differs.
bool same(Case &c, const std::string &what, const std::string &actual, const std::string &expected)
{
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    const std::size_t from = at > 16 ? at - 16 : 0;
    return c.check(actual == expected, what + " from byte " + std::to_string(from) + " is " +
                                           show(actual.substr(from, 64)) + ", want " +
                                           show(expected.substr(from, 64)));
}

// A fresh directory per case, as a path relative to the scratch directory, which is the
// current directory: base paths then begin with the drive letter a case wants.
std::string caseDir(const char *name)
{
    makeDir(g_root + name);
    return name;
}

bool loadLibrary(const std::string &dir, const char *file, const char *exportName,
                 PatchFunction &out)
{
    Case c(file);
    HMODULE module = LoadLibraryA((dir + file).c_str());
    if (!c.check(module != nullptr, std::string("LoadLibrary failed for ") + file))
        return false;
    FARPROC byName = GetProcAddress(module, exportName);
    FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(1));
    c.check(byName != nullptr, std::string("no export named ") + exportName);
    c.check(byName == byOrdinal, "ordinal 1 is not the named export");
    c.check(GetProcAddress(module, MAKEINTRESOURCEA(2)) == nullptr, "an export at ordinal 2");
    out = reinterpret_cast<PatchFunction>(reinterpret_cast<void *>(byName));
    return out != nullptr;
}

void driveLetters()
{
    for (const char *base : {"E", "e"}) {
        for (PatchFunction f : {g_text, g_bytes}) {
            Case c(std::string("drive letter ") + base + (f == g_text ? " (text)" : " (bytes)"));
            const std::string dir = caseDir(f == g_text ? "E" : "e");
            writeFile(dir + "\\f.txt", "c:\\a C:\\b c:/c C:x\r\n");
            c.check(call(f, base, "", "\\f.txt") == 0, "result is not 0");
            const std::string l(1, base[0]);
            same(c, "file", readFile(dir + "\\f.txt"), l + ":\\a " + l + ":\\b c:/c C:x\r\n");
            c.check(!exists(dir + "\\aswas.tsd"), "aswas.tsd left behind");
        }
    }
}

void textMode()
{
    // Many times over, so that the libraries look at it with their vectors too.
    std::string input, text, bytes;
    for (int i = 0; i < 3000; ++i) {
        input += std::string("a c:\\x\nb\r\nc\rd\r\r\n") + '\0' + "C:\\ ";
        text += std::string("a t:\\x\r\nb\r\nc\rd\r\r\n") + '\0' + "t:\\ ";
        bytes += std::string("a t:\\x\nb\r\nc\rd\r\r\n") + '\0' + "t:\\ ";
    }
    input += "C:\\\x1a"
             "rest\n";
    text += "t:\\";
    bytes += "t:\\\x1a"
             "rest\n";
    {
        Case c("text mode on both sides (text)");
        const std::string dir = caseDir("text1");
        writeFile(dir + "\\t", input);
        c.check(call(g_text, "t", "ext1", "\\t") == 0, "result is not 0");
        same(c, "file", readFile(dir + "\\t"), text);
    }
    {
        Case c("no translation (bytes)");
        const std::string dir = caseDir("text2");
        writeFile(dir + "\\t", input);
        c.check(call(g_bytes, "t", "ext2", "\\t") == 0, "result is not 0");
        same(c, "file", readFile(dir + "\\t"), bytes);
    }
}

// The backslash the libraries insert, seen where Windows takes no other separator: in a
// "\\?\" path, and in the byte library's test for a leading separator.
void separators()
{
    char full[MAX_PATH];
    {
        Case c("inserted backslash in a \\\\?\\ path (text)");
        const std::string dir = caseDir("sep1");
        GetFullPathNameA(dir.c_str(), sizeof full, full, nullptr);
        const std::string base = std::string("\\\\?\\") + full;
        writeFile(dir + "\\f", "C:\\x\r\n");
        c.check(call(g_text, base.c_str(), "", "\\f") == 0, "result is not 0");
        same(c, "file", readFile(dir + "\\f"), "\\:\\x\r\n");
        c.check(!exists(dir + "\\aswas.tsd"), "aswas.tsd left behind");
    }
    {
        Case c("inserted backslash in a \\\\?\\ path (bytes)");
        const std::string dir = caseDir("sep2");
        GetFullPathNameA(dir.c_str(), sizeof full, full, nullptr);
        const std::string base = std::string("\\\\?\\") + full;
        writeFile(dir + "\\f", "C:\\x\r\n");
        c.check(call(g_bytes, base.c_str(), "\\unused", "f") == 0, "result is not 0");
        same(c, "file", readFile(dir + "\\f"), "\\:\\x\r\n");
        c.check(!exists(dir + "\\aswas.tsd"), "aswas.tsd left behind");
    }
    {
        Case c("a leading slash is no leading separator (bytes)");
        const std::string dir = caseDir("sep3");
        makeDir(dir + "\\sub");
        writeFile(dir + "\\f", "c:\\1");
        writeFile(dir + "\\sub\\f", "c:\\2");
        c.check(call(g_bytes, "sep3", "\\sub", "/f") == 0, "result is not 0");
        same(c, dir + "\\f", readFile(dir + "\\f"), "s:\\1");
        same(c, dir + "\\sub\\f", readFile(dir + "\\sub\\f"), "c:\\2");
    }
}

// A target that cannot be deleted: -1, the target unchanged, the copy in aswas.tsd, whose
// place these cases show.
void undeletableTargets()
{
    struct Row
    {
        const char *name;
        bool text;
        const char *sub;
        const char *file;
        const char *target;
        const char *temp;
    };
    const Row rows[] = {
        {"read-only target, sub-path (text)", true, "\\sub", "\\f", "R1\\sub\\f",
         "R1\\sub\\aswas.tsd"},
        {"read-only target, name without backslash (text)", true, "", "f", "R1f", "R1\\aswas.tsd"},
        {"read-only target, name without backslash (bytes)", false, "\\sub", "f", "R1\\f",
         "R1\\aswas.tsd"},
        {"read-only target, name with backslash (bytes)", false, "\\sub", "\\f", "R1\\sub\\f",
         "R1\\subaswas.tsd"},
        {"read-only target, no sub-path (bytes)", false, "", "\\f", "R1\\f", "R1aswas.tsd"},
    };
    for (const Row &row : rows) {
        Case c(row.name);
        caseDir("R1");
        makeDir(g_root + "R1\\sub");
        const std::string content = "c:\\x\r\nC:\\y\r\n";
        writeFile(row.target, content);
        setReadOnly(row.target, true);
        DeleteFileA(row.temp);
        c.check(call(row.text ? g_text : g_bytes, "R1", row.sub, row.file) == -1,
                "result is not -1");
        same(c, "target", readFile(row.target), content);
        same(c, std::string("copy in ") + row.temp, readFile(row.temp), "R:\\x\r\nR:\\y\r\n");
        c.check(GetFileAttributesA(row.target) & FILE_ATTRIBUTE_READONLY,
                "target lost its read-only attribute");
        setReadOnly(row.target, false);
        DeleteFileA(row.target);
        DeleteFileA(row.temp);
    }
    for (PatchFunction f : {g_text, g_bytes}) {
        Case c(f == g_text ? "target open without delete sharing (text)"
                           : "target open without delete sharing (bytes)");
        const std::string dir = caseDir("H");
        const std::string content = "c:\\x\r\n";
        writeFile(dir + "\\f", content);
        HANDLE other =
            CreateFileA((dir + "\\f").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, 0, nullptr);
        c.check(other != INVALID_HANDLE_VALUE, "cannot open the target");
        c.check(call(f, "H", "", "\\f") == -1, "result is not -1");
        same(c, "target", readFile(dir + "\\f"), content);
        const std::string temp = f == g_text ? dir + "\\aswas.tsd" : "Haswas.tsd";
        same(c, "copy in aswas.tsd", readFile(temp), "H:\\x\r\n");
        CloseHandle(other);
        DeleteFileA(temp.c_str());
    }
}

void nothingDone()
{
    const std::string dir = caseDir("N");
    const std::string content = "c:\\x\r\n";
    writeFile(dir + "\\f", content);
    // A sub-path that makes every composed path longer than 259 characters.
    std::string longSub;
    while (longSub.size() < 260)
        longSub += "\\" + std::string(50, 's');
    for (PatchFunction f : {g_text, g_bytes}) {
        const char *mode = f == g_text ? " (text)" : " (bytes)";
        const std::pair<const char *, std::function<int()>> rows[] = {
            {"null name pointer",
             [&] {
                 return call(f, "N", "", nullptr);
             }},
            {"null pointer to the name pointer",
             [&] {
                 return f("N", "", nullptr);
             }},
            {"null base path",
             [&] {
                 return call(f, nullptr, "N", "\\f");
             }},
            {"null sub-path",
             [&] {
                 return call(f, "N", nullptr, "\\f");
             }},
            {"empty base path",
             [&] {
                 return call(f, "", "N", "\\f");
             }},
            {"path longer than 259 characters",
             [&] {
                 return call(f, "N", longSub.c_str(), "\\f");
             }},
            {"missing target",
             [&] {
                 return call(f, "N", "", "\\none");
             }},
        };
        for (const auto &row : rows) {
            Case c(std::string(row.first) + mode);
            writeFile(dir + "\\f", content);
            c.check(row.second() == 0, "result is not 0");
            same(c, "target", readFile(dir + "\\f"), content);
            c.check(!exists(dir + "\\aswas.tsd") && !exists("Naswas.tsd"), "aswas.tsd created");
            DeleteFileA((dir + "\\aswas.tsd").c_str());
            DeleteFileA("Naswas.tsd");
        }
    }
}

} // namespace

int main()
{
    char module[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    std::string dir(module, length);
    dir.resize(dir.find_last_of('\\') + 1);

    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    g_root = std::string(temp) + "drvpatch-" + std::to_string(GetCurrentProcessId()) + "\\";
    makeDir(g_root);
    SetCurrentDirectoryA(g_root.c_str());

    const bool loaded = loadLibrary(dir, "drvpatch.dll", "DRV_PATCH", g_text) &
                        loadLibrary(dir, "drvpatchb.dll", "DRV_PATCHB", g_bytes);
    if (loaded) {
        driveLetters();
        textMode();
        separators();
        undeletableTargets();
        nothingDone();
    }
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed ? 1 : 0;
}
