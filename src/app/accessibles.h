#pragma once

// Installs the program's factory of accessible interfaces, so that screen readers and other
// assistive technology can read the program's own controls: the raised-text labels, panels,
// blotter frame, picture editor, one-button navigators and picture buttons, and the list
// grid with its rows. Safe to call more than once.
void installAccessibleFactory();
