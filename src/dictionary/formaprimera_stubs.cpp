// Handlers of the main window whose own units are still to come. Each owner removes its
// stubs when its unit lands.
#include "formaprimera.h"

#include <QEvent>

