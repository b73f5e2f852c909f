#include "dictionary/formabuscar.h"

#include "controls/panel.h"
#include "data/errors.h"
#include "data/storage.h"
#include "data/textsearch.h"
#include "platform/accessibility.h"
#include "platform/appearance.h"
#include "platform/application.h"
#include "platform/placement.h"
#include "widgets/controlfactory.h"
#include "widgets/raisedlabel.h"

#include <QAbstractListModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QProgressDialog>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextLayout>

namespace {

// The window's texts.
struct Texts
{
    QString caption = QStringLiteral("Buscar en el diccionario");
    QString prompt = QStringLiteral("Palabras o número que busca:");
    QString results = QStringLiteral("Entradas halladas:");
    QString hint = QStringLiteral("Escriba palabras del nombre o del significado, o un número");
    QString searching = QStringLiteral("Buscando…");
    QString slowly = QStringLiteral("Buscando en todas las entradas, una a una…");
    QString one = QStringLiteral("1 entrada");
    QString many = QStringLiteral("%1 entradas");
    QString more = QStringLiteral("%1 entradas, y hay más");
    QString none = QStringLiteral("Ninguna entrada tiene %1");
    QString building = QStringLiteral("Haciendo el índice de búsqueda (solo esta vez)…");
    QString stop = QStringLiteral("Cancelar");
};

const Texts &texts()
{
    static const Texts t;
    return t;
}

constexpr int TypingPauseMs = 120;
constexpr int StepMs = 8;     // one step of reading, between two keystrokes
constexpr int ReadAhead = 10; // results read beyond those the list shows

} // namespace

namespace SearchWindow {

enum Role { IdRole = Qt::UserRole, NameRole, PieceRole };

// The results found so far, in order.
class Results : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_entries.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_entries.size())
            return QVariant();
        const FoundEntry &e = m_entries.at(index.row());
        switch (role) {
        case Qt::DisplayRole: // what a screen reader reads
            return e.piece.text.isEmpty() ? e.name : e.name + QStringLiteral(": ") + e.piece.text;
        case IdRole:
            return e.id;
        case NameRole:
            return e.name;
        default:
            return QVariant();
        }
    }

    const FoundEntry &entry(int row) const { return m_entries.at(row); }

    void append(const QVector<FoundEntry> &found)
    {
        if (found.isEmpty())
            return;
        beginInsertRows(QModelIndex(), int(m_entries.size()),
                        int(m_entries.size() + found.size()) - 1);
        m_entries += found;
        endInsertRows();
    }

    void clear()
    {
        beginResetModel();
        m_entries.clear();
        endResetModel();
    }

private:
    QVector<FoundEntry> m_entries;
};

// Draws a result on two lines: the name in bold, then the piece of its meaning with the
// matching words in bold.
class ResultLook : public QStyledItemDelegate
{
public:
    ResultLook(const Results *results, QObject *parent)
        : QStyledItemDelegate(parent), m_results(results)
    {}

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return {option.rect.width(), 2 * QFontMetrics(option.font).height() + 6};
    }

    void paint(QPainter *p, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const FoundEntry &e = m_results->entry(index.row());
        const bool current = option.state & QStyle::State_Selected;
        const QPalette &pal = option.palette;
        if (current)
            p->fillRect(option.rect, systemColor(SystemColor::Highlight, pal));
        const QColor ink =
            current ? systemColor(SystemColor::HighlightText, pal) : QColor(Colors::clBlack);
        const QRect r = option.rect.adjusted(4, 3, -4, -3);
        const int line = QFontMetrics(option.font).height();
        QFont bold = option.font;
        bold.setBold(true);
        p->save();
        p->setClipRect(option.rect);
        p->setPen(ink);
        p->setFont(bold);
        p->drawText(QRect(r.left(), r.top(), r.width(), line),
                    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, e.name);
        QTextLayout layout(e.piece.text, option.font, p->device());
        QVector<QTextLayout::FormatRange> formats;
        for (const auto &mark : e.piece.marks) {
            QTextLayout::FormatRange f;
            f.start = mark.first;
            f.length = mark.second;
            f.format.setFontWeight(QFont::Bold);
            formats.append(f);
        }
        layout.setFormats(formats);
        layout.beginLayout();
        QTextLine text = layout.createLine();
        if (text.isValid())
            text.setLineWidth(1e6); // one line; what does not fit is cut at the edge
        layout.endLayout();
        layout.draw(p, QPointF(r.left(), r.top() + line));
        if (current && (option.state & QStyle::State_HasFocus)) {
            p->setPen(QPen(ink, 1, Qt::DotLine));
            p->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
        p->restore();
    }

private:
    const Results *m_results;
};

} // namespace SearchWindow

using SearchWindow::Results;

TFormBuscar::TFormBuscar(Storage &storage, QWidget *parent)
    : QDialog(parent), m_storage(storage), m_results(new Results(this))
{
    const Texts &t = texts();
    setObjectName(QStringLiteral("FormBuscar"));
    setWindowTitle(t.caption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(makeFont(QStringLiteral("MS Sans Serif"), 11));
    placeCentredClient(this, {480, 361});

    Panel1 = new TPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 480, 361);
    PanelLook look;
    look.outer = PanelLook::None;
    look.inner = PanelLook::Lowered;
    look.singleBorder = true;
    Panel1->setLook(look);
    Panel1->setColor(systemColor(SystemColor::Light3D));

    makeLabels();
    makeSearchField();
    makeResultsList();
    makeStatusLine();
    connectSearch();
    showState();
}

void TFormBuscar::makeLabels()
{
    const Texts &t = texts();
    const QPoint o = Panel1->clientOrigin();
    const QFont arial12 = makeFont(QStringLiteral("Arial"), 12);
    LabelBuscar = makeRaisedLabel(Panel1, "LabelBuscar", t.prompt, arial12, Colors::clNavy);
    LabelResultados =
        makeRaisedLabel(Panel1, "LabelResultados", t.results, arial12, Colors::clNavy);
    for (TRaisedLabel *label : {LabelBuscar, LabelResultados})
        label->setAutoSize(true);
    LabelBuscar->move(QPoint(8, 8) + o);
    LabelResultados->move(QPoint(8, 64) + o);
}

void TFormBuscar::makeSearchField()
{
    const Texts &t = texts();
    const QPoint o = Panel1->clientOrigin();
    EditBuscar = new QLineEdit(Panel1);
    EditBuscar->setObjectName(QStringLiteral("EditBuscar"));
    EditBuscar->setGeometry(QRect(8, 24, 460, 29).translated(o));
    EditBuscar->setFont(makeFont(QStringLiteral("System"), 13, true));
    EditBuscar->setMaxLength(255);
    EditBuscar->installEventFilter(this);
    LabelBuscar->setBuddy(EditBuscar);
    EditBuscar->setAccessibleDescription(t.hint);
}

void TFormBuscar::makeResultsList()
{
    const Texts &t = texts();
    const QPoint o = Panel1->clientOrigin();
    ListaResultados = new QListView(Panel1);
    ListaResultados->setObjectName(QStringLiteral("ListaResultados"));
    ListaResultados->setGeometry(QRect(8, 80, 460, 240).translated(o));
    ListaResultados->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    ListaResultados->setFont(makeFont(QStringLiteral("MS Sans Serif"), 11));
    ListaResultados->setModel(m_results);
    ListaResultados->setItemDelegate(new SearchWindow::ResultLook(m_results, ListaResultados));
    ListaResultados->setUniformItemSizes(true);
    ListaResultados->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListaResultados->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ListaResultados->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette listColours = ListaResultados->palette();
    listColours.setColor(QPalette::Base, systemColor(SystemColor::ScrollBar));
    ListaResultados->setPalette(listColours);
    ListaResultados->installEventFilter(this);
    LabelResultados->setBuddy(ListaResultados);
    // A list's accessible name does not come from its label.
    ListaResultados->setAccessibleName(t.results.chopped(1));
}

void TFormBuscar::makeStatusLine()
{
    const QPoint o = Panel1->clientOrigin();
    PanelEstado = new TPanelLabel(Panel1);
    PanelEstado->setObjectName(QStringLiteral("PanelEstado"));
    PanelEstado->setGeometry(QRect(8, 328, 460, 25).translated(o));
    PanelLook statusLook;
    statusLook.outer = PanelLook::None;
    statusLook.inner = PanelLook::Lowered;
    PanelEstado->setLook(statusLook);
    PanelEstado->setColor(systemColor(SystemColor::Light3D));
    PanelEstado->setFont(makeFont(QStringLiteral("Arial"), 12));
    PanelEstado->setFontColor(Colors::clNavy);
    Accessibility::setRole(PanelEstado, QAccessible::StatusBar);
}

// The search follows the typing after a pause and reads its results in short steps.
void TFormBuscar::connectSearch()
{
    m_typing.setSingleShot(true);
    m_typing.setInterval(TypingPauseMs);
    m_reading.setSingleShot(true);
    m_reading.setInterval(0);
    connect(EditBuscar, &QLineEdit::textChanged, this, guarded([this] { EditBuscarChange(); }));
    connect(&m_typing, &QTimer::timeout, this, guarded([this] { startSearch(); }));
    connect(&m_reading, &QTimer::timeout, this, [this] {
        if (!runHandler([this] { readMore(); }))
            stopSearch(); // an error of the table ends the search; the box said why
    });
    connect(ListaResultados, &QListView::doubleClicked, this,
            guarded([this] { ListaResultadosDblClick(); }));
    connect(ListaResultados->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { wantMore(); });
    connect(ListaResultados->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { wantMore(); });
}

TFormBuscar::~TFormBuscar() = default;

void TFormBuscar::prepareIndex()
{
    if (m_storage.hasTextIndex() || m_storage.isReadOnly())
        return;
    QProgressDialog progress(texts().building, texts().stop, 0, 100, parentWidget());
    progress.setWindowTitle(texts().caption);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(300);
    m_storage.buildTextIndex([&](qint64 done, qint64 total) {
        progress.setValue(total ? int(done * 100 / total) : 100);
        return !progress.wasCanceled();
    });
}

bool TFormBuscar::isSearching() const
{
    return m_typing.isActive() || m_reading.isActive();
}

void TFormBuscar::EditBuscarChange()
{
    m_typing.start();
}

void TFormBuscar::ListaResultadosDblClick()
{
    choose();
}

void TFormBuscar::choose()
{
    const QModelIndex current = ListaResultados->currentIndex();
    if (!current.isValid())
        return;
    m_chosen = current.data(SearchWindow::IdRole).toLongLong();
    accept();
}

void TFormBuscar::startSearch()
{
    stopSearch();
    m_results->clear();
    m_search = std::make_unique<TextSearch>(m_storage, EditBuscar->text());
    const int shown = qMax(1, ListaResultados->viewport()->height() /
                                  qMax(1, ListaResultados->sizeHintForRow(0)));
    m_wanted = shown + ReadAhead;
    readMore();
}

// One step of the search; another follows, after the events waiting, until the list has the
// results it needs.
void TFormBuscar::readMore()
{
    if (!m_search)
        return;
    const int missing = m_wanted - m_results->rowCount();
    if (missing > 0 && !m_search->atEnd()) {
        m_results->append(m_search->next(missing, StepMs));
        if (!ListaResultados->currentIndex().isValid() && m_results->rowCount() > 0)
            ListaResultados->setCurrentIndex(m_results->index(0));
    }
    if (m_results->rowCount() < m_wanted && !m_search->atEnd())
        m_reading.start();
    showState();
}

// The list needs more results once its last ones come into view.
void TFormBuscar::wantMore()
{
    if (!m_search)
        return;
    const int shown = qMax(1, ListaResultados->viewport()->height() /
                                  qMax(1, ListaResultados->sizeHintForRow(0)));
    const int last =
        qMax(ListaResultados->currentIndex().row(),
             ListaResultados->indexAt(ListaResultados->viewport()->rect().bottomLeft()).row());
    if (last + shown + ReadAhead > m_wanted) {
        m_wanted = last + shown + ReadAhead;
        if (!m_reading.isActive())
            m_reading.start();
    }
}

void TFormBuscar::stopSearch()
{
    m_reading.stop();
    m_search.reset();
}

void TFormBuscar::showState()
{
    const Texts &t = texts();
    const int n = m_results->rowCount();
    QString state;
    if (!m_search || m_search->query().isEmpty())
        state = t.hint;
    else if (!m_search->atEnd() && n < m_wanted)
        state = m_search->usesIndex() ? t.searching : t.slowly;
    else if (n == 0)
        state = t.none.arg(quoted(EditBuscar->text()));
    else if (!m_search->atEnd())
        state = t.more.arg(n);
    else
        state = n == 1 ? t.one : t.many.arg(n);
    PanelEstado->setText(state);
}

bool TFormBuscar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == EditBuscar &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        // As in the dictionary window's editors: red while it has the focus.
        QPalette colours = EditBuscar->palette();
        colours.setColor(QPalette::Text,
                         event->type() == QEvent::FocusIn ? Colors::clRed : Colors::clBlack);
        EditBuscar->setPalette(colours);
    }
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        runHandler([this] { choose(); });
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (watched == EditBuscar) { // the field moves through the results
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(ListaResultados, &copy);
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormBuscar::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_chosen = 0;
    EditBuscar->clear();
    EditBuscar->setFocus();
}

void TFormBuscar::hideEvent(QHideEvent *event)
{
    m_typing.stop();
    stopSearch();
    m_results->clear();
    showState();
    QDialog::hideEvent(event);
}
