// Handlers of the main window whose own units are still to come. Each owner removes its
// stubs when its unit lands.
#include "formaprimera.h"

#include <QEvent>

// hints + clock
void TFORMAPRIMERA::Timer3Timer() {}
void TFORMAPRIMERA::Timer4Timer() {}
void TFORMAPRIMERA::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
}
void installHints(TFORMAPRIMERA *w)
{
    Q_UNUSED(w)
}
