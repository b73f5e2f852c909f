#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// Watches an X display for the first window of a program to be mapped and painted. Every
// top-level window gets a damage object as soon as it is created, before it can be mapped,
// so the first damage report on a viewable window of the program's process is the moment its
// first picture reached the screen.
class XWatch
{
public:
    // Throws std::runtime_error when the display cannot be opened or has no damage extension.
    explicit XWatch(const std::string &display);
    ~XWatch();
    XWatch(const XWatch &) = delete;
    XWatch &operator=(const XWatch &) = delete;

    // Waits until a window manager announces itself on the root window.
    bool waitForWindowManager(int timeoutMs);

    struct Launch
    {
        bool shown = false;  // a window was painted in time
        std::string problem; // why not, or why the figure is not to be trusted
        long long ns = 0;    // from the exec until the first paint of a mapped window
        long long cpuNs = 0; // the process's processor time (user + system) until then
    };
    // Starts argv with envp, its output thrown away, waits for its first window on screen
    // (at most timeoutMs), then kills it.
    Launch launch(const std::vector<std::string> &argv, const std::vector<std::string> &envp,
                  int timeoutMs);

private:
    void watchNewWindow(unsigned long window, pid_t pid, Launch *launch);
    bool isWindowOf(unsigned long window, pid_t pid);
    static void stop(pid_t pid);

    struct _XDisplay *m_display = nullptr;
    int m_damageEvent = 0;
    unsigned long m_pidAtom = 0;
};
