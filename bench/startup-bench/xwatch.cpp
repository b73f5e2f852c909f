#include "xwatch.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>

namespace {

long long now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

// Windows vanish between their creation report and the requests made about them; such
// errors are expected and change nothing.
int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

// The processor time so far of every thread of a running process, in nanoseconds: the first
// field of each thread's schedstat.
long long runningNs(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR *dir = opendir(tasks.c_str());
    if (!dir)
        return 0;
    long long sum = 0;
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
        long long ns = 0;
        if (stat >> ns)
            sum += ns;
    }
    closedir(dir);
    return sum;
}

std::vector<char *> pointers(const std::vector<std::string> &strings)
{
    std::vector<char *> result;
    for (const std::string &s : strings)
        result.push_back(const_cast<char *>(s.c_str()));
    result.push_back(nullptr);
    return result;
}

} // namespace

XWatch::XWatch(const std::string &display)
{
    m_display = XOpenDisplay(display.c_str());
    if (!m_display)
        throw std::runtime_error("cannot open the display " + display);
    int errorBase = 0;
    if (!XDamageQueryExtension(m_display, &m_damageEvent, &errorBase))
        throw std::runtime_error("the display has no damage extension");
    XSetErrorHandler(ignoreErrors);
    m_pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
    XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
    XSync(m_display, False);
}

XWatch::~XWatch()
{
    XCloseDisplay(m_display);
}

bool XWatch::waitForWindowManager(int timeoutMs)
{
    const Atom check = XInternAtom(m_display, "_NET_SUPPORTING_WM_CHECK", False);
    const long long end = now() + timeoutMs * 1000000LL;
    while (now() < end) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char *data = nullptr;
        XGetWindowProperty(m_display, DefaultRootWindow(m_display), check, 0, 1, False, XA_WINDOW,
                           &type, &format, &items, &after, &data);
        if (data)
            XFree(data);
        if (items == 1)
            return true;
        timespec pause{0, 20000000};
        nanosleep(&pause, nullptr);
    }
    return false;
}

void XWatch::watchNewWindow(unsigned long window, pid_t pid, Launch *launch)
{
    XDamageCreate(m_display, window, XDamageReportNonEmpty);
    // The damage object only sees what is drawn after it exists: a window already on screen
    // by now could have been painted unseen.
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(m_display, window, &attributes) &&
        attributes.map_state != IsUnmapped && isWindowOf(window, pid))
        launch->problem = "a window was mapped before the watcher saw it created";
}

bool XWatch::isWindowOf(unsigned long window, pid_t pid)
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    XGetWindowProperty(m_display, window, m_pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                       &items, &after, &data);
    const bool match = data && items == 1 && format == 32 &&
                       pid_t(*reinterpret_cast<unsigned long *>(data)) == pid;
    if (data)
        XFree(data);
    return match;
}

void XWatch::stop(pid_t pid)
{
    kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

XWatch::Launch XWatch::launch(const std::vector<std::string> &argv,
                              const std::vector<std::string> &envp, int timeoutMs)
{
    Launch result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char *> args = pointers(argv);
    std::vector<char *> env = pointers(envp);
    XSync(m_display, True); // nothing left over from the last program
    pid_t pid = 0;
    const long long start = now();
    const int error = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        result.problem = "cannot start " + argv[0];
        return result;
    }
    const long long end = start + timeoutMs * 1000000LL;
    pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
    while (!result.shown && now() < end) {
        if (!XPending(m_display)) {
            poll(&fd, 1, 20);
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                result.problem = argv[0] + " ended before showing a window";
                return result;
            }
            continue;
        }
        XEvent event;
        XNextEvent(m_display, &event);
        const long long at = now();
        if (event.type == CreateNotify) {
            watchNewWindow(event.xcreatewindow.window, pid, &result);
        } else if (event.type == m_damageEvent + XDamageNotify) {
            const auto &damage = reinterpret_cast<const XDamageNotifyEvent &>(event);
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(m_display, damage.drawable, &attributes) &&
                attributes.map_state == IsViewable && isWindowOf(damage.drawable, pid)) {
                result.shown = true;
                result.ns = at - start;
                result.cpuNs = runningNs(pid);
            }
        }
    }
    if (!result.shown && result.problem.empty())
        result.problem = argv[0] + " showed no window in time";
    stop(pid);
    return result;
}
