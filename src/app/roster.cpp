#include "app/roster.h"

#include "app/form100.h"
#include "app/form2.h"
#include "app/form400.h"
#include "app/form99.h"
#include "app/formabox.h"
#include "app/startuperror.h"
#include "data/errors.h"
#include "dictionary/formaprimera.h"
#include "platform/startuptrace.h"
#include "platform/windowroster.h"

#include <memory>

namespace {

// Creating the main window opens the dream table; when that fails, start-up ends with an
// error that says which folder it tried and how to make a dictionary there.
std::unique_ptr<TFORMAPRIMERA> openMainWindow(const QString &databaseDir)
{
    try {
        return std::make_unique<TFORMAPRIMERA>(databaseDir);
    } catch (const EngineError &error) {
        throw EngineError(cannotOpenDictionary(databaseDir, error.message()));
    }
}

} // namespace

Roster::Roster(const QString &databaseDir)
{
    WindowRoster &refs = windowRoster();
    try {
        m_FORMAPRIMERA = openMainWindow(databaseDir);
        refs.FORMAPRIMERA = m_FORMAPRIMERA.get();
        StartupTrace::checkpoint("FORMAPRIMERA");
        m_Form99 = std::make_unique<TForm99>();
        refs.Form99 = m_Form99.get();
        StartupTrace::checkpoint("Form99");
        m_Form2 = std::make_unique<TForm2>();
        refs.Form2 = m_Form2.get();
        StartupTrace::checkpoint("Form2");
        m_FORMABOX = std::make_unique<TFORMABOX>();
        refs.FORMABOX = m_FORMABOX.get();
        StartupTrace::checkpoint("FORMABOX");
        m_Form100 = std::make_unique<TForm100>();
        refs.Form100 = m_Form100.get();
        StartupTrace::checkpoint("Form100");
        m_Form400 = std::make_unique<TForm400>();
        refs.Form400 = m_Form400.get();
        StartupTrace::checkpoint("Form400");
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
