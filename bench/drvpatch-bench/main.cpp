// Times DRV_PATCH and DRV_PATCHB on a large text file (carriage return + line feed ends,
// many drive references) and a large binary file, against cp of the same file (the bytes
// read and written once) and sed doing the same replacement, all in the same run, and
// checks that the libraries' output agrees with sed's.
//
//   drvpatch-bench [--size MB] [--runs N] [--dir DIR]
//     --size  size of each file in MiB (default 256, or $DRVPATCH_BENCH_MB)
//     --runs  timed runs of each step; the median is reported (default 5)
//     --dir   where the scratch directory goes (default $TMPDIR or /tmp)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using PatchFunction = int (*)(const char *, const char *, char **);
using Clock = std::chrono::steady_clock;

struct Options
{
    long sizeMiB = 256;
    int runs = 5;
    std::string dir;
};

[[noreturn]] void die(const std::string &what)
{
    std::fprintf(stderr, "drvpatch-bench: %s\n", what.c_str());
    std::exit(1);
}

PatchFunction load(const char *path, const char *name)
{
    void *handle = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        die(::dlerror());
    auto f = reinterpret_cast<PatchFunction>(::dlsym(handle, name));
    if (!f)
        die(std::string("no export ") + name + " in " + path);
    return f;
}

class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }
    unsigned below(unsigned n) { return unsigned(next() % n); }

private:
    std::uint64_t m_state;
};

void writeAll(FILE *f, const std::string &bytes)
{
    if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        die("cannot write the test file");
}

// Text: lines of paths and words with carriage return + line feed ends, no Ctrl-Z.
void makeText(const std::string &path, std::size_t size)
{
    static const char *const words[] = {"sueño", "agua",  "casa",   "volar",  "número",
                                        "luna",  "perro", "camino", "suerte", "noche"};
    static const char *const paths[] = {"C:\\NOCTAMBU\\", "c:\\temp\\", "d:\\otros\\",
                                        "C:/no/",         "c:",         "\\\\servidor\\c:\\"};
    Random random(42);
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        die("cannot create " + path);
    std::string chunk;
    std::size_t written = 0;
    while (written < size) {
        chunk.clear();
        while (chunk.size() < (1u << 20)) {
            const unsigned pieces = 3 + random.below(10);
            for (unsigned i = 0; i < pieces; ++i) {
                if (random.below(3) == 0)
                    chunk += paths[random.below(6)];
                chunk += words[random.below(10)];
                chunk += random.below(4) ? " " : "; ";
            }
            chunk += "\r\n";
        }
        if (chunk.size() > size - written)
            chunk.resize(size - written);
        writeAll(f, chunk);
        written += chunk.size();
    }
    std::fclose(f);
}

// Binary: random bytes (NUL, Ctrl-Z, carriage returns and line feeds among them) with a
// drive reference every few hundred bytes.
void makeBinary(const std::string &path, std::size_t size)
{
    Random random(7);
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        die("cannot create " + path);
    std::string chunk(1u << 20, '\0');
    std::size_t written = 0;
    while (written < size) {
        for (std::size_t i = 0; i + 8 <= chunk.size(); i += 8) {
            const std::uint64_t r = random.next();
            std::memcpy(&chunk[i], &r, 8);
        }
        for (std::size_t at = random.below(500); at + 3 < chunk.size(); at += 1 + random.below(600))
            std::memcpy(&chunk[at], random.below(2) ? "c:\\" : "C:\\", 3);
        const std::size_t n = std::min(chunk.size(), size - written);
        writeAll(f, chunk.substr(0, n));
        written += n;
    }
    std::fclose(f);
}

int run(const std::string &command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quote(const std::string &s)
{
    return "'" + s + "'";
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Processor time of this process and its children so far: what a step used, whether it
// ran here or in a child, while the wall clock also counts waiting for a busy machine.
double processorSeconds()
{
    double total = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        struct rusage usage;
        ::getrusage(who, &usage);
        for (const timeval &t : {usage.ru_utime, usage.ru_stime})
            total += double(t.tv_sec) + double(t.tv_usec) / 1e6;
    }
    return total;
}

// The times of one step over the runs: wall clock and processor.
struct Times
{
    std::vector<double> wall, cpu;
};

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

template <typename Step> void timed(Times &times, Step step)
{
    ::sync(); // the previous step's writes are not charged to this one
    const double cpu = processorSeconds();
    const auto start = Clock::now();
    step();
    times.wall.push_back(seconds(Clock::now() - start));
    times.cpu.push_back(processorSeconds() - cpu);
}

bool sameFiles(const std::string &a, const std::string &b)
{
    return run("cmp -s " + quote(a) + " " + quote(b)) == 0;
}

struct Figure
{
    explicit Figure(const Times &t) : wall(median(t.wall)), cpu(median(t.cpu)) {}
    double wall, cpu;
};

struct Figures
{
    Figure cp, cat, sed, lib;
    bool agrees;
};

// Times cp, cat, sed and the library on source; the library works on a fresh copy each run.
// Each run times every step once, so that a machine whose load changes charges all alike.
Figures measure(const Options &options, const std::string &source, PatchFunction patch)
{
    const std::string out = "copy.out";
    const std::string sedOut = "sed.out";
    const std::string work = "E/work.dat";
    const std::string sedScript = R"(LC_ALL=C sed -e 's/[cC]:\\/E:\\/g' )";
    auto shell = [](const std::string &command) {
        if (run(command) != 0)
            die(command + " failed");
    };
    Times cp, cat, sed, lib;
    for (int i = 0; i < options.runs; ++i) {
        timed(cp, [&] { shell("cp " + quote(source) + " " + out); });
        timed(cat, [&] { shell("cat " + quote(source) + " > " + out); });
        timed(sed, [&] { shell(sedScript + quote(source) + " > " + sedOut); });
        shell("cp " + quote(source) + " " + work);
        timed(lib, [&] {
            char name[] = "/work.dat";
            char *namePointer = name;
            if (const int result = patch("E", "", &namePointer))
                die("the library returned " + std::to_string(result));
        });
    }
    const Figures f{Figure(cp), Figure(cat), Figure(sed), Figure(lib), sameFiles(work, sedOut)};
    std::remove(out.c_str());
    std::remove(sedOut.c_str());
    std::remove(work.c_str());
    return f;
}

void report(const char *label, const char *libName, double mib, const Figures &f, double maxOfCp,
            bool mustBeatSed)
{
    auto line = [&](const char *what, const Figure &g) {
        std::printf("  %-12s %8.3f s  %8.1f MiB/s  %5.2fx cp   processor %6.3f s  %5.2fx cp\n",
                    what, g.wall, mib / g.wall, g.wall / f.cp.wall, g.cpu, g.cpu / f.cp.cpu);
    };
    std::printf("%s (%.0f MiB)\n", label, mib);
    line("cp", f.cp);
    line("cat", f.cat);
    line("sed", f.sed);
    line(libName, f.lib);
    const bool cpOk = f.lib.wall <= maxOfCp * f.cp.wall;
    const bool sedOk = !mustBeatSed || f.lib.wall < f.sed.wall;
    std::printf("  target: within %.1fx of cp%s: %s; output %s sed's\n", maxOfCp,
                mustBeatSed ? " and faster than sed" : "", cpOk && sedOk ? "met" : "MISSED",
                f.agrees ? "matches" : "DIFFERS FROM");
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (const char *env = std::getenv("DRVPATCH_BENCH_MB"))
        options.sizeMiB = std::atol(env);
    const char *tmp = std::getenv("TMPDIR");
    options.dir = tmp && *tmp ? tmp : "/tmp";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--size" && i + 1 < argc)
            options.sizeMiB = std::atol(argv[++i]);
        else if (arg == "--runs" && i + 1 < argc)
            options.runs = std::atoi(argv[++i]);
        else if (arg == "--dir" && i + 1 < argc)
            options.dir = argv[++i];
        else
            die("usage: drvpatch-bench [--size MB] [--runs N] [--dir DIR]");
    }
    if (options.sizeMiB <= 0 || options.runs <= 0)
        die("size and runs must be positive");

    const PatchFunction text = load(DRVPATCH_LIBRARY, "DRV_PATCH");
    const PatchFunction bytes = load(DRVPATCHB_LIBRARY, "DRV_PATCHB");

    std::string scratch = options.dir + "/drvpatch-bench.XXXXXX";
    if (!::mkdtemp(&scratch[0]))
        die("cannot create a scratch directory in " + options.dir);
    // The libraries take the drive letter from the base path: "E", relative to here.
    if (::chdir(scratch.c_str()) != 0 || ::mkdir("E", 0755) != 0)
        die("cannot set up " + scratch);

    const std::size_t size = std::size_t(options.sizeMiB) << 20;
    std::printf("drvpatch-bench: %ld MiB files in %s, median of %d runs\n", options.sizeMiB,
                scratch.c_str(), options.runs);
    std::fflush(stdout);

    makeText("text.dat", size);
    const Figures t = measure(options, "text.dat", text);
    report("text file, CR+LF line ends", "DRV_PATCH", double(options.sizeMiB), t, 1.2, true);
    std::remove("text.dat");
    std::fflush(stdout);

    makeBinary("binary.dat", size);
    const Figures b = measure(options, "binary.dat", bytes);
    report("binary file", "DRV_PATCHB", double(options.sizeMiB), b, 1.0, false);
    std::remove("binary.dat");

    ::rmdir("E");
    if (::chdir("/") == 0)
        ::rmdir(scratch.c_str());
    return t.agrees && b.agrees ? 0 : 1;
}
