// Printing the current entry: the print button's handler.
#include "dictionary/formaprimera.h"

#include "controls/dbimage.h"
#include "controls/dbmemo.h"
#include "controls/memo.h"
#include "dictionary/printentry.h"
#include "platform/beep.h"
#include "platform/dialogs.h"
#include "platform/printstream.h"

#include <QPrinter>
#include <QPrinterInfo>

void TFORMAPRIMERA::BitBtn214569Click()
{
    beep();
    hideRecordList();

    QPrinter printer(QPrinter::HighResolution);
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        offerPdfFile(&printer, memo9->toPlainText());
    if (!Dialogs::print(&printer, this))
        return;
    usePdfResolution(&printer);

    // The entry as the editors show it, changes not yet saved included.
    const QVector<PrintBlock> blocks =
        entryBlocks({Memo123, memo9, Memo1, interpretacion, memo10, DATOS, Memo11});
    PrinterPageSink printerPages(&printer);
    PageSink *pages = PrintOutput::replacement();
    PrintStream stream;
    stream.assign(pages ? pages : &printerPages);
    printEntry(stream, blocks, DBImage1->picture());
}
