#include "controls/dbmemo.h"

#include "controls/datasource.h"
#include "data/fields.h"
#include "data/table.h"
#include "platform/application.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>

#include <memory>

namespace {

// Text for a memo of one line: each line break (CR LF counting as one) and each tab
// becomes one blank.
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar &c : text) {
        if (isLineBreakOrTab(c))
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

TDBMemo::TDBMemo(QWidget *parent) : TMemo(parent)
{
    connect(this, &QPlainTextEdit::textChanged, this, [this]() {
        if (!m_loading)
            m_modified = true;
    });
    updateReadOnly();
}

TDBMemo::~TDBMemo() = default;

void TDBMemo::setDataSource(DataSource *source)
{
    const bool bound = m_dataSource.bind(source, [this](DataSource *s) {
        return QList<QMetaObject::Connection>{
            connect(s, &DataSource::stateChanged, this, &TDBMemo::updateReadOnly),
            connect(s, &DataSource::dataChanged, this, [this]() { load(ShowFromStart::Always); }),
            connect(s, &DataSource::fieldChanged, this,
                    [this](int field) {
                        if (field == m_field)
                            load(ShowFromStart::WhenChanged);
                    }),
            connect(s, &DataSource::focusFieldRequested, this, [this](int field) {
                if (field == m_field && isVisible() && isEnabled())
                    setFocus();
            })};
    });
    if (!bound)
        return;
    updateReadOnly();
    load(ShowFromStart::Always);
}

void TDBMemo::handOverChanges()
{
    handOverOrFocus(this, [this] { updateRecord(); });
}

void TDBMemo::setDataField(int field)
{
    m_field = field;
    load(ShowFromStart::Always);
}

void TDBMemo::setMaxLength(int length)
{
    m_maxLength = qMax(0, length);
}

bool TDBMemo::isMemoField() const
{
    return m_field >= 0 && m_field < FieldCount && fieldDef(m_field).kind == FieldKind::Memo;
}

bool TDBMemo::editing() const
{
    const Table *table = m_dataSource ? m_dataSource->dataSet() : nullptr;
    return table && table->isEditing();
}

void TDBMemo::updateReadOnly()
{
    // While the dataset browses, the text refuses changes; the caret still moves and text
    // can be selected and copied.
    const bool readOnly = !editing();
    if (readOnly == isReadOnly())
        return;
    setReadOnly(readOnly);
    if (readOnly)
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TDBMemo::load(ShowFromStart fromStart)
{
    const Table *table = m_dataSource ? m_dataSource->dataSet() : nullptr;
    QString text;
    if (table && table->isActive() && m_field >= 0 && m_field < FieldCount)
        text = table->fieldText(m_field);
    const bool changed = text != toPlainText();
    if (changed) {
        m_loading = true;
        setPlainText(text);
        m_loading = false;
    }
    m_modified = false;
    if (changed || fromStart == ShowFromStart::Always)
        showFromStart();
}

void TDBMemo::showFromStart()
{
    // As when an edit control is given its text: the caret at the start, the first line at
    // the top, whatever the memo showed before.
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::Start);
    setTextCursor(cursor);
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void TDBMemo::reset()
{
    m_modified = false;
    load(ShowFromStart::WhenChanged);
}

void TDBMemo::updateRecord()
{
    if (!m_modified || !editing())
        return;
    Table *table = m_dataSource->dataSet();
    table->setFieldValue(m_field, toPlainText());
    m_modified = false;
}

bool TDBMemo::beginEdit()
{
    if (editing())
        return true;
    if (!m_dataSource || m_field < 0)
        return false;
    // Entering edit state reads the row again; when another program changed it, the new
    // text comes in, and the caret and selection stay where the user put them.
    const int anchor = textCursor().anchor();
    const int position = textCursor().position();
    const bool ok = m_dataSource->edit();
    updateReadOnly();
    if (!ok || !editing())
        return false;
    if (textCursor().anchor() != anchor || textCursor().position() != position) {
        QTextCursor cursor = textCursor();
        cursor.setPosition(clampedPosition(anchor));
        cursor.setPosition(clampedPosition(position), QTextCursor::KeepAnchor);
        setTextCursor(cursor);
    }
    return true;
}

int TDBMemo::clampedPosition(int position) const
{
    const QString text = toPlainText();
    int at = qBound(0, position, int(text.size()));
    if (at > 0 && at < text.size() && text.at(at).isLowSurrogate() &&
        text.at(at - 1).isHighSurrogate())
        --at; // never between the halves of one character
    return at;
}

bool TDBMemo::startsEdit(const QKeyEvent *event) const
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return m_wantReturns;
    case Qt::Key_Insert:
        return mods == Qt::ShiftModifier;
    case Qt::Key_V:
    case Qt::Key_X:
        if (mods == Qt::ControlModifier)
            return true;
        break;
    default:
        break;
    }
    if (mods & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

QString TDBMemo::limited(const QString &text) const
{
    if (m_maxLength <= 0)
        return text;
    const int used = codePointCount(toPlainText()) - codePointCount(textCursor().selectedText());
    return leftCodePoints(text, qMax(0, m_maxLength - used));
}

void TDBMemo::keyPressEvent(QKeyEvent *event)
{
    bool consumed = false;
    emit keyPressed(event->key(), &consumed);
    if (consumed) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        reset();
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !m_wantReturns) {
        event->ignore();
        return;
    }
    if (startsEdit(event)) {
        bool ok = false;
        runHandler([&]() { ok = beginEdit(); });
        if (!ok) {
            event->accept();
            return;
        }
        const QString text = event->text();
        if (m_maxLength > 0 && !text.isEmpty() && text.at(0).isPrint() &&
            !(event->modifiers() & Qt::ControlModifier) && limited(text).isEmpty()) {
            event->accept();
            return;
        }
    }
    TMemo::keyPressEvent(event);
}

void TDBMemo::focusOutEvent(QFocusEvent *event)
{
    TMemo::focusOutEvent(event);
    if (isMemoField() && m_modified) {
        if (!runHandler([this]() { updateRecord(); }))
            setFocus();
    }
}

void TDBMemo::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasText())
        return;
    bool ok = false;
    runHandler([&]() { ok = beginEdit(); });
    if (!ok)
        return;
    const QString text = limited(m_wantReturns ? source->text() : oneLine(source->text()));
    if (!text.isEmpty())
        insertPlainText(text);
}

void TDBMemo::contextMenuEvent(QContextMenuEvent *event)
{
    // The menu's cut, paste and delete start edit state like their keys do.
    const bool readOnly = isReadOnly();
    if (readOnly)
        setReadOnly(false);
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    if (readOnly)
        updateReadOnly();
    const bool canEdit =
        m_dataSource && m_dataSource->dataSet() && m_dataSource->dataSet()->canModify();
    const auto actions = menu->actions();
    for (QAction *action : actions) {
        const QString name = action->objectName();
        if (name == QLatin1String("edit-undo") || name == QLatin1String("edit-redo")) {
            if (readOnly)
                action->setEnabled(false);
        } else if (name == QLatin1String("edit-cut") || name == QLatin1String("edit-delete") ||
                   name == QLatin1String("edit-paste")) {
            if (readOnly && !canEdit)
                action->setEnabled(false);
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, [this, name]() {
                runHandler([this, name]() {
                    if (!beginEdit())
                        return;
                    if (name == QLatin1String("edit-cut"))
                        cut();
                    else if (name == QLatin1String("edit-paste"))
                        paste();
                    else
                        textCursor().removeSelectedText();
                });
            });
        }
    }
    menu->exec(event->globalPos());
}
