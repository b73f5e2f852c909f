// The drive-letter rewriters, loaded by path and export name as their outside caller does.
// Paths are given relative to a scratch working directory, so that base paths can begin
// with the drive letter a test wants ("E", "e", "c", ...).
#include "drvcore.h"
#include "refmodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <dlfcn.h>
#include <functional>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using PatchFunction = int (*)(const char *, const char *, char **);

enum class Mode { Text, Bytes };

struct Library
{
    const char *path;
    const char *exportName;
    void *handle = nullptr;
    PatchFunction patch = nullptr;
};

Library libraries[] = {
    {DRVPATCH_LIBRARY, "DRV_PATCH"},
    {DRVPATCHB_LIBRARY, "DRV_PATCHB"},
};

Library &library(Mode mode)
{
    return libraries[mode == Mode::Text ? 0 : 1];
}

// Calls the export; a null name stands for a null file-name pointer.
int patch(Mode mode, const char *base, const char *sub, const char *name)
{
    QByteArray nameBytes(name ? name : "");
    char *namePointer = name ? nameBytes.data() : nullptr;
    return library(mode).patch(base, sub, &namePointer);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

bool exists(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

mode_t permissions(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

void setPermissions(const QString &path, mode_t mode)
{
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

// Files of the directory tree below dir, with their contents: what "nothing touched" checks.
QMap<QString, QByteArray> snapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        if (info.isSymLink())
            files.insert(path, "<link to " + QFile::encodeName(info.symLinkTarget()) + '>');
        else
            files.insert(path, info.isFile() ? readFile(path) : QByteArray("<dir>"));
    }
    return files;
}

// Runs call with the permission checks of an ordinary user: as root, in a child process
// that has given up root. Returns the call's result.
int unprivileged(const std::function<int()> &call)
{
    if (::geteuid() != 0)
        return call();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(100);
        const int result = call();
        ::_exit(result == 0 ? 0 : result == -1 ? 1 : 2);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1)
        return 99;
    return WEXITSTATUS(status) == 0 ? 0 : -1;
}

QByteArray modelOf(Mode mode, const QByteArray &file, char letter)
{
    return mode == Mode::Text ? refmodel::textMode(file, letter) : refmodel::byteMode(file, letter);
}

// The line ends each mode gives a file written with carriage return + line feed.
const char *modeName(Mode mode)
{
    return mode == Mode::Text ? "text" : "bytes";
}

// A random file made of the pieces that matter: references whole and cut, line ends, Ctrl-Z,
// NUL bytes. Ctrl-Z ends a text file, so it stays rare there.
QByteArray randomInput(std::mt19937 &random, Mode mode, int length)
{
    static const QByteArray pieces[] = {"c:\\", "C:\\", "c:",   "C:",     "c",
                                        ":",    "\\",   "\r\n", "\n",     "\r",
                                        "x",    "ab",   "C:/",  "C:c:\\", QByteArray(1, '\0'),
                                        "\x1a", "\xe9"};
    const int count = int(sizeof pieces / sizeof *pieces);
    QByteArray input;
    while (input.size() < length) {
        int piece = int(random() % unsigned(count));
        if (piece == count - 2 && mode == Mode::Text && random() % 40)
            piece = 10;
        input += pieces[piece];
    }
    return input;
}

// The core's source and sink in memory: the input in pieces of random sizes.
struct Pieces
{
    const QByteArray &input;
    std::mt19937 &random;
    int at = 0;
    long read(char *buf, std::size_t n)
    {
        const int most = random() % 8 ? int(1 + random() % 200) : int(input.size());
        const int got = qMin(qMin(int(n), most), int(input.size()) - at);
        std::memcpy(buf, input.constData() + at, std::size_t(got));
        at += got;
        return got;
    }
};

struct Collected
{
    QByteArray bytes;
    bool writeAll(const char *buf, std::size_t n)
    {
        bytes.append(buf, int(n));
        return true;
    }
};

} // namespace

Q_DECLARE_METATYPE(Mode)

class TestDrvPatch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void exportsOnlyTheEntryPoint();
    void driveLetterTakesTheBasePathsCase_data();
    void driveLetterTakesTheBasePathsCase();
    void textModeTranslation_data();
    void textModeTranslation();
    void byteModeCopiesEveryByte();
    void emptyFile_data();
    void emptyFile();
    void referencesAcrossChunksAndBlocks_data();
    void referencesAcrossChunksAndBlocks();
    void referencesAcrossLargeReads_data();
    void referencesAcrossLargeReads();
    void textModeNamesAreGluedOn();
    void byteModeNamesWithAndWithoutSeparator();
    void readOnlyTargetKeepsCopyInTemporaryFile_data();
    void readOnlyTargetKeepsCopyInTemporaryFile();
    void permissionBitsAreKept_data();
    void permissionBitsAreKept();
    void nothingDoneCases_data();
    void nothingDoneCases();
    void unwritableDirectory_data();
    void unwritableDirectory();
    void renameFailureAfterDelete();
    void readErrorLeavesTarget_data();
    void readErrorLeavesTarget();
    void writeErrorLeavesTarget_data();
    void writeErrorLeavesTarget();
    void pathLengthLimit_data();
    void pathLengthLimit();
    void passesInOrder_data();
    void passesInOrder();
    void matchesReferenceModel_data();
    void matchesReferenceModel();
    void coreMatchesModelInAnyPieces_data();
    void coreMatchesModelInAnyPieces();

private:
    void addModeRows();
    // Creates dir/name (directories as needed) holding bytes.
    QString put(const QString &relative, const QByteArray &bytes);

    QTemporaryDir *m_dir = nullptr;
    QString m_previousDir;
};

void TestDrvPatch::initTestCase()
{
    for (Library &lib : libraries) {
        lib.handle = ::dlopen(lib.path, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(lib.handle, ::dlerror());
        lib.patch = reinterpret_cast<PatchFunction>(::dlsym(lib.handle, lib.exportName));
        QVERIFY2(lib.patch, lib.exportName);
    }
    m_previousDir = QDir::currentPath();
}

void TestDrvPatch::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    // An ordinary user must be able to reach the scratch directory (see unprivileged).
    setPermissions(m_dir->path(), 0777);
    QVERIFY(QDir::setCurrent(m_dir->path()));
    for (const char *d : {"E", "e", "c", "C", "\\"})
        QVERIFY(QDir().mkpath(QString::fromLatin1(d)));
}

void TestDrvPatch::cleanup()
{
    QDir::setCurrent(m_previousDir);
    ::chmod(QFile::encodeName(m_dir->path()).constData(), 0777);
    // Give back write access everywhere so that the directory can be removed.
    QDirIterator it(m_dir->path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!QFileInfo(path).isSymLink())
            ::chmod(QFile::encodeName(path).constData(), 0777);
    }
    delete m_dir;
    m_dir = nullptr;
}

void TestDrvPatch::addModeRows()
{
    QTest::addColumn<Mode>("mode");
    QTest::newRow("text") << Mode::Text;
    QTest::newRow("bytes") << Mode::Bytes;
}

QString TestDrvPatch::put(const QString &relative, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(relative).path());
    writeFile(relative, bytes);
    return relative;
}

void TestDrvPatch::exportsOnlyTheEntryPoint()
{
    for (const Library &lib : libraries) {
        for (const char *other : {"DRV_PATCH", "DRV_PATCHB", "rewriteReferences", "copyText",
                                  "copyBytes", "_ZN8drvpatch17rewriteReferencesEPcmc"}) {
            if (qstrcmp(other, lib.exportName) != 0)
                QVERIFY2(!::dlsym(lib.handle, other), other);
        }
        const QString nm = QStandardPaths::findExecutable(QStringLiteral("nm"));
        if (nm.isEmpty())
            continue;
        QProcess p;
        p.start(nm, {QStringLiteral("-D"), QStringLiteral("--defined-only"),
                     QString::fromLocal8Bit(lib.path)});
        QVERIFY(p.waitForFinished());
        QStringList names;
        const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
        for (const QByteArray &line : lines) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() == 3)
                names << QString::fromLatin1(fields.at(2));
        }
        QCOMPARE(names, QStringList{QString::fromLatin1(lib.exportName)});
    }
}

void TestDrvPatch::driveLetterTakesTheBasePathsCase_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QByteArray>("base");
    for (Mode mode : {Mode::Text, Mode::Bytes}) {
        for (const char *base : {"E", "e", "c", "C"})
            QTest::addRow("%s %s", modeName(mode), base) << mode << QByteArray(base);
    }
}

void TestDrvPatch::driveLetterTakesTheBasePathsCase()
{
    QFETCH(Mode, mode);
    QFETCH(QByteArray, base);
    const QString file = put(QString::fromLatin1(base) + QStringLiteral("/f.txt"),
                             "run c:\\a and C:\\B, not c:/d, c: or C:x; cc:\\e\r\n");
    QCOMPARE(patch(mode, base.constData(), "", "/f.txt"), 0);
    const QByteArray l(1, base.at(0));
    QCOMPARE(readFile(file),
             "run " + l + ":\\a and " + l + ":\\B, not c:/d, c: or C:x; c" + l + ":\\e\r\n");
    QVERIFY(!exists(QString::fromLatin1(base) + QStringLiteral("/aswas.tsd")));
    QVERIFY(!exists(QStringLiteral("aswas.tsd")));
}

void TestDrvPatch::textModeTranslation_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("crlf kept") << QByteArray("a c:\\x\r\nb\r\n") << QByteArray("a E:\\x\r\nb\r\n");
    QTest::newRow("bare lf gets cr") << QByteArray("a\nb\nc") << QByteArray("a\r\nb\r\nc");
    QTest::newRow("lone cr kept") << QByteArray("a\rb\r") << QByteArray("a\rb\r");
    QTest::newRow("cr cr lf") << QByteArray("a\r\r\nb") << QByteArray("a\r\r\nb");
    QTest::newRow("lf cr") << QByteArray("\n\r") << QByteArray("\r\n\r");
    QTest::newRow("ctrl-z ends input") << QByteArray("C:\\a\r\n\x1a"
                                                     "C:\\b\r\n")
                                       << QByteArray("E:\\a\r\n");
    QTest::newRow("ctrl-z first") << QByteArray("\x1a"
                                                "abc")
                                  << QByteArray();
    QTest::newRow("cr before ctrl-z") << QByteArray("a\r\x1a\n") << QByteArray("a\r");
    QTest::newRow("reference cut by ctrl-z") << QByteArray("c:\x1a\\") << QByteArray("c:");
    QTest::newRow("nul bytes copied")
        << QByteArray("c:\\\0c:\\\n", 8) << QByteArray("E:\\\0E:\\\r\n", 9);
}

void TestDrvPatch::textModeTranslation()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    const QString file = put(QStringLiteral("E/t.txt"), input);
    QCOMPARE(patch(Mode::Text, "E", "", "/t.txt"), 0);
    QCOMPARE(readFile(file), expected);
    QCOMPARE(expected, refmodel::textMode(input, 'E'));
}

void TestDrvPatch::byteModeCopiesEveryByte()
{
    QByteArray input("c:\\\r\n\x1a\0C:\\\r\n\rc:\x1a\\C:\\\0", 20);
    input.append(char(0xff)).append("c:\\");
    QByteArray expected = input;
    for (int i : {0, 7, 17, 21})
        expected[i] = 'e';
    const QString file = put(QStringLiteral("e/b.bin"), input);
    QCOMPARE(patch(Mode::Bytes, "e", "", "/b.bin"), 0);
    QCOMPARE(readFile(file), expected);
}

void TestDrvPatch::emptyFile_data()
{
    addModeRows();
}

void TestDrvPatch::emptyFile()
{
    QFETCH(Mode, mode);
    const QString file = put(QStringLiteral("E/empty"), QByteArray());
    QCOMPARE(patch(mode, "E", "", "/empty"), 0);
    QVERIFY(exists(file));
    QCOMPARE(readFile(file), QByteArray());
}

void TestDrvPatch::referencesAcrossChunksAndBlocks_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("offset");
    // Text lines of 2000 characters (chunks of 999, 999, 2 + line feed); files of 2000 and
    // 2500 bytes (blocks of 1000); a reference at every offset around each boundary.
    for (int offset = 993; offset <= 1002; ++offset)
        QTest::addRow("text line 2000 at %d", offset) << Mode::Text << 2000 << offset;
    for (int offset = 1992; offset <= 1997; ++offset)
        QTest::addRow("text line 2000 at %d", offset) << Mode::Text << 2000 << offset;
    for (int size : {2000, 2500}) {
        for (int offset = 994; offset <= 1001; ++offset)
            QTest::addRow("bytes %d at %d", size, offset) << Mode::Bytes << size << offset;
        for (int offset = 1994; offset <= size - 5 && offset <= 2001; ++offset)
            QTest::addRow("bytes %d at %d", size, offset) << Mode::Bytes << size << offset;
    }
}

void TestDrvPatch::referencesAcrossChunksAndBlocks()
{
    QFETCH(Mode, mode);
    QFETCH(int, size);
    QFETCH(int, offset);
    QByteArray input(size, 'x');
    input.replace(offset, 3, offset % 2 ? "c:\\" : "C:\\");
    QByteArray expected = input;
    expected[offset] = 'E';
    if (mode == Mode::Text) {
        input.append('\n');
        expected.append("\r\n");
    } else {
        // The last two bytes "c:" have nothing to complete them.
        input.replace(size - 2, 2, "c:");
        expected.replace(size - 2, 2, "c:");
    }
    const QString file = put(QStringLiteral("E/f"), input);
    QCOMPARE(patch(mode, "E", "", "/f"), 0);
    QCOMPARE(readFile(file), expected);
}

void TestDrvPatch::referencesAcrossLargeReads_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QByteArray>("piece");
    // Pieces of 11, 13 and 7 bytes repeated over 3 MiB meet the libraries' large reads at
    // many different phases: references and line ends cut at every place.
    for (Mode mode : {Mode::Text, Mode::Bytes}) {
        QTest::addRow("%s 11", modeName(mode)) << mode << QByteArray("c:\\\r\nxC:\\\n\r");
        QTest::addRow("%s 13", modeName(mode)) << mode << QByteArray("a\rC:\\c:\\\n\r\nc:");
        QTest::addRow("%s 7", modeName(mode)) << mode << QByteArray("\nc:\\C:\\");
        QTest::addRow("%s 64 KiB marks", modeName(mode)) << mode << QByteArray();
    }
}

void TestDrvPatch::referencesAcrossLargeReads()
{
    QFETCH(Mode, mode);
    QFETCH(QByteArray, piece);
    QByteArray input;
    if (piece.isEmpty()) {
        // At the multiples of 64 KiB in turn: carriage return | line feed, reference cut
        // after its letter, reference cut after its colon.
        input = QByteArray((3 << 20) + 100, 'y');
        for (int at = 1 << 16; at < input.size() - 4; at += 1 << 16) {
            const int kind = (at >> 16) % 3;
            if (kind == 0)
                input.replace(at - 1, 2, "\r\n");
            else
                input.replace(at - kind, 3, "c:\\");
        }
    } else {
        input = piece.repeated((3 << 20) / int(piece.size()) + 1);
    }
    const QString file = put(QStringLiteral("e/big"), input);
    QCOMPARE(patch(mode, "e", "", "/big"), 0);
    const QByteArray output = readFile(file);
    const QByteArray expected = modelOf(mode, input, 'e');
    QCOMPARE(output.size(), expected.size());
    QVERIFY(output == expected);
    QCOMPARE(output.count("C:\\") + output.count("c:\\"), 0);
}

void TestDrvPatch::textModeNamesAreGluedOn()
{
    // The text library inserts no separator before the name: "E" + "" + "name".
    const QString glued = put(QStringLiteral("Efile.txt"), "c:\\x\n");
    const QString inDir = put(QStringLiteral("E/file.txt"), "c:\\x\n");
    QCOMPARE(patch(Mode::Text, "E", "", "file.txt"), 0);
    QCOMPARE(readFile(glued), QByteArray("E:\\x\r\n"));
    QCOMPARE(readFile(inDir), QByteArray("c:\\x\n"));

    // With a sub-path: base + sub + name, and the temporary file in base + sub + "/".
    const QString sub = put(QStringLiteral("E/sub/g.txt"), "c:\\y\n");
    QCOMPARE(patch(Mode::Text, "E", "/sub", "/g.txt"), 0);
    QCOMPARE(readFile(sub), QByteArray("E:\\y\r\n"));

    // No such file: nothing changes.
    const auto before = snapshot(m_dir->path());
    QCOMPARE(patch(Mode::Text, "E", "", "nofile.txt"), 0);
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestDrvPatch::byteModeNamesWithAndWithoutSeparator()
{
    // Without a leading separator the sub-path is not used: base + "/" + name.
    const QString plain = put(QStringLiteral("E/f.bin"), "c:\\1");
    const QString inSub = put(QStringLiteral("E/sub/f.bin"), "c:\\2");
    QCOMPARE(patch(Mode::Bytes, "E", "/sub", "f.bin"), 0);
    QCOMPARE(readFile(plain), QByteArray("E:\\1"));
    QCOMPARE(readFile(inSub), QByteArray("c:\\2"));

    // With one: base + sub + name.
    QCOMPARE(patch(Mode::Bytes, "E", "/sub", "/f.bin"), 0);
    QCOMPARE(readFile(inSub), QByteArray("E:\\2"));
    QVERIFY(!exists(QStringLiteral("E/subaswas.tsd")));
    QVERIFY(!exists(QStringLiteral("E/sub/aswas.tsd")));
}

void TestDrvPatch::readOnlyTargetKeepsCopyInTemporaryFile_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QByteArray>("sub");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("temp");
    QTest::newRow("text, sub-path")
        << Mode::Text << QByteArray("/sub") << QByteArray("/f") << "E/sub/f"
        << "E/sub/aswas.tsd";
    QTest::newRow("text, glued name") << Mode::Text << QByteArray("") << QByteArray("f") << "Ef"
                                      << "E/aswas.tsd";
    QTest::newRow("bytes, no separator")
        << Mode::Bytes << QByteArray("/sub") << QByteArray("f") << "E/f"
        << "E/aswas.tsd";
    QTest::newRow("bytes, separator")
        << Mode::Bytes << QByteArray("/sub") << QByteArray("/f") << "E/sub/f"
        << "E/subaswas.tsd";
    QTest::newRow("bytes, separator, no sub")
        << Mode::Bytes << QByteArray("") << QByteArray("/f") << "E/f"
        << "Easwas.tsd";
    QTest::newRow("bytes, sub ends in separator")
        << Mode::Bytes << QByteArray("/sub/") << QByteArray("/f") << "E/sub//f"
        << "E/sub/aswas.tsd";
}

void TestDrvPatch::readOnlyTargetKeepsCopyInTemporaryFile()
{
    // A target without write permission cannot be deleted: -1, the target unchanged and the
    // rewritten copy left in the temporary file, which shows where that file lies.
    QFETCH(Mode, mode);
    QFETCH(QByteArray, sub);
    QFETCH(QByteArray, name);
    QFETCH(QString, target);
    QFETCH(QString, temp);
    QDir().mkpath(QStringLiteral("E/sub"));
    const QByteArray content("c:\\x\r\nC:\\y\r\n");
    put(target, content);
    setPermissions(target, 0444);
    QCOMPARE(patch(mode, "E", sub.constData(), name.constData()), -1);
    QCOMPARE(readFile(target), content);
    QCOMPARE(permissions(target), mode_t(0444));
    QCOMPARE(readFile(temp), QByteArray("E:\\x\r\nE:\\y\r\n"));

    // The same again as an ordinary user, for whom the kernel also refuses the write.
    QVERIFY(QFile::remove(temp));
    for (const char *dir : {"E", "E/sub"})
        setPermissions(QString::fromLatin1(dir), 0777);
    QCOMPARE(unprivileged([&] { return patch(mode, "E", sub.constData(), name.constData()); }), -1);
    QCOMPARE(readFile(target), content);
}

void TestDrvPatch::permissionBitsAreKept_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<int>("bits");
    for (Mode mode : {Mode::Text, Mode::Bytes}) {
        for (int bits : {0600, 0640, 0755, 0200})
            QTest::addRow("%s %o", modeName(mode), bits) << mode << bits;
    }
}

void TestDrvPatch::permissionBitsAreKept()
{
    QFETCH(Mode, mode);
    QFETCH(int, bits);
    const QString file = put(QStringLiteral("E/p"), "c:\\\r\n");
    setPermissions(file, mode_t(bits));
    QCOMPARE(patch(mode, "E", "", "/p"), 0);
    QCOMPARE(permissions(file), mode_t(bits));
    setPermissions(file, 0600);
    QCOMPARE(readFile(file), QByteArray("E:\\\r\n"));
}

void TestDrvPatch::nothingDoneCases_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<int>("kind");
    const char *kinds[] = {"null name pointer",
                           "null pointer to pointer",
                           "missing target",
                           "temporary file cannot be created",
                           "target is a directory",
                           "target is the temporary file",
                           "null base",
                           "null sub-path",
                           "empty base"};
    for (Mode mode : {Mode::Text, Mode::Bytes}) {
        for (int kind = 0; kind < int(sizeof kinds / sizeof *kinds); ++kind)
            QTest::addRow("%s, %s", modeName(mode), kinds[kind]) << mode << kind;
    }
}

void TestDrvPatch::nothingDoneCases()
{
    QFETCH(Mode, mode);
    QFETCH(int, kind);
    put(QStringLiteral("E/f"), "c:\\x\n");
    put(QStringLiteral("E/aswas.tsd"), "c:\\x\n");
    switch (kind) {
    case 3:
        QVERIFY(QFile::remove(QStringLiteral("E/aswas.tsd")));
        QVERIFY(QDir().mkpath(QStringLiteral("E/aswas.tsd")));
        QVERIFY(QDir().mkpath(QStringLiteral("Easwas.tsd")));
        break;
    case 4:
        QVERIFY(QDir().mkpath(QStringLiteral("E/d")));
        break;
    }
    const auto before = snapshot(m_dir->path());
    // The byte library's temporary file for a name without separator lies beside it.
    const char *self = mode == Mode::Text ? "/aswas.tsd" : "aswas.tsd";
    int result = 99;
    switch (kind) {
    case 0:
        result = patch(mode, "E", "", nullptr);
        break;
    case 1:
        result = library(mode).patch("E", "", nullptr);
        break;
    case 2:
        result = patch(mode, "E", "", "/none");
        break;
    case 3:
        result = patch(mode, "E", "", "/f");
        break;
    case 4:
        result = patch(mode, "E", "", "/d");
        break;
    case 5:
        result = patch(mode, "E", "", self);
        break;
    case 6:
        result = patch(mode, nullptr, "E", "/f");
        break;
    case 7:
        result = patch(mode, "E", nullptr, "/f");
        break;
    case 8:
        result = patch(mode, "", "E", "/f");
        break;
    }
    QCOMPARE(result, 0);
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestDrvPatch::unwritableDirectory_data()
{
    addModeRows();
}

void TestDrvPatch::unwritableDirectory()
{
    // The temporary file cannot be created: 0, the target untouched, no temporary file.
    QFETCH(Mode, mode);
    const QString file = put(QStringLiteral("E/f"), "c:\\x\n");
    setPermissions(file, 0666);
    setPermissions(QStringLiteral("E"), 0555);
    setPermissions(m_dir->path(), 0555);
    const auto before = snapshot(m_dir->path());
    QCOMPARE(unprivileged([&] { return patch(mode, "E", "", "/f"); }), 0);
    QCOMPARE(snapshot(m_dir->path()), before);
}

void TestDrvPatch::renameFailureAfterDelete()
{
    // The byte library's temporary file for "E" + "" + "/f" lies beside E. When it already
    // exists and may be written, but its directory may not be changed, the target is
    // deleted and the rename fails: -1, and the copy is left in the temporary file.
    const QString file = put(QStringLiteral("E/f"), "c:\\x\n");
    const QString temp = put(QStringLiteral("Easwas.tsd"), "old");
    setPermissions(file, 0666);
    setPermissions(temp, 0666);
    setPermissions(QStringLiteral("E"), 0777);
    setPermissions(m_dir->path(), 0555);
    QCOMPARE(unprivileged([] { return patch(Mode::Bytes, "E", "", "/f"); }), -1);
    QVERIFY(!exists(file));
    QCOMPARE(readFile(temp), QByteArray("E:\\x\n"));
}

void TestDrvPatch::readErrorLeavesTarget_data()
{
    addModeRows();
}

void TestDrvPatch::readErrorLeavesTarget()
{
    // A target whose reading fails part-way is never replaced: reading this process's own
    // memory from address 0 fails at once.
    QFETCH(Mode, mode);
    const QString link = QStringLiteral("E/mem");
    QCOMPARE(::symlink("/proc/self/mem", QFile::encodeName(link).constData()), 0);
    const auto before = snapshot(m_dir->path());
    QCOMPARE(patch(mode, "E", "", "/mem"), -1);
    QCOMPARE(snapshot(m_dir->path()), before);
    QVERIFY(QFileInfo(link).isSymLink());
}

void TestDrvPatch::writeErrorLeavesTarget_data()
{
    addModeRows();
}

void TestDrvPatch::writeErrorLeavesTarget()
{
    // Every write to the temporary file fails: the target stays, the temporary file goes.
    QFETCH(Mode, mode);
    const QByteArray content = QByteArray("c:\\x\r\n").repeated(1000);
    const QString file = put(QStringLiteral("E/sub/f"), content);
    const char *temp = mode == Mode::Text ? "E/sub/aswas.tsd" : "E/subaswas.tsd";
    QCOMPARE(::symlink("/dev/full", temp), 0);
    QCOMPARE(patch(mode, "E", "/sub", "/f"), -1);
    QCOMPARE(readFile(file), content);
    QVERIFY(!exists(QString::fromLatin1(temp)));
}

void TestDrvPatch::pathLengthLimit_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<int>("tempLength");
    QTest::addColumn<int>("targetLength");
    // Each composed path may hold 259 characters.
    for (Mode mode : {Mode::Text, Mode::Bytes}) {
        QTest::addRow("%s, 259", modeName(mode)) << mode << 259 << 259;
        QTest::addRow("%s, temporary 260", modeName(mode)) << mode << 260 << 259;
        QTest::addRow("%s, target 260", modeName(mode)) << mode << 259 << 260;
        QTest::addRow("%s, both 400", modeName(mode)) << mode << 400 << 400;
    }
}

void TestDrvPatch::pathLengthLimit()
{
    // Base "E", a sub-path that makes the temporary path tempLength long and a file name
    // that makes the target targetLength long. Too long: 0 and nothing touched.
    QFETCH(Mode, mode);
    QFETCH(int, tempLength);
    QFETCH(int, targetLength);
    const int tempSuffix = mode == Mode::Text ? 10 : 9; // "/aswas.tsd" or "aswas.tsd"
    const int dirLength = tempLength - tempSuffix;
    QByteArray sub;
    for (int remaining = dirLength - 1; remaining > 0;) {
        int part = qMin(remaining, 100);
        if (remaining - part == 1)
            --part;
        sub += '/' + QByteArray(part - 1, 's');
        remaining -= part;
    }
    QCOMPARE(1 + int(sub.size()), dirLength);
    const int nameLength = targetLength - dirLength;
    QVERIFY(nameLength >= 2 && nameLength <= 255);
    const QByteArray name = '/' + QByteArray(nameLength - 1, 'n');
    const QString target = QStringLiteral("E") + QString::fromLatin1(sub + name);
    put(target, "c:\\x\r\n");

    const auto before = snapshot(m_dir->path());
    QCOMPARE(patch(mode, "E", sub.constData(), name.constData()), 0);
    if (tempLength <= 259 && targetLength <= 259)
        QCOMPARE(readFile(target), QByteArray("E:\\x\r\n"));
    else
        QCOMPARE(snapshot(m_dir->path()), before);
}

void TestDrvPatch::passesInOrder_data()
{
    // First every "c:\" is rewritten, then every "C:\" of the result; a reference split by
    // the library's reads (every 128 KiB) is still one.
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QByteArray>("base");
    QTest::addColumn<int>("at");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray line("C:c:\\ c:c:\\ c:\\");
    const QByteArray chained("\\:\\:\\ c:\\:\\ \\:\\");
    for (Mode mode : {Mode::Text, Mode::Bytes}) {
        QTest::addRow("%s, backslash", modeName(mode))
            << mode << QByteArray("\\") << 0 << line << chained;
        QTest::addRow("%s, E", modeName(mode))
            << mode << QByteArray("E") << 0 << line << QByteArray("C:E:\\ c:E:\\ E:\\");
        for (int at = (1 << 17) - 4; at < (1 << 17); ++at)
            QTest::addRow("%s, backslash, at %d", modeName(mode), at)
                << mode << QByteArray("\\") << at << line << chained;
    }
    // A line feed written as a drive letter is written in text mode too.
    QTest::newRow("text, line feed")
        << Mode::Text << QByteArray("\n") << 0 << QByteArray("\rc:\\") << QByteArray("\r\r\n:\\");
    QTest::newRow("bytes, line feed")
        << Mode::Bytes << QByteArray("\n") << 0 << QByteArray("\rc:\\") << QByteArray("\r\n:\\");
}

void TestDrvPatch::passesInOrder()
{
    QFETCH(Mode, mode);
    QFETCH(QByteArray, base);
    QFETCH(int, at);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, expected);
    const QByteArray before(at, 'x');
    const QString file =
        put(QString::fromLatin1(base) + QStringLiteral("/f"), before + line + "\r\n");
    QCOMPARE(patch(mode, base.constData(), "", "/f"), 0);
    QCOMPARE(readFile(file), before + expected + "\r\n");
}

void TestDrvPatch::matchesReferenceModel_data()
{
    addModeRows();
}

void TestDrvPatch::matchesReferenceModel()
{
    // Random files against the plain model, for a few hundred files per library.
    QFETCH(Mode, mode);
    std::mt19937 random(mode == Mode::Text ? 20261208u : 8122026u);
    const char *bases[] = {"E", "e", "c", "C", "\\"};
    for (int round = 0; round < 300; ++round) {
        const QByteArray input =
            randomInput(random, mode, round % 50 == 49 ? 1200000 : int(random() % 3000));
        const char *base = bases[random() % 5];
        const QString file = put(QString::fromLatin1(base) + QStringLiteral("/r"), input);
        QCOMPARE(patch(mode, base, "", "/r"), 0);
        const QByteArray output = readFile(file);
        if (output != modelOf(mode, input, base[0])) {
            QFile::copy(file, QDir::temp().filePath(QStringLiteral("drvpatch-mismatch.out")));
            writeFile(QDir::temp().filePath(QStringLiteral("drvpatch-mismatch.in")), input);
            QFAIL(qPrintable(QStringLiteral("round %1 differs from the model (base %2, %3 bytes); "
                                            "input and output kept as drvpatch-mismatch.*")
                                 .arg(round)
                                 .arg(QString::fromLatin1(base))
                                 .arg(input.size())));
        }
    }
}

void TestDrvPatch::coreMatchesModelInAnyPieces_data()
{
    addModeRows();
}

void TestDrvPatch::coreMatchesModelInAnyPieces()
{
    // The core without files: random inputs in pieces of random sizes, through blocks of
    // random sizes, looked at with every vector width, with odd drive letters too.
    QFETCH(Mode, mode);
    std::mt19937 random(mode == Mode::Text ? 1912u : 2191u);
    const char letters[] = {'E', 'c', 'C', '\\', '\n', '\r', ':', '\x1a'};
    const std::size_t widths[] = {0, 16, 32};
    for (int round = 0; round < 3000; ++round) {
        const QByteArray input = randomInput(random, mode, int(random() % 700));
        const char letter = letters[random() % 8];
        const std::size_t block = round % 4 ? 1 + random() % 90 : drvpatch::kBlockSize;
        const std::size_t vectors = widths[round % 3];
        Pieces source{input, random};
        Collected sink;
        QVERIFY(mode == Mode::Text ? drvpatch::copyStream<drvpatch::Mode::Text>(
                                         source, sink, letter, block, vectors)
                                   : drvpatch::copyStream<drvpatch::Mode::Bytes>(
                                         source, sink, letter, block, vectors));
        if (sink.bytes != modelOf(mode, input, letter))
            QFAIL(qPrintable(QStringLiteral("round %1, letter %2, block %3, vectors %4: %5")
                                 .arg(round)
                                 .arg(int(letter))
                                 .arg(block)
                                 .arg(vectors)
                                 .arg(QString::fromLatin1(input.toHex()))));
    }
}

QTEST_GUILESS_MAIN(TestDrvPatch)
#include "tst_drvpatch.moc"
