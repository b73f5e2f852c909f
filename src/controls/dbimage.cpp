#include "controls/dbimage.h"

#include "controls/datasource.h"
#include "data/table.h"
#include "platform/accessibility.h"
#include "platform/appearance.h"
#include "platform/application.h"
#include "platform/picturefield.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace {

// A clipboard image as a bitmap: transparent parts are laid on white, as a bitmap has no
// transparency.
QImage asBitmap(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return image;
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
    return opaque;
}

} // namespace

TDBImage::TDBImage(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TDBImage::~TDBImage() = default;

void TDBImage::setDataSource(DataSource *source)
{
    const bool bound = m_dataSource.bind(source, [this](DataSource *s) {
        return QList<QMetaObject::Connection>{
            connect(s, &DataSource::dataChanged, this, [this]() { loadPicture(); }),
            connect(s, &DataSource::fieldChanged, this, [this](int field) {
                if (field == m_field && !m_modified)
                    loadPicture();
            })};
    });
    if (bound)
        loadPicture();
}

void TDBImage::handOverChanges()
{
    handOverOrFocus(this, [this] { updateRecord(); });
}

void TDBImage::setDataField(int field)
{
    m_field = field;
    loadPicture();
}

void TDBImage::setPicture(const QImage &picture, bool modified)
{
    m_picture = picture;
    m_modified = modified;
    update();
    // Its name says whose picture it shows, or that the entry has none.
    Accessibility::notifyNameChanged(this);
}

void TDBImage::loadPicture()
{
    const Table *table = m_dataSource ? m_dataSource->dataSet() : nullptr;
    // A value that is no sound bitmap shows no picture and stays in the field as it is.
    QImage picture;
    if (table && table->isActive() && m_field >= 0 && m_field < FieldCount)
        picture = PictureField::decode(table->fieldBytes(m_field));
    setPicture(picture, false);
}

void TDBImage::updateRecord()
{
    if (!m_modified)
        return;
    Table *table = m_dataSource ? m_dataSource->dataSet() : nullptr;
    if (!table)
        return;
    const QVariant value =
        m_picture.isNull() ? QVariant() : QVariant(PictureField::encode(m_picture));
    m_modified = false;
    try {
        table->setFieldValue(m_field, value);
    } catch (...) {
        m_modified = true;
        throw;
    }
}

bool TDBImage::beginEdit()
{
    return m_dataSource && m_field >= 0 && m_dataSource->edit();
}

void TDBImage::copyToClipboard()
{
    if (!m_picture.isNull())
        QGuiApplication::clipboard()->setImage(m_picture);
}

void TDBImage::cutToClipboard()
{
    if (m_picture.isNull() || !beginEdit())
        return;
    copyToClipboard();
    setPicture(QImage(), true);
}

void TDBImage::pasteFromClipboard()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasImage())
        return;
    const QImage image = qvariant_cast<QImage>(data->imageData());
    if (image.isNull() || !PictureField::fits(image))
        return;
    if (!beginEdit())
        return;
    setPicture(asBitmap(image), true);
}

void TDBImage::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    const QRect inside = contentsRect();
    painter.fillRect(inside, systemColor(SystemColor::Window, palette()));
    if (!m_picture.isNull()) {
        painter.save();
        painter.setClipRect(inside);
        const int x = inside.x() + (inside.width() - m_picture.width()) / 2;
        const int y = inside.y() + (inside.height() - m_picture.height()) / 2;
        painter.drawImage(x, y, m_picture);
        painter.restore();
    }
    if (hasFocus()) {
        painter.setPen(systemColor(SystemColor::WindowFrame, palette()));
        painter.drawRect(inside.adjusted(0, 0, -1, -1));
    }
    drawFrame(&painter);
}

void TDBImage::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool ctrl = mods == Qt::ControlModifier;
    const bool shift = mods == Qt::ShiftModifier;
    if ((ctrl && (key == Qt::Key_C || key == Qt::Key_Insert))) {
        copyToClipboard();
    } else if ((ctrl && key == Qt::Key_X) || (shift && key == Qt::Key_Delete)) {
        runHandler([this]() { cutToClipboard(); });
    } else if ((ctrl && key == Qt::Key_V) || (shift && key == Qt::Key_Insert)) {
        runHandler([this]() { pasteFromClipboard(); });
    } else if (key == Qt::Key_Escape && mods == Qt::NoModifier) {
        loadPicture();
    } else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::NoModifier) {
        // The picture of the current row is shown whenever the row changes: nothing to do.
    } else {
        QFrame::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool TDBImage::event(QEvent *event)
{
    // The clipboard shortcuts are the control's own while it has the focus.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut) ||
            key->matches(QKeySequence::Paste)) {
            event->accept();
            return true;
        }
    }
    return QFrame::event(event);
}

// The picture takes its own presses and releases: they never go on to the control that
// holds it (the blotter frame would start its automatic drag and keep the release).
void TDBImage::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TDBImage::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->pos());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

void TDBImage::focusInEvent(QFocusEvent *event)
{
    QFrame::focusInEvent(event);
    update(); // the focus frame
}

void TDBImage::focusOutEvent(QFocusEvent *event)
{
    QFrame::focusOutEvent(event);
    update();
}

void TDBImage::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Shows the picture of the current row, which is shown already.
    event->accept();
}
