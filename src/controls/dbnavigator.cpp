#include "controls/dbnavigator.h"

#include "controls/datasource.h"
#include "data/table.h"
#include "platform/accessibility.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/glyphs.h"

#include <QEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

// The picture of each action, as named in the resources; "<name>_off" is the disabled form.
const char *glyphName(TDBNavigator::Action action)
{
    switch (action) {
    case TDBNavigator::First:
        return "nav_first";
    case TDBNavigator::Prior:
        return "nav_prior";
    case TDBNavigator::Next:
        return "nav_next";
    case TDBNavigator::Insert:
        return "nav_insert";
    case TDBNavigator::Delete:
        return "nav_delete";
    case TDBNavigator::Post:
        return "nav_post";
    case TDBNavigator::Cancel:
        return "nav_cancel";
    case TDBNavigator::Refresh:
        return "nav_refresh";
    }
    return "nav_first";
}

} // namespace

TDBNavigator::TDBNavigator(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, &TDBNavigator::performAction);
}

void TDBNavigator::setDataSource(DataSource *source)
{
    const bool bound = m_dataSource.bind(source, [this](DataSource *s) {
        return QList<QMetaObject::Connection>{
            connect(s, &DataSource::stateChanged, this, &TDBNavigator::updateAvailability),
            connect(s, &DataSource::dataChanged, this, &TDBNavigator::updateAvailability),
            connect(s, &DataSource::fieldChanged, this, &TDBNavigator::updateAvailability)};
    });
    if (bound)
        updateAvailability();
}

void TDBNavigator::setAction(Action action)
{
    m_action = action;
    updateAvailability();
    update();
}

void TDBNavigator::updateAvailability()
{
    const Table *table = m_dataSource ? m_dataSource->dataSet() : nullptr;
    bool available = false;
    if (table && table->isActive()) {
        switch (m_action) {
        case First:
        case Prior:
            available = !table->bof();
            break;
        case Next:
            available = !table->eof();
            break;
        case Insert:
            available = table->canModify();
            break;
        case Delete:
            available = table->canModify() && !table->isEmpty();
            break;
        case Post:
        case Cancel:
            available = table->canModify() && table->isEditing();
            break;
        case Refresh:
            available = true;
            break;
        }
    }
    if (available == m_available)
        return;
    m_available = available;
    if (!available)
        setDown(false);
    update();
    Accessibility::notifyAvailabilityChanged(this);
}

void TDBNavigator::runAction()
{
    Table *table = m_dataSource ? m_dataSource->dataSet() : nullptr;
    if (!table)
        return;
    switch (m_action) {
    case First:
        table->first();
        break;
    case Prior:
        table->prior();
        break;
    case Next:
        table->next();
        break;
    case Insert:
        table->insert();
        break;
    case Delete:
        if (!m_confirmDelete ||
            Dialogs::message(QStringLiteral("Confirm"), QStringLiteral("Delete record?"),
                             Dialogs::Icon::Question, Dialogs::Ok | Dialogs::Cancel,
                             Dialogs::Ok) == Dialogs::Ok)
            table->deleteRecord();
        break;
    case Post:
        table->post();
        break;
    case Cancel:
        table->cancel();
        break;
    case Refresh:
        table->refresh();
        break;
    }
}

void TDBNavigator::performAction()
{
    if (!isActionEnabled())
        return;
    if (runHandler([this]() { runAction(); }))
        emit actionDone();
}

bool TDBNavigator::hitButton(const QPoint &pos) const
{
    return isActionEnabled() && rect().contains(pos);
}

void TDBNavigator::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        setDown(false);
    QAbstractButton::changeEvent(event);
}

QSize TDBNavigator::sizeHint() const
{
    return {49, 25};
}

void TDBNavigator::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    if (!isActionEnabled())
        option.state &= ~QStyle::State_Enabled;
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    const QString name = QLatin1String(glyphName(m_action)) +
                         (isActionEnabled() ? QString() : QStringLiteral("_off"));
    const QPixmap glyph = Glyphs::pixmap(name);
    if (glyph.isNull())
        return;
    const int shift = isDown() ? 1 : 0;
    painter.drawPixmap((width() - glyph.width()) / 2 + shift,
                       (height() - glyph.height()) / 2 + shift, glyph);
}
