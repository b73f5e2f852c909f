// The dream dictionary window for assistive technology and the keyboard.

#include "dictionary/formaprimera_access.h"

#include "controls/dbimage.h"
#include "controls/dbmemo.h"
#include "data/fields.h"
#include "dictionary/formaprimera.h"
#include "dictionary/hoverrules.h"
#include "platform/accessibility.h"
#include "platform/commandkeys.h"
#include "widgets/raisedlabel.h"

#include <QAbstractButton>
#include <QLabel>

namespace {

QKeySequence keys(const char *portable)
{
    return QKeySequence(QLatin1String(portable), QKeySequence::PortableText);
}

// A text the window gives one of its controls.
struct ControlText
{
    const char *control;
    const char *text;
};

// The tooltip texts of the window's picture buttons; the window shows no tooltips.
const ControlText toolTips[] = {
    {"BitBtn7gf", "Acerca de..."},      {"BitBtn2956", "Salir"},
    {"BitBtn214569", "Imprimir"},       {"BitBtn2000", "Buscar registros"},
    {"Spbuton100", "Visualizar Lista"}, {"BOTONCANCELAR", "Cancelar Lista"},
};

// Names of the controls that have neither a caption, a tooltip text nor a label.
const char *const prologueName = "Prólogo";
const ControlText names[] = {
    {"BitBoton9812", prologueName},
    {"Memoayuda", prologueName},
    {"BOTONAYUDA", "Ayuda sobre la Base de Datos"},
};

// Which label names which control: the prompts the editors and the picture frame stand
// under, and the captions that surround the record commands.
const ControlText labelled[] = {
    {"Label9", "memo9"},        {"Label11", "memo10"},       {"label990", "Memo11"},
    {"Label16", "MARCO"},       {"Label3", "DBNavigator3"},  {"Label99", "DBNavigator7"},
    {"Label7", "NUEVO"},        {"Label8", "DBNavigator6"},  {"Label5", "DBNavigator2"},
    {"Label4", "DBNavigator1"}, {"Label10", "DBNavigator4"}, {"Label98", "DBNavigator5"},
};

// The list has no sentence of its own: the one of the panel around it tells how to use it.
const ControlText describedByOther[] = {
    {"DBLOOKUPLISTBOX1", "PANELLISTA"},
};

QWidget *control(TFORMAPRIMERA *w, const char *name)
{
    QWidget *found = w->findChild<QWidget *>(QLatin1String(name));
    Q_ASSERT_X(found, "installAccessibility", name);
    return found;
}

// The status-line sentence of a control, empty when its rule sets none.
QString sentenceOf(const QString &name)
{
    const HoverRule *rule = hoverRuleFor(name);
    return rule && rule->statusText ? *rule->statusText : QString();
}

void describeControls(TFORMAPRIMERA *w)
{
    const QList<QWidget *> controls = w->findChildren<QWidget *>();
    for (QWidget *c : controls) {
        const QString sentence = sentenceOf(c->objectName());
        if (!sentence.isEmpty())
            c->setAccessibleDescription(sentence);
    }
    // A record command has no rule: the status line keeps its caption's sentence over it.
    for (const ControlText &pair : labelled) {
        QWidget *named = control(w, pair.text);
        if (qobject_cast<QAbstractButton *>(named))
            named->setAccessibleDescription(sentenceOf(QLatin1String(pair.control)));
    }
    for (const ControlText &pair : describedByOther)
        control(w, pair.control)->setAccessibleDescription(sentenceOf(QLatin1String(pair.text)));
}

// Whose picture the picture editor shows, or that the entry has none.
QString pictureName(const TFORMAPRIMERA *w)
{
    const QString field = fieldName(GraficoBMP);
    const QString entry = w->memo9->toPlainText();
    if (w->DBImage1->picture().isNull())
        return entry.isEmpty() ? field : QStringLiteral("%1: sin %2").arg(entry, field);
    return entry.isEmpty() ? field : QStringLiteral("%1 de %2").arg(field, entry);
}

} // namespace

const std::vector<CommandKey> &commandKeys()
{
    static const std::vector<CommandKey> table = {
        {"DBNavigator3", keys("Alt+Home")},   // Primero
        {"DBNavigator4", keys("Alt+PgUp")},   // Anterior
        {"DBNavigator5", keys("Alt+PgDown")}, // Siguiente
        {"NUEVO", keys("Ctrl+N")},            // Añadir
        {"DBNavigator1", keys("Ctrl+S")},     // Grabar
        {"DBNavigator7", keys("Ctrl+D")},     // Cancelar
        {"DBNavigator6", keys("Alt+Del")},    // Borrar
        {"DBNavigator2", keys("F5")},         // Actualizar
        {"Spbuton100", keys("Ctrl+L")},       // the list
        {"BitBtn2000", keys("Ctrl+B")},       // search by name
        {"BitBtn214569", keys("Ctrl+P")},     // print
        {"BitBoton9812", keys("F2")},         // prologue
        {"BitBtn7gf", keys("F12")},           // About
        {"BOTONAYUDA", keys("F1")},           // database help
        {"BitBtn2956", keys("Ctrl+Q")},       // exit
    };
    return table;
}

void installAccessibility(TFORMAPRIMERA *w)
{
    for (const ControlText &tip : toolTips)
        control(w, tip.control)->setToolTip(QString::fromUtf8(tip.text));
    for (const ControlText &name : names)
        control(w, name.control)->setAccessibleName(QString::fromUtf8(name.text));
    for (const ControlText &pair : labelled)
        qobject_cast<QLabel *>(control(w, pair.control))->setBuddy(control(w, pair.text));
    describeControls(w);

    Accessibility::setRole(w->Panel2, QAccessible::ToolBar);
    Accessibility::setRole(w->Panel3, QAccessible::StatusBar);
    // Read as a label: the platforms have no common role for a clock.
    Accessibility::setRole(w->Panel4, QAccessible::StaticText);
    // The clock reads its time and its date.
    Accessibility::setNameSource(w->Panel4, [w]() -> QString {
        return QStringList{w->LABEL999->text(), w->LABEL888->text()}.join(QLatin1Char(' '));
    });
    Accessibility::setNameSource(w->DBImage1, [w] { return pictureName(w); });

    for (const CommandKey &command : commandKeys())
        new CommandShortcut(command.key,
                            qobject_cast<QAbstractButton *>(control(w, command.control)));
}
