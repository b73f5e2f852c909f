#include "roster.h"

#include "form100.h"
#include "form2.h"
#include "form400.h"
#include "form99.h"
#include "formabox.h"
#include "formaprimera.h"
#include "windowroster.h"

Roster::Roster(const QString &databaseDir)
{
    WindowRoster &refs = windowRoster();
    try {
        m_FORMAPRIMERA = std::make_unique<TFORMAPRIMERA>(databaseDir);
        refs.FORMAPRIMERA = m_FORMAPRIMERA.get();
        m_Form99 = std::make_unique<TForm99>();
        refs.Form99 = m_Form99.get();
        m_Form2 = std::make_unique<TForm2>();
        refs.Form2 = m_Form2.get();
        m_FORMABOX = std::make_unique<TFORMABOX>();
        refs.FORMABOX = m_FORMABOX.get();
        m_Form100 = std::make_unique<TForm100>();
        refs.Form100 = m_Form100.get();
        m_Form400 = std::make_unique<TForm400>();
        refs.Form400 = m_Form400.get();
    } catch (...) {
        destroy();
        throw;
    }
}

Roster::~Roster()
{
    destroy();
}

void Roster::destroy()
{
    m_Form400.reset();
    m_Form100.reset();
    m_FORMABOX.reset();
    m_Form2.reset();
    m_Form99.reset();
    m_FORMAPRIMERA.reset(); // closes the dream table
    windowRoster() = WindowRoster();
}
