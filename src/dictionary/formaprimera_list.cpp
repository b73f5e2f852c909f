// The record list view and the search by name of the dream dictionary window.

#include "dictionary/formaprimera.h"

#include "controls/dbimage.h"
#include "controls/dblookuplistbox.h"
#include "controls/dbmemo.h"
#include "controls/memo.h"
#include "data/table.h"
#include "platform/appearance.h"
#include "platform/beep.h"
#include "platform/dialogs.h"
#include "widgets/raisedlabel.h"

#include <QFrame>
#include <QPushButton>

namespace {

// The search's dialogs and the field it looks in.
struct SearchTexts
{
    QString inputCaption = QStringLiteral("Entrada");
    QString inputPrompt = QStringLiteral("Introduce el nombre:");
    int inputMaxLength = 255;
    QString keyField = QStringLiteral("IMAGEN ONÍRICA");
    QString notFoundCaption = QStringLiteral("Aviso");
    QString notFoundText = QStringLiteral(
        "Para buscar el nombre, deberá de escribirlo tal y como está escrito en la base de "
        "datos; ya que la opción buscar distingue mayúsculas y minúsculas. -          ¡¡¡ "
        "Pruebe de nuevo !!!");
};

const SearchTexts &searchTexts()
{
    static const SearchTexts texts;
    return texts;
}

} // namespace

// Opens the record list on the current entry; nothing is read again or moved, and an edit
// in progress stays in progress.
void TFORMAPRIMERA::Spbuton100Click()
{
    beep();
    DBLOOKUPLISTBOX1->show();
    BOTONCANCELAR->show();
    PANELLISTA->show();
    Memoayuda->hide();
    BOTONCANCELAR->setFocus();
    Label16->setFontColor(Colors::clNavy);
}

// "&Ocultar Lista": closes the list, keeps the chosen entry (an edit stays pending) and
// puts the prompts back.
void TFORMAPRIMERA::BOTONCANCELARClick()
{
    beep();
    hideRecordList();
    DBImage1->setFocus();
    restoreStandardPrompts();
}

// A double click in the list closes it and refreshes the table, which stores a changed
// entry first; the prompts stay as they are.
void TFORMAPRIMERA::DBLOOKUPLISTBOX1DblClick()
{
    beep();
    hideRecordList();
    Table1->refresh();
    DBImage1->setFocus();
}

// Search by name: the first entry, in name order, whose name begins with the text exactly as
// typed. Setting the key settles a pending edit even when the box was cancelled; if that
// fails, its error ends the command before the locate.
void TFORMAPRIMERA::BitBtn2000Click()
{
    const SearchTexts &t = searchTexts();
    beep();
    Label16->setFontColor(Colors::clNavy);
    hideRecordList();
    Memoayuda->hide();
    // A cancelled box gives the empty text, which goes to the locate like any other text
    // (as an empty text, not a null value, on every Qt version).
    QString text = Dialogs::input(t.inputCaption, t.inputPrompt, QString(), t.inputMaxLength)
                       .value_or(QString());
    if (text.isNull())
        text = QLatin1String("");
    Table1->setKey();
    if (!Table1->locate(t.keyField, text, Table::PartialKey))
        Dialogs::message(t.notFoundCaption, t.notFoundText, Dialogs::Icon::None, Dialogs::Ok,
                         Dialogs::Ok);
    memo9->setFocus();
}
