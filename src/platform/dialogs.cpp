#include "platform/dialogs.h"

#include "platform/application.h"
#include "platform/modal.h"
#include "platform/placement.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QQueue>

namespace Dialogs {
namespace {

struct ScriptState
{
    QQueue<Button> answers;
    QQueue<std::optional<QString>> texts;
    QQueue<bool> prints;
    QVector<Shown> shown;
    Script::Unscripted policy = Script::Unscripted::Show;
};

ScriptState &script()
{
    static ScriptState state;
    return state;
}

QMessageBox::Icon boxIcon(Icon icon)
{
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

Button showMessageBox(const Shown &what)
{
    QMessageBox box(boxIcon(what.icon), what.caption, what.text);
    box.setTextFormat(Qt::PlainText);
    QPushButton *ok = nullptr;
    QPushButton *cancel = nullptr;
    if (what.buttons & Ok)
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    if (what.buttons & Cancel)
        cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(what.defaultButton == Cancel && cancel ? cancel : ok);
    box.setEscapeButton(cancel ? cancel : ok);
    keepCentredOnScreen(&box);
    showModal(&box);
    // Esc, the close box and an ended loop all count as Cancel when the box has one.
    if (cancel && (!ok || box.clickedButton() != ok))
        return Cancel;
    return Ok;
}

std::optional<QString> showInputBox(const Shown &what)
{
    QInputDialog box;
    box.setWindowTitle(what.caption);
    box.setInputMode(QInputDialog::TextInput);
    box.setLabelText(what.text);
    box.setTextValue(what.defaultText);
    box.setOkButtonText(QStringLiteral("OK"));
    box.setCancelButtonText(QStringLiteral("Cancel"));
    if (auto *line = box.findChild<QLineEdit *>())
        line->setMaxLength(what.maxLength);
    keepCentredOnScreen(&box);
    if (showModal(&box) != QDialog::Accepted)
        return std::nullopt;
    return box.textValue().left(what.maxLength);
}

bool showPrintDialog(QPrinter *printer, QWidget *parent)
{
    printer->setCopyCount(1);
    QPrintDialog dialog(printer, parent);
    // Printing to a file is offered only where the system has no printer, so that the
    // dialog always leads somewhere.
    dialog.setOption(QAbstractPrintDialog::PrintToFile,
                     QPrinterInfo::availablePrinterNames().isEmpty());
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return showModal(&dialog) == QDialog::Accepted;
}

} // namespace

Button message(const QString &caption, const QString &text, Icon icon, Buttons buttons,
               Button defaultButton)
{
    Shown what;
    what.kind = Shown::Message;
    what.caption = caption;
    what.text = text;
    what.icon = icon;
    what.buttons = buttons;
    what.defaultButton = defaultButton;
    ScriptState &state = script();
    state.shown.append(what);
    if (!state.answers.isEmpty())
        return state.answers.dequeue();
    if (state.policy == Script::Unscripted::DefaultAnswer)
        return defaultButton;
    return showMessageBox(what);
}

void errorBox(const QString &errorMessage)
{
    message(applicationTitle(), errorMessage + QLatin1Char('.'), Icon::Critical, Ok, Ok);
}

std::optional<QString> input(const QString &caption, const QString &prompt, const QString &text,
                             int maxLength)
{
    Shown what;
    what.kind = Shown::Input;
    what.caption = caption;
    what.text = prompt;
    what.buttons = Ok | Cancel;
    what.defaultButton = Ok;
    what.defaultText = text;
    what.maxLength = maxLength;
    ScriptState &state = script();
    state.shown.append(what);
    if (!state.texts.isEmpty()) {
        const std::optional<QString> answer = state.texts.dequeue();
        return answer ? std::optional<QString>(answer->left(maxLength)) : std::nullopt;
    }
    if (state.policy == Script::Unscripted::DefaultAnswer)
        return std::nullopt;
    return showInputBox(what);
}

bool print(QPrinter *printer, QWidget *parent)
{
    Shown what;
    what.kind = Shown::Print;
    what.buttons = Ok | Cancel;
    what.defaultButton = Ok;
    ScriptState &state = script();
    state.shown.append(what);
    if (!state.prints.isEmpty())
        return state.prints.dequeue();
    if (state.policy == Script::Unscripted::DefaultAnswer)
        return false;
    return showPrintDialog(printer, parent);
}

namespace Script {

void answer(Button button)
{
    script().answers.enqueue(button);
}

void text(const std::optional<QString> &answer)
{
    script().texts.enqueue(answer);
}

void printResult(bool confirmed)
{
    script().prints.enqueue(confirmed);
}

void setUnscripted(Unscripted policy)
{
    script().policy = policy;
}

const QVector<Shown> &shown()
{
    return script().shown;
}

int pending()
{
    const ScriptState &state = script();
    return int(state.answers.size() + state.texts.size() + state.prints.size());
}

bool active()
{
    return pending() > 0 || script().policy != Unscripted::Show;
}

void reset()
{
    script() = ScriptState();
}

} // namespace Script
} // namespace Dialogs
