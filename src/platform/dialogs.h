#pragma once

#include <QString>
#include <QVector>

#include <optional>

class QPrinter;
class QWidget;

// Every message box, the input box and the print dialog of the program go through here.
// Unscripted, each shows the real dialog modally (application-modal, centred on the
// screen) and waits for the user. Tests script the next answers and read back what was
// shown, so modal flows run without a user.
namespace Dialogs {

enum class Icon { None, Information, Warning, Critical, Question };

enum Button { NoButton = 0x0, Ok = 0x1, Cancel = 0x2 };
using Buttons = int;

// One dialog as it was asked for.
struct Shown
{
    enum Kind { Message, Input, Print };
    Kind kind = Message;
    QString caption;
    QString text; // message text, or the prompt of the input box
    Icon icon = Icon::None;
    Buttons buttons = NoButton;
    Button defaultButton = NoButton;
    QString defaultText; // input box: the text the edit line starts with
    int maxLength = 0;   // input box
};

// A message box. Enter takes the default button; Esc and the close box take Cancel when
// the box has one, otherwise OK. Returns the button that ended the box.
Button message(const QString &caption, const QString &text, Icon icon, Buttons buttons = Ok,
               Button defaultButton = Ok);

// The application error box: the error's message with a full stop appended, the
// application title as caption, the error icon and one "OK" button.
void errorBox(const QString &errorMessage);

// The input box: caption, prompt line, one edit line starting with text and taking up to
// maxLength characters, "OK" (default) and "Cancel". The edited text after "OK"; nothing
// after "Cancel", Esc or the close box.
std::optional<QString> input(const QString &caption, const QString &prompt,
                             const QString &text = QString(), int maxLength = 255);

// The print dialog for printer: copies preset to 1, no page range, selection or print to
// file (a PDF file is offered only where the system has no printer). True when the user
// confirms it.
bool print(QPrinter *printer, QWidget *parent = nullptr);

// Scripting, for tests.
namespace Script {
void answer(Button button);                // the next message box ends with button
void text(const std::optional<QString> &); // the next input box: a text for "OK", or cancel
void printResult(bool confirmed);          // the next print dialog

// What an unscripted dialog does: show the real dialog (the default), or take its default
// answer at once (message: the default button; input: cancel; print: false) so that a test
// that forgot to script one cannot hang.
enum class Unscripted { Show, DefaultAnswer };
void setUnscripted(Unscripted policy);

const QVector<Shown> &shown(); // every dialog asked for since the last reset, in order
int pending();                 // scripted answers not used yet
bool active();                 // answers pending or the policy is not Show
void reset();                  // clears answers, record and policy
} // namespace Script

} // namespace Dialogs
