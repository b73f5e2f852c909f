#pragma once

// The system's default beep. Every handler that beeps calls this one function, so tests
// can count the beeps.
void beep();

int beepCount();
void resetBeepCount();
