// Runs a fuzz target's entry on every file of its corpus, as an ordinary test: the same
// checks without the fuzzing engine. Arguments: files or directories of files. Each input's
// name is printed before it runs, so a failure names the input that caused it.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) __attribute__((weak));

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        QStringList paths{arg};
        if (QFileInfo(arg).isDir()) {
            paths.clear();
            for (const QString &name : QDir(arg).entryList(QDir::Files, QDir::Name))
                paths << QDir(arg).filePath(name);
        }
        for (const QString &path : paths) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            std::printf("%s\n", qPrintable(path));
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                   std::size_t(bytes.size()));
            ++inputs;
        }
    }
    delete QCoreApplication::instance(); // made by the target, if it needs one
    std::printf("%d inputs passed\n", inputs);
    // No inputs at all is a fault of the set-up, not a pass.
    return inputs ? 0 : 1;
}
