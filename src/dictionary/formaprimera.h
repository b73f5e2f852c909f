#pragma once

#include <QList>
#include <QWidget>

class DataSource;
class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class QToolButton;
class TBlotterFrame;
class TDBImage;
class TDBLookupListBox;
class TDBMemo;
class TDBNavigator;
class TMemo;
class TRaisedLabel;
class Table;

// The dream dictionary window, the program's main window. Creating it opens the dream table
// in the database directory; closing it settles the current row and ends the program.
//
// The controls are named members, as the window's handlers refer to them. The window's
// handlers are spread over several files by concern: layout, modes, record commands and
// editors (formaprimera.cpp), the record list and the search (formaprimera_list.cpp),
// status-line hints and the clock (formaprimera_hints.cpp), printing (formaprimera_print.cpp).
class TFORMAPRIMERA : public QWidget
{
    Q_OBJECT
public:
    explicit TFORMAPRIMERA(const QString &databaseDir, QWidget *parent = nullptr);
    ~TFORMAPRIMERA() override;

    // The dream table and its data source.
    Table *Table1 = nullptr;
    DataSource *DataSource1 = nullptr;

    // The main panel and the prompts.
    QFrame *Panel1 = nullptr;
    TRaisedLabel *Label9 = nullptr;
    TRaisedLabel *Label11 = nullptr;
    TRaisedLabel *label990 = nullptr;
    TRaisedLabel *Label16 = nullptr;

    // Record commands: caption labels and one-button navigators.
    TRaisedLabel *Label3 = nullptr;
    TRaisedLabel *Label99 = nullptr;
    TRaisedLabel *Label7 = nullptr;
    TRaisedLabel *Label8 = nullptr;
    TRaisedLabel *Label5 = nullptr;
    TRaisedLabel *Label4 = nullptr;
    TRaisedLabel *Label10 = nullptr;
    TRaisedLabel *Label98 = nullptr;
    TDBNavigator *DBNavigator3 = nullptr; // first
    TDBNavigator *DBNavigator7 = nullptr; // cancel
    TDBNavigator *NUEVO = nullptr;        // insert
    TDBNavigator *DBNavigator6 = nullptr; // delete
    TDBNavigator *DBNavigator2 = nullptr; // refresh
    TDBNavigator *DBNavigator1 = nullptr; // post
    TDBNavigator *DBNavigator4 = nullptr; // prior
    TDBNavigator *DBNavigator5 = nullptr; // next

    // Field editors and the picture.
    TDBMemo *memo9 = nullptr;
    TDBMemo *memo10 = nullptr;
    TDBMemo *Memo11 = nullptr;
    TBlotterFrame *MARCO = nullptr;
    TDBImage *DBImage1 = nullptr;

    // Toolbar.
    QFrame *Panel2 = nullptr;
    QPushButton *BitBoton9812 = nullptr; // prologue
    QPushButton *BitBtn7gf = nullptr;    // About
    QPushButton *BitBtn2956 = nullptr;   // exit
    QPushButton *BOTONAYUDA = nullptr;   // database help
    QPushButton *BitBtn214569 = nullptr; // print

    // List and search buttons, clock, status line, prologue mode.
    QToolButton *Spbuton100 = nullptr;
    QPushButton *BitBtn2000 = nullptr;
    QFrame *Panel4 = nullptr;
    TRaisedLabel *LABEL999 = nullptr;
    TRaisedLabel *LABEL888 = nullptr;
    QLabel *Panel3 = nullptr;
    QPushButton *BOTONNAIPES = nullptr;
    TMemo *MASCARA = nullptr;
    TMemo *Memoayuda = nullptr;

    // The record list view.
    QFrame *PANELLISTA = nullptr;
    TDBLookupListBox *DBLOOKUPLISTBOX1 = nullptr;
    QPushButton *BOTONCANCELAR = nullptr;

    // Hidden memos that exist only to be printed.
    TMemo *interpretacion = nullptr;
    TMemo *DATOS = nullptr;
    TMemo *Memo1 = nullptr;
    TMemo *Memo123 = nullptr;

    // The clock's timers.
    QTimer *Timer3 = nullptr;
    QTimer *Timer4 = nullptr;

    // Steps that several handlers share.
    void restoreStandardPrompts(); // the four standard captions, all navy
    void hideRecordList();         // hides DBLOOKUPLISTBOX1, BOTONCANCELAR and PANELLISTA

    // Handlers.
    void FormActivate();
    void BitBoton9812Click();
    void BOTONNAIPESClick();
    void BitBtn7gfClick();
    void BitBtn2956Click();
    void BOTONAYUDAClick();
    void BitBtn214569Click();
    void DBNavigator3Click();
    void DBNavigator4Click();
    void DBNavigator5Click();
    void NUEVOClick();
    void DBNavigator1Click();
    void DBNavigator7Click();
    void DBNavigator6Click();
    void DBNavigator2Click();
    void memo9Click();
    void memo10Click();
    void Memo11Click();
    void DBImage1Click();
    void memo9KeyPress(int key);
    void Spbuton100Click();
    void BOTONCANCELARClick();
    void DBLOOKUPLISTBOX1DblClick();
    void BitBtn2000Click();
    void Timer3Timer();
    void Timer4Timer();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // The steps of building the window, in the order the constructor takes them.
    void openTable(const QString &databaseDir);
    QList<TRaisedLabel *> makePromptsAndCommands();
    void makeEditors();
    void makePicture();
    void makeToolbar();
    void makeListAndSearchButtons();
    void makeClockAndStatusLine();
    void makePrologueButtonAndMask();
    void makeListPanel();
    void makePrologueAndPrintMemos();
    void setKeyboardOrder();
};
