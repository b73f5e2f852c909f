#pragma once

class TFORMAPRIMERA;
class TFormBuscar;

// The search in the meanings on the dream dictionary window: the window "Buscar en el
// diccionario", opened by Ctrl+F and by the context menu of the window's background ("Buscar
// en los significados…"), both available exactly when the search by name is (not in prologue
// mode). The window's constructor calls installMeaningSearch.
void installMeaningSearch(TFORMAPRIMERA *w);

// Opens the search window modally; an entry chosen there becomes the table's current entry
// as picking it in the record list makes it (a pending edit or insert is left first, by the
// dataset's rules). Nothing happens while the command is unavailable.
void openMeaningSearch(TFORMAPRIMERA *w);

// The search window of the dictionary window, made on first use.
TFormBuscar *meaningSearchWindow(TFORMAPRIMERA *w);
