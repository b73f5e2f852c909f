#pragma once

#include <QWidget>

class DataSource;
class QFrame;
class QPlainTextEdit;
class QPushButton;
class Table;

// The dream dictionary window, the program's main window. Creating it opens the dream table
// in the database directory; closing it settles the current row and ends the program.
class TFORMAPRIMERA : public QWidget
{
    Q_OBJECT
public:
    explicit TFORMAPRIMERA(const QString &databaseDir, QWidget *parent = nullptr);
    ~TFORMAPRIMERA() override;

    Table *Table1;
    DataSource *DataSource1;

    QFrame *Panel1;
    QFrame *Panel2;
    QPushButton *BitBtn2956;
    QPlainTextEdit *memo9;

    void FormActivate();
    void BitBtn2956Click();

protected:
    void closeEvent(QCloseEvent *event) override;
};
