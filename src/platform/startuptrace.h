#pragma once

class QWidget;

// Start-up checkpoints for finding where the time goes: with NOCTAMBU_STARTUP_TRACE set in
// the environment, each checkpoint prints the milliseconds since the program was loaded and
// its name on standard error; otherwise they do nothing.
namespace StartupTrace {

void checkpoint(const char *what);

// A checkpoint at the first paint of window, when the trace is on.
void watchFirstPaint(QWidget *window);

} // namespace StartupTrace
