#pragma once

#include <QString>

#include <memory>

class TFORMAPRIMERA;
class TForm99;
class TForm2;
class TFORMABOX;
class TForm100;
class TForm400;

// The windows of the program, each created once, hidden, in the roster's order with the
// main window first (creating it opens the dream table), and published as program-wide
// references. Destroying the roster destroys them in reverse order, the main window last.
class Roster
{
public:
    explicit Roster(const QString &databaseDir);
    ~Roster();
    Roster(const Roster &) = delete;
    Roster &operator=(const Roster &) = delete;

    TFORMAPRIMERA *FORMAPRIMERA() const { return m_FORMAPRIMERA.get(); }
    TForm99 *Form99() const { return m_Form99.get(); }
    TForm2 *Form2() const { return m_Form2.get(); }
    TFORMABOX *FORMABOX() const { return m_FORMABOX.get(); }
    TForm100 *Form100() const { return m_Form100.get(); }
    TForm400 *Form400() const { return m_Form400.get(); }

private:
    void destroy();

    std::unique_ptr<TFORMAPRIMERA> m_FORMAPRIMERA;
    std::unique_ptr<TForm99> m_Form99;
    std::unique_ptr<TForm2> m_Form2;
    std::unique_ptr<TFORMABOX> m_FORMABOX;
    std::unique_ptr<TForm100> m_Form100;
    std::unique_ptr<TForm400> m_Form400;
};
