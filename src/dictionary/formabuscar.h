#pragma once

#include <QDialog>
#include <QTimer>

#include <memory>

class QLineEdit;
class QListView;
class Storage;
class TextSearch;
class TPanel;
class TPanelLabel;
class TRaisedLabel;

namespace SearchWindow {
class Results;
}

// The window "Buscar en el diccionario": finds the entries whose texts hold the words typed
// (or whose notes and number fields hold the number typed) while the user types, best first,
// each with the piece of its meaning around the first match. The search runs in short steps
// between the keystrokes, and reads on only as far as the list is looked at. Enter or a
// double click on a result closes the window with that entry chosen; Esc closes it with none.
class TFormBuscar : public QDialog
{
    Q_OBJECT
public:
    TFormBuscar(Storage &storage, QWidget *parent);
    ~TFormBuscar() override;

    // Before the window is shown: a table made before the index of words existed gets it
    // now, with a progress window, when it can be written. A table that cannot be written,
    // or whose index the user stops making, is searched by reading its rows.
    void prepareIndex();

    // The entry chosen when the window closed; 0 when none was.
    qint64 chosenId() const { return m_chosen; }
    // Whether a search is still reading towards the results the list shows.
    bool isSearching() const;

    TPanel *Panel1 = nullptr;
    TRaisedLabel *LabelBuscar = nullptr;
    QLineEdit *EditBuscar = nullptr;
    TRaisedLabel *LabelResultados = nullptr;
    QListView *ListaResultados = nullptr;
    TPanelLabel *PanelEstado = nullptr;

    // Handlers.
    void EditBuscarChange();
    void ListaResultadosDblClick();
    void choose(); // closes the window with the current result chosen, if there is one

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // The steps of building the window, in the constructor's order.
    void makeLabels();
    void makeSearchField();
    void makeResultsList();
    void makeStatusLine();
    void connectSearch();

    void startSearch();
    void readMore();
    void wantMore();
    void showState();
    void stopSearch();

    Storage &m_storage;
    SearchWindow::Results *m_results = nullptr;
    std::unique_ptr<TextSearch> m_search;
    QTimer m_typing;  // a pause in the typing starts the search
    QTimer m_reading; // the search reads on in steps
    int m_wanted = 0; // results the list needs
    qint64 m_chosen = 0;
};
