#pragma once

#include <thread>

// Reads the desktop's font configuration on a worker thread while the application object is
// made, so that the first text the windows lay out finds it ready instead of reading it then.
// Changes nothing else: the configuration read is the one the toolkit would read. Where the
// platform keeps no such configuration, it does nothing.
class FontWarmUp
{
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp &) = delete;
    FontWarmUp &operator=(const FontWarmUp &) = delete;

    // Waits until the configuration is read.
    void join();

private:
    std::thread m_thread;
};
