#include "dictionary/formaprimera.h"

#include "controls/datasource.h"
#include "controls/dbimage.h"
#include "controls/dblookuplistbox.h"
#include "controls/dbmemo.h"
#include "controls/dbnavigator.h"
#include "controls/memo.h"
#include "controls/panel.h"
#include "data/fields.h"
#include "data/table.h"
#include "dictionary/formaprimera_access.h"
#include "dictionary/formaprimera_hints.h"
#include "dictionary/formaprimera_search.h"
#include "dictionary/printentry.h"
#include "dictionary/prologue.h"
#include "platform/appearance.h"
#include "platform/application.h"
#include "platform/autodrag.h"
#include "platform/beep.h"
#include "platform/glyphs.h"
#include "platform/modal.h"
#include "platform/placement.h"
#include "platform/startuptrace.h"
#include "platform/windowroster.h"
#include "widgets/blotterframe.h"
#include "widgets/controlfactory.h"
#include "widgets/raisedlabel.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QToolButton>

namespace {

// The captions the prompt labels show. The standard prompts are the first four.
namespace Prompt {
const char *const Name = "Nombre de la Imagen Onírica:";
const char *const Meaning = "Significado Onírico:";
const char *const Numbers = "Número(s) de la Suerte para Juegos de Azar y Apuestas:";
const char *const Picture = "Imagen Onírica";
const char *const TypeName = "Escriba el Nombre de la Imagen Onírica:";
const char *const TypeMeaning = "Escriba el Significado Onírico:";
const char *const TypeNumbers = "Escriba los Números de la Suerte para Juegos de Azar y Apuestas:";
const char *const NameBesideMeaning = "Nombre de la imagen Onírica";
const char *const NumbersBesideMeaning =
    "Número(s) de la Suerte para Jugar en Juegos de Azar y Apuestas";
const char *const NameBesideNumbers = "Nombre de la Imagen Onírica";
} // namespace Prompt

// What a click into a text editor puts on the three field prompts: a caption each, the
// clicked editor's own prompt in blue and the other two in navy.
struct ClickPrompts
{
    const char *name;
    const char *meaning;
    const char *numbers;
    int asking; // 0 name, 1 meaning, 2 numbers
};

const ClickPrompts nameClicked{Prompt::TypeName, Prompt::Meaning, Prompt::Numbers, 0};
const ClickPrompts meaningClicked{Prompt::NameBesideMeaning, Prompt::TypeMeaning,
                                  Prompt::NumbersBesideMeaning, 1};
const ClickPrompts numbersClicked{Prompt::NameBesideNumbers, Prompt::Meaning, Prompt::TypeNumbers,
                                  2};

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// The prompt labels over the editors and the picture.
struct PromptDef
{
    TRaisedLabel *TFORMAPRIMERA::*member;
    const char *name;
    QPoint pos;
    const char *caption;
};

const PromptDef promptDefs[] = {
    {&TFORMAPRIMERA::Label9, "Label9", {8, 72}, Prompt::Name},
    {&TFORMAPRIMERA::Label11, "Label11", {8, 128}, Prompt::Meaning},
    {&TFORMAPRIMERA::label990, "label990", {8, 296}, Prompt::Numbers},
    {&TFORMAPRIMERA::Label16, "Label16", {448, 128}, Prompt::Picture},
};

// The record commands: a caption label above a one-button navigator, and the handler that
// runs after the navigator's action.
struct CommandDef
{
    TRaisedLabel *TFORMAPRIMERA::*label;
    const char *labelName;
    const char *caption;
    QPoint labelPos;
    TDBNavigator *TFORMAPRIMERA::*button;
    const char *buttonName;
    QPoint buttonPos;
    TDBNavigator::Action action;
    void (TFORMAPRIMERA::*handler)();
};

const CommandDef commandDefs[] = {
    {&TFORMAPRIMERA::Label3,
     "Label3",
     "Primero",
     {8, 8},
     &TFORMAPRIMERA::DBNavigator3,
     "DBNavigator3",
     {16, 24},
     TDBNavigator::First,
     &TFORMAPRIMERA::DBNavigator3Click},
    {&TFORMAPRIMERA::Label99,
     "Label99",
     "Cancelar",
     {80, 8},
     &TFORMAPRIMERA::DBNavigator7,
     "DBNavigator7",
     {88, 24},
     TDBNavigator::Cancel,
     &TFORMAPRIMERA::DBNavigator7Click},
    {&TFORMAPRIMERA::Label7,
     "Label7",
     "Añadir",
     {152, 8},
     &TFORMAPRIMERA::NUEVO,
     "NUEVO",
     {160, 24},
     TDBNavigator::Insert,
     &TFORMAPRIMERA::NUEVOClick},
    {&TFORMAPRIMERA::Label8,
     "Label8",
     "Borrar",
     {224, 8},
     &TFORMAPRIMERA::DBNavigator6,
     "DBNavigator6",
     {232, 24},
     TDBNavigator::Delete,
     &TFORMAPRIMERA::DBNavigator6Click},
    {&TFORMAPRIMERA::Label5,
     "Label5",
     "Actualizar",
     {296, 8},
     &TFORMAPRIMERA::DBNavigator2,
     "DBNavigator2",
     {304, 24},
     TDBNavigator::Refresh,
     &TFORMAPRIMERA::DBNavigator2Click},
    {&TFORMAPRIMERA::Label4,
     "Label4",
     "Grabar",
     {368, 8},
     &TFORMAPRIMERA::DBNavigator1,
     "DBNavigator1",
     {376, 24},
     TDBNavigator::Post,
     &TFORMAPRIMERA::DBNavigator1Click},
    {&TFORMAPRIMERA::Label10,
     "Label10",
     "Anterior",
     {296, 72},
     &TFORMAPRIMERA::DBNavigator4,
     "DBNavigator4",
     {304, 88},
     TDBNavigator::Prior,
     &TFORMAPRIMERA::DBNavigator4Click},
    {&TFORMAPRIMERA::Label98,
     "Label98",
     "Siguiente",
     {368, 72},
     &TFORMAPRIMERA::DBNavigator5,
     "DBNavigator5",
     {376, 88},
     TDBNavigator::Next,
     &TFORMAPRIMERA::DBNavigator5Click},
};

// The text editors: field, place and what a click into them asks for.
struct EditorDef
{
    TDBMemo *TFORMAPRIMERA::*member;
    const char *name;
    QRect bounds;
    int field;
    bool scrollBar;
    void (TFORMAPRIMERA::*click)();
};

const EditorDef editorDefs[] = {
    {&TFORMAPRIMERA::memo9,
     "memo9",
     {8, 88, 281, 25},
     ImagenOnirica,
     false,
     &TFORMAPRIMERA::memo9Click},
    {&TFORMAPRIMERA::memo10,
     "memo10",
     {8, 144, 417, 137},
     InterpretacionOnirica,
     true,
     &TFORMAPRIMERA::memo10Click},
    {&TFORMAPRIMERA::Memo11,
     "Memo11",
     {8, 312, 417, 81},
     DatosDeInteres,
     true,
     &TFORMAPRIMERA::Memo11Click},
};

// The toolbar's picture buttons on Panel2.
struct ToolDef
{
    QPushButton *TFORMAPRIMERA::*member;
    const char *name;
    QPoint pos;
    const char *glyph;
    void (TFORMAPRIMERA::*handler)();
};

const ToolDef toolDefs[] = {
    {&TFORMAPRIMERA::BitBoton9812,
     "BitBoton9812",
     {8, 8},
     "tool_prologue",
     &TFORMAPRIMERA::BitBoton9812Click},
    {&TFORMAPRIMERA::BitBtn7gf, "BitBtn7gf", {56, 8}, "tool_about", &TFORMAPRIMERA::BitBtn7gfClick},
    {&TFORMAPRIMERA::BitBtn2956,
     "BitBtn2956",
     {104, 8},
     "tool_exit",
     &TFORMAPRIMERA::BitBtn2956Click},
    {&TFORMAPRIMERA::BOTONAYUDA,
     "BOTONAYUDA",
     {56, 56},
     "tool_help",
     &TFORMAPRIMERA::BOTONAYUDAClick},
    {&TFORMAPRIMERA::BitBtn214569,
     "BitBtn214569",
     {104, 56},
     "tool_print",
     &TFORMAPRIMERA::BitBtn214569Click},
};

const QSize toolButtonSize{41, 41};
const QSize navigatorSize{49, 25};
const QSize captionSize{65, 49};

// Places a control at bounds in its parent's client area.
void place(QWidget *control, QRect bounds)
{
    if (const auto *panel = qobject_cast<const TPanel *>(control->parentWidget()))
        bounds.translate(panel->clientOrigin());
    control->setGeometry(bounds);
}

void place(QWidget *control, const QPoint &pos, const QSize &size)
{
    place(control, QRect(pos, size));
}

TPanel *makePanel(QWidget *parent, const char *name, const QRect &bounds, const PanelLook &look,
                  const QColor &colour = QColor())
{
    auto *panel = makeControl<TPanel>(parent, name);
    place(panel, bounds);
    panel->setLook(look);
    if (colour.isValid())
        panel->setColor(colour);
    return panel;
}

PanelLook loweredInner(int borderWidth = 0, bool singleBorder = false, int bevelWidth = 1)
{
    PanelLook look;
    look.inner = PanelLook::Lowered;
    look.borderWidth = borderWidth;
    look.singleBorder = singleBorder;
    look.bevelWidth = bevelWidth;
    return look;
}

QPixmap glyph(const char *name)
{
    return Glyphs::pixmap(QLatin1String(name));
}

// The field prompts in their standard captions and all four prompts in navy; the caption
// of the picture prompt stays as it is.
void restoreFieldPrompts(TFORMAPRIMERA *w)
{
    w->Label9->setText(text(Prompt::Name));
    w->Label11->setText(text(Prompt::Meaning));
    w->label990->setText(text(Prompt::Numbers));
    for (TRaisedLabel *label : {w->Label9, w->Label11, w->label990, w->Label16})
        label->setFontColor(Colors::clNavy);
}

void showClickPrompts(TFORMAPRIMERA *w, const ClickPrompts &prompts)
{
    w->Label16->setText(text(Prompt::Picture));
    w->Label16->setFontColor(Colors::clNavy);
    const char *const captions[] = {prompts.name, prompts.meaning, prompts.numbers};
    TRaisedLabel *const labels[] = {w->Label9, w->Label11, w->label990};
    for (int i = 0; i < 3; ++i) {
        labels[i]->setText(text(captions[i]));
        labels[i]->setFontColor(i == prompts.asking ? Colors::clBlue : Colors::clNavy);
    }
}

// What prologue mode disables besides the help button and the name editor: the record
// commands and their captions, the other toolbar buttons, the list and search buttons and
// the prompts of the name and the meaning.
void setCommandsEnabled(TFORMAPRIMERA *w, bool enabled)
{
    for (const CommandDef &def : commandDefs) {
        (w->*def.button)->setEnabled(enabled);
        (w->*def.label)->setEnabled(enabled);
    }
    const QList<QWidget *> controls{w->Spbuton100, w->BitBtn7gf,  w->BitBoton9812, w->BitBtn214569,
                                    w->BitBtn2956, w->BitBtn2000, w->Label9,       w->Label11};
    for (QWidget *control : controls)
        control->setEnabled(enabled);
}

// Fonts the window's controls share.
QFont arial12()
{
    return makeFont(QStringLiteral("Arial"), 12);
}

QFont sans11()
{
    return makeFont(QStringLiteral("MS Sans Serif"), 11);
}

} // namespace

TFORMAPRIMERA::TFORMAPRIMERA(const QString &databaseDir, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FORMAPRIMERA"));
    setWindowTitle(applicationTitle());
    setFont(sans11());
    placeCentred(this, {648, 492}, WindowBorder::Sizeable);
    openTable(databaseDir);

    Panel1 = makePanel(this, "Panel1", {8, 8, 617, 441}, loweredInner(1, true),
                       systemColor(SystemColor::Light3D));
    const QList<TRaisedLabel *> labels = makePromptsAndCommands();
    makeEditors();
    makePicture();
    makeToolbar();
    makeListAndSearchButtons();
    makeClockAndStatusLine();
    makePrologueButtonAndMask();
    makeListPanel();
    makePrologueAndPrintMemos();
    // Labels are drawn beneath every other control, as graphic controls are.
    for (auto it = labels.crbegin(); it != labels.crend(); ++it)
        (*it)->lower();
    setKeyboardOrder();

    // Until the first activation, the browse layout without the record list.
    BOTONNAIPES->hide();
    MASCARA->hide();
    Memoayuda->hide();
    hideRecordList();

    auto *activation = new ActivationWatcher(this);
    connect(activation, &ActivationWatcher::activated, this, guarded([this]() { FormActivate(); }));

    installHints(this);
    installAccessibility(this);
    installMeaningSearch(this);
}

void TFORMAPRIMERA::openTable(const QString &databaseDir)
{
    Table1 = new Table(this);
    Table1->setObjectName(QStringLiteral("Table1"));
    Table1->setDatabaseDir(databaseDir);
    Table1->open();
    StartupTrace::checkpoint("table open");
    DataSource1 = new DataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataSet(Table1);
}

// The field prompts, and each record command with its caption; the labels, so that they can
// be lowered beneath the other controls once all are in place.
QList<TRaisedLabel *> TFORMAPRIMERA::makePromptsAndCommands()
{
    QList<TRaisedLabel *> labels;
    for (const PromptDef &def : promptDefs) {
        TRaisedLabel *label =
            makeRaisedLabel(Panel1, def.name, text(def.caption), arial12(), Colors::clNavy);
        label->setAutoSize(true);
        place(label, def.pos, label->size());
        this->*def.member = label;
        labels << label;
    }
    for (const CommandDef &def : commandDefs) {
        TRaisedLabel *label =
            makeRaisedLabel(Panel1, def.labelName, text(def.caption), arial12(), Colors::clMaroon);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        place(label, def.labelPos, captionSize);
        this->*def.label = label;
        labels << label;

        auto *button = makeControl<TDBNavigator>(Panel1, def.buttonName);
        place(button, def.buttonPos, navigatorSize);
        button->setAction(def.action);
        button->setDataSource(DataSource1);
        this->*def.button = button;
        connect(button, &TDBNavigator::actionDone, this,
                guarded([this, h = def.handler] { (this->*h)(); }));
    }
    return labels;
}

void TFORMAPRIMERA::makeEditors()
{
    const QFont editorFont = makeFont(QStringLiteral("System"), 13, true);
    for (const EditorDef &def : editorDefs) {
        auto *editor = makeControl<TDBMemo>(Panel1, def.name);
        place(editor, def.bounds);
        editor->setFont(editorFont);
        editor->setFocusFontColor(Colors::clRed);
        if (def.scrollBar)
            editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        editor->setDataField(def.field);
        editor->setDataSource(DataSource1);
        this->*def.member = editor;
        connect(editor, &TMemo::clicked, this, guarded([this, h = def.click] { (this->*h)(); }));
    }
    memo9->setMaxLength(NameMaxLength);
    memo9->setWantReturns(false);
    connect(memo9, &TDBMemo::keyPressed, this, [this](int key, bool *consumed) {
        runHandler([this, key] { memo9KeyPress(key); });
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            *consumed = true;
    });
}

// The picture editor in its blotter frame.
void TFORMAPRIMERA::makePicture()
{
    MARCO = makeControl<TBlotterFrame>(Panel1, "MARCO");
    place(MARCO, {448, 144, 153, 193});
    MARCO->setBorderWidth(8);
    MARCO->setColor(Colors::clGreen);
    AutoDrag::install(MARCO);
    DBImage1 = makeControl<TDBImage>(MARCO, "DBImage1");
    DBImage1->setGeometry(8, 8, 137, 177);
    DBImage1->setDataField(GraficoBMP);
    DBImage1->setDataSource(DataSource1);
    connect(DBImage1, &TDBImage::clicked, this, guarded([this] { DBImage1Click(); }));
}

void TFORMAPRIMERA::makeToolbar()
{
    Panel2 = makePanel(Panel1, "Panel2", {448, 8, 153, 105}, loweredInner(1), Colors::clSilver);
    for (const ToolDef &def : toolDefs) {
        QPushButton *button = makeGlyphButton(Panel2, def.name, glyph(def.glyph));
        place(button, def.pos, toolButtonSize);
        this->*def.member = button;
        connect(button, &QPushButton::clicked, this,
                guarded([this, h = def.handler] { (this->*h)(); }));
    }
}

void TFORMAPRIMERA::makeListAndSearchButtons()
{
    Spbuton100 = makeControl<QToolButton>(Panel1, "Spbuton100");
    place(Spbuton100, {456, 344, 33, 25});
    Spbuton100->setAutoRaise(true);
    Spbuton100->setFocusPolicy(Qt::NoFocus);
    Spbuton100->setIcon(glyph("list_page"));
    Spbuton100->setIconSize({14, 14});
    connect(Spbuton100, &QToolButton::clicked, this, guarded([this] { Spbuton100Click(); }));

    BitBtn2000 = makeGlyphButton(Panel1, "BitBtn2000", glyph("search_folder"));
    place(BitBtn2000, {560, 344, 33, 25});
    connect(BitBtn2000, &QPushButton::clicked, this, guarded([this] { BitBtn2000Click(); }));
}

void TFORMAPRIMERA::makeClockAndStatusLine()
{
    Panel4 = makePanel(Panel1, "Panel4", {448, 376, 153, 17}, loweredInner());
    LABEL999 = makeRaisedLabel(Panel4, "LABEL999", QStringLiteral("22:22:22"),
                               makeFont(QStringLiteral("Arial"), 11), Colors::clNavy);
    LABEL999->setAutoSize(true);
    LABEL999->move(20, 2);
    LABEL888 =
        makeRaisedLabel(Panel4, "LABEL888", QStringLiteral("22/22/98"), sans11(), Colors::clNavy);
    LABEL888->setAutoSize(true);
    LABEL888->move(92, 2);

    auto *statusLine = makeControl<TPanelLabel>(Panel1, "Panel3");
    place(statusLine, {8, 400, 593, 25});
    statusLine->setLook(loweredInner(0, true));
    statusLine->setColor(systemColor(SystemColor::Light3D));
    statusLine->setFont(arial12());
    statusLine->setFontColor(Colors::clRed);
    Panel3 = statusLine;
}

// The prologue's hide button and the mask over the name editor.
void TFORMAPRIMERA::makePrologueButtonAndMask()
{
    BOTONNAIPES = makeButton(Panel1, "BOTONNAIPES");
    place(BOTONNAIPES, {272, 400, 65, 25});
    BOTONNAIPES->setText(QStringLiteral("&Ocultar"));
    BOTONNAIPES->setFont(sans11());
    connect(BOTONNAIPES, &QPushButton::clicked, this, guarded([this] { BOTONNAIPESClick(); }));

    MASCARA = makeControl<TMemo>(Panel1, "MASCARA");
    place(MASCARA, {8, 88, 281, 25});
    MASCARA->setReadOnly(true);
    MASCARA->setFont(sans11());
    MASCARA->setFontColor(Colors::clNavy);
    MASCARA->setFocusPolicy(Qt::NoFocus);
}

// The record list with its hide button.
void TFORMAPRIMERA::makeListPanel()
{
    PANELLISTA = makePanel(Panel1, "PANELLISTA", {8, 128, 417, 265}, loweredInner(0, false, 2));
    AutoDrag::install(PANELLISTA);
    DBLOOKUPLISTBOX1 = makeControl<TDBLookupListBox>(PANELLISTA, "DBLOOKUPLISTBOX1");
    place(DBLOOKUPLISTBOX1, {24, 16, 369, 201});
    DBLOOKUPLISTBOX1->setDataField(ImagenOnirica);
    DBLOOKUPLISTBOX1->setDataSource(DataSource1);
    connect(DBLOOKUPLISTBOX1, &TDBLookupListBox::doubleClicked, this,
            guarded([this] { DBLOOKUPLISTBOX1DblClick(); }));
    BOTONCANCELAR = makeButton(PANELLISTA, "BOTONCANCELAR");
    place(BOTONCANCELAR, {160, 224, 97, 33});
    BOTONCANCELAR->setText(QStringLiteral("&Ocultar Lista"));
    BOTONCANCELAR->hide();
    connect(BOTONCANCELAR, &QPushButton::clicked, this, guarded([this] { BOTONCANCELARClick(); }));
}

// The prologue's text and the memos that exist only to be printed.
void TFORMAPRIMERA::makePrologueAndPrintMemos()
{
    Memoayuda = makeControl<TMemo>(Panel1, "Memoayuda");
    place(Memoayuda, {8, 128, 598, 265});
    Memoayuda->setReadOnly(true);
    Memoayuda->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memoayuda->setColor(systemColor(SystemColor::ScrollBar));
    Memoayuda->setFont(makeFont(QStringLiteral("MS Sans Serif"), 13));
    Memoayuda->setFontColor(Colors::clBlack);
    Memoayuda->setFocusPolicy(Qt::TabFocus);
    Memoayuda->setLines(prologueLines());
    AutoDrag::install(Memoayuda);

    // Memos that exist only to be printed; never shown.
    interpretacion = makeControl<TMemo>(Panel1, "interpretacion");
    place(interpretacion, {8, 400, 185, 25});
    DATOS = makeControl<TMemo>(Panel1, "DATOS");
    place(DATOS, {200, 400, 185, 25});
    Memo1 = makeControl<TMemo>(this, "Memo1");
    Memo1->setGeometry(632, 8, 185, 89);
    Memo123 = makeControl<TMemo>(this, "Memo123");
    Memo123->setGeometry(632, 104, 185, 89);
    for (TMemo *memo : {interpretacion, DATOS, Memo1, Memo123}) {
        memo->setReadOnly(true);
        memo->setFocusPolicy(Qt::NoFocus);
        memo->hide();
    }
    setUpPrintMemos(Memo123, Memo1, interpretacion, DATOS);
}

void TFORMAPRIMERA::setKeyboardOrder()
{
    // The keyboard order: the editors, the toolbar, the search button, the picture, then
    // the list's button and grid.
    const QList<QWidget *> order{memo9,         memo10,          Memo11,       BitBoton9812,
                                 BitBtn7gf,     BitBtn2956,      BitBtn214569, BOTONAYUDA,
                                 BitBtn2000,    DBImage1,        Memoayuda,    BOTONNAIPES,
                                 BOTONCANCELAR, DBLOOKUPLISTBOX1};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

TFORMAPRIMERA::~TFORMAPRIMERA()
{
    // The controls let go of the table before it closes.
    DataSource1->setDataSet(nullptr);
}

void TFORMAPRIMERA::restoreStandardPrompts()
{
    for (const PromptDef &def : promptDefs) {
        TRaisedLabel *label = this->*def.member;
        label->setText(text(def.caption));
        label->setFontColor(Colors::clNavy);
    }
}

void TFORMAPRIMERA::hideRecordList()
{
    DBLOOKUPLISTBOX1->hide();
    BOTONCANCELAR->hide();
    PANELLISTA->hide();
}

void TFORMAPRIMERA::FormActivate()
{
    StartupTrace::checkpoint("FormActivate");
    beep();
    MARCO->show();
    BOTONNAIPES->hide();
    BOTONAYUDA->setEnabled(true);
    MASCARA->hide();
    showModal(windowRoster().Form400);
    hideRecordList();
    Memoayuda->hide();
    DBImage1->show();
    DBNavigator7->setEnabled(true);
    Label99->setEnabled(true);
    Label98->setEnabled(true);
    restoreStandardPrompts();
    Label3->show();
    Label3->setEnabled(true);
    memo9->setEnabled(true);
    memo9->show();
    Panel3->show();
    Table1->first();
    memo9->setFocus();
    beep();
}

void TFORMAPRIMERA::BitBoton9812Click()
{
    beep();
    Memoayuda->show();
    hideRecordList();
    DBImage1->hide();
    BOTONAYUDA->setEnabled(false);
    Panel3->hide();
    MASCARA->show();
    MARCO->hide();
    setCommandsEnabled(this, false);
    memo9->setEnabled(false);
    BOTONNAIPES->show();
    // The editors under the prologue keep their values; the keyboard must not reach them
    // unseen, so the focus goes to the prologue if it would land there.
    QWidget *focus = QApplication::focusWidget();
    if (!focus || focus == memo10 || focus == Memo11 || !focus->isEnabled() || !focus->isVisible())
        Memoayuda->setFocus();
}

void TFORMAPRIMERA::BOTONNAIPESClick()
{
    beep();
    BOTONAYUDA->setEnabled(true);
    MARCO->show();
    BOTONNAIPES->hide();
    hideRecordList();
    Memoayuda->hide();
    MASCARA->hide();
    DBImage1->show();
    Panel3->show();
    setCommandsEnabled(this, true);
    Label3->show();
    memo9->setEnabled(true);
    memo9->show();
    memo9->setFocus();
}

void TFORMAPRIMERA::BitBtn7gfClick()
{
    beep();
    hideRecordList();
    showModal(windowRoster().Form2);
}

void TFORMAPRIMERA::BitBtn2956Click()
{
    beep();
    Table1->refresh();
    showModal(windowRoster().Form99);
    beep();
}

void TFORMAPRIMERA::BOTONAYUDAClick()
{
    beep();
    hideRecordList();
    Memoayuda->hide();
    showModal(windowRoster().Form100);
    Label16->setFontColor(Colors::clNavy);
}

void TFORMAPRIMERA::DBNavigator3Click()
{
    beep();
    Memoayuda->hide();
    DBImage1->setFocus();
    restoreStandardPrompts();
}

void TFORMAPRIMERA::DBNavigator4Click()
{
    beep();
    Memoayuda->hide();
    restoreStandardPrompts();
    DBImage1->setFocus();
}

void TFORMAPRIMERA::DBNavigator5Click()
{
    beep();
    Memoayuda->hide();
    DBImage1->setFocus();
    restoreStandardPrompts();
}

void TFORMAPRIMERA::NUEVOClick()
{
    beep();
    memo9->setFocus();
    Memoayuda->hide();
    Label9->setText(text(Prompt::TypeName));
    Label9->setFontColor(Colors::clBlue);
    Label11->setText(text(Prompt::Meaning));
    Label11->setFontColor(Colors::clNavy);
    label990->setText(text(Prompt::Numbers));
    label990->setFontColor(Colors::clNavy);
    Label16->setFontColor(Colors::clBlue);
}

void TFORMAPRIMERA::DBNavigator1Click()
{
    beep();
    Memoayuda->hide();
}

void TFORMAPRIMERA::DBNavigator7Click()
{
    beep();
    Memoayuda->hide();
    DBImage1->setFocus();
    restoreFieldPrompts(this);
}

void TFORMAPRIMERA::DBNavigator6Click()
{
    beep();
    Memoayuda->hide();
    Label16->setFontColor(Colors::clNavy);
}

void TFORMAPRIMERA::DBNavigator2Click()
{
    beep();
    Memoayuda->hide();
}

void TFORMAPRIMERA::memo9Click()
{
    showClickPrompts(this, nameClicked);
}

void TFORMAPRIMERA::memo10Click()
{
    showClickPrompts(this, meaningClicked);
}

void TFORMAPRIMERA::Memo11Click()
{
    showClickPrompts(this, numbersClicked);
}

void TFORMAPRIMERA::DBImage1Click()
{
    restoreFieldPrompts(this);
}

void TFORMAPRIMERA::memo9KeyPress(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    hideRecordList();
    Memoayuda->hide();
    memo10->setFocus();
}

void TFORMAPRIMERA::closeEvent(QCloseEvent *event)
{
    // Closing keeps a changed entry: the row is settled as when leaving edit or insert. If
    // it cannot be posted the error box says why and the window stays open with the row
    // still in editing.
    if (!runHandler([this]() { Table1->settle(); })) {
        event->ignore();
        return;
    }
    event->accept();
    Termination::request();
}
