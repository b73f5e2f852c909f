#pragma once

#include <QKeySequence>

#include <vector>

class TFORMAPRIMERA;

// The window-wide shortcut of one of the dictionary window's command buttons.
struct CommandKey
{
    const char *control; // the button's name
    QKeySequence key;
};

// The shortcuts of the record commands, the list, the search, printing, the prologue, About,
// the database help and the exit button. None is a key that the editors, the list or the
// windows take for themselves.
const std::vector<CommandKey> &commandKeys();

// Makes the dictionary window readable by assistive technology and its commands reachable
// from the keyboard: the labels name the controls they stand over, the picture buttons carry
// their tooltip texts (tooltips stay off), every control with a status-line sentence has it
// as its description, the status line, toolbar and clock say what they are, the picture says
// whose it is, and each command button gets its window-wide shortcut. The window's
// constructor calls it after installHints.
void installAccessibility(TFORMAPRIMERA *w);
