#pragma once

class QCoreApplication;

// Makes Qt's own dialogs that the program does not word itself (the print dialog, its
// printer properties and page setup, their questions and errors) speak Spanish like the
// rest of the program, whatever the system's locale: Qt's Spanish translations, from Qt's
// translations folder or the folder "translations" beside the program, and the few texts
// of the print dialog that they leave in English. Every caption the program fixes is set
// explicitly and stays as written. Returns false when Qt's translations are missing.
bool installQtSpanish(QCoreApplication *app);
