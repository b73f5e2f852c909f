#include "dictionary/hoverrules.h"

#include "dictionary/publisher.h"
#include "platform/appearance.h"
#include "platform/application.h"
#include "widgets/raisedlabel.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QWidget>

namespace {

using Colors::clBlack;
using Colors::clBlue;
using Colors::clMaroon;
using Colors::clNavy;
using std::nullopt;

const QString pictureCaption = QStringLiteral("Imagen Onírica");

std::vector<HoverRule> makeRules()
{
    const QString contact = publisherContactLine();
    const QString empty;
    const QString nameHint =
        QStringLiteral("Campo Clave (índice)   -   Aquí escribirá el nombre de la imagen onírica.");
    const QString nextHint =
        QStringLiteral("Haga clic para visualizar la siguiente imagen onírica y su significado.");
    const QString cancelHint = QStringLiteral("Haga clic para cancelar la operación realizada.");

    // control, status text, status colour, picture caption text, picture caption colour
    std::vector<HoverRule> rules = {
        // The window's background and its panels.
        {QStringLiteral("FORMAPRIMERA"), contact, nullopt, pictureCaption, nullopt},
        {QStringLiteral("Panel1"), empty, nullopt, pictureCaption, clNavy},
        {QStringLiteral("Panel2"), empty, nullopt, pictureCaption, clNavy},
        {QStringLiteral("Panel3"), contact, nullopt, nullopt, nullopt},
        {QStringLiteral("Panel4"), nullopt, nullopt, pictureCaption, clBlack},
        {QStringLiteral("PANELLISTA"),
         QStringLiteral("Seleccione la imagen onírica y haga \"Doble Clic\" con el mouse o pulse "
                        "el botón: Ocultar Lista."),
         nullopt, pictureCaption, clNavy, HoverRule::Extra::ListPanel},

        // Captions of the record commands.
        {QStringLiteral("Label3"),
         QStringLiteral(
             "Haga clic para visualizar la primera de las imágenes oníricas y su significado."),
         clMaroon, nullopt, nullopt},
        {QStringLiteral("Label99"), cancelHint, clBlue, pictureCaption, nullopt},
        {QStringLiteral("Label7"),
         QStringLiteral("Haga clic y podrá añadir a la base de datos más imágenes oníricas y su "
                        "significado."),
         clMaroon, nullopt, nullopt},
        {QStringLiteral("Label8"),
         QStringLiteral("Haga clic y podrá borrar la información que contiene la imagen onírica "
                        "que se encuentra en pantalla."),
         clBlue, nullopt, nullopt},
        {QStringLiteral("Label5"),
         QStringLiteral("Vacía los buffers de visualización y actualiza los buffers de la tabla. "
                        "- (Actualizar siempre antes de Salir)"),
         clMaroon, nullopt, nullopt},
        {QStringLiteral("Label4"),
         QStringLiteral("Establece y Graba las modificaciones efectuadas en el registro."), clBlue,
         nullopt, nullopt},
        {QStringLiteral("Label10"),
         QStringLiteral("Haga clic para visualizar la anterior imagen onírica y su significado."),
         clBlue, nullopt, nullopt},
        {QStringLiteral("Label98"), nextHint, clMaroon, nullopt, nullopt},

        // Field captions, editors and the picture.
        {QStringLiteral("Label9"), nameHint, nullopt, nullopt, nullopt},
        {QStringLiteral("memo9"), nameHint, clBlue, pictureCaption, clNavy},
        {QStringLiteral("Label11"), nextHint, nullopt, nullopt, nullopt},
        {QStringLiteral("memo10"),
         QStringLiteral("Aquí escribirá la interpretación o significado de la imagen onírica."),
         clMaroon, pictureCaption, clNavy},
        {QStringLiteral("Memo11"),
         QStringLiteral("Aquí puede escribir otros datos de interés pertenecientes a la imagen "
                        "onírica: Números de la Suerte..."),
         clBlue, pictureCaption, clNavy},
        {QStringLiteral("Label16"), cancelHint, clBlue, pictureCaption, nullopt},
        {QStringLiteral("DBImage1"),
         QStringLiteral("Haga clic aquí para Pegar una imagen .BMP del Portapapeles: (Ctrl+X = "
                        "Cortar)  y  (Ctrl+V = Pegar)"),
         clBlue, QStringLiteral("Aquí Pegará los Gráficos"), clBlue},

        // Buttons.
        {QStringLiteral("BitBoton9812"),
         QStringLiteral("Haga clic y visualizará el prólogo o introducción sobre el Diccionario "
                        "de los Sueños y Juegos de Azar."),
         clMaroon, pictureCaption, nullopt},
        {QStringLiteral("BitBtn7gf"),
         QStringLiteral("Haga clic para visualizar la ficha Acerca de..."), clBlue, pictureCaption,
         nullopt},
        {QStringLiteral("BitBtn2956"), QStringLiteral("Haga clic para Salir del Programa."),
         clMaroon, nullopt, nullopt},
        {QStringLiteral("BitBtn214569"),
         QStringLiteral("Haga clic para imprimir la interpretación onírica."), clMaroon,
         pictureCaption, nullopt},
        {QStringLiteral("BOTONAYUDA"),
         QStringLiteral("Haga clic para recibir Ayuda sobre la Base de Datos."), clMaroon,
         pictureCaption, clNavy},
        {QStringLiteral("BitBtn2000"),
         QStringLiteral("Haga clic para Buscar una imagen onírica en la Base de Datos."), clMaroon,
         pictureCaption, clNavy},
        {QStringLiteral("Spbuton100"),
         QStringLiteral("Haga clic para Buscar o Listar todas las imágenes oníricas existentes "
                        "en la Base de Datos."),
         clBlue, pictureCaption, clNavy},
        {QStringLiteral("BOTONCANCELAR"),
         QStringLiteral("Haga clic y se cerrará la Lista de las imágenes oníricas contenidas en "
                        "la Base de Datos."),
         nullopt, nullopt, nullopt},

        // The clock.
        {QStringLiteral("LABEL999"), QStringLiteral("Hora obtenida del sistema."), nullopt, nullopt,
         nullopt},
        {QStringLiteral("LABEL888"), QStringLiteral("Fecha obtenida del sistema."), nullopt,
         nullopt, nullopt},
    };
    return rules;
}

QPoint localPosition(const QMouseEvent *event)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return event->position().toPoint();
#else
    return event->pos();
#endif
}

} // namespace

QString publisherContactLine()
{
    return Publisher::contactLine();
}

const std::vector<HoverRule> &hoverRules()
{
    static const std::vector<HoverRule> rules = makeRules();
    return rules;
}

const HoverRule *hoverRuleFor(const QString &control)
{
    for (const HoverRule &rule : hoverRules()) {
        if (rule.control == control)
            return &rule;
    }
    return nullptr;
}

QColor statusLineColor(const QLabel *statusLine)
{
    return statusLine->palette().color(QPalette::WindowText);
}

void setStatusLineColor(QLabel *statusLine, const QColor &color)
{
    QPalette palette = statusLine->palette();
    palette.setColor(QPalette::WindowText, color);
    statusLine->setPalette(palette);
}

HoverDispatcher::HoverDispatcher(QWidget *window, const QString &windowName, HoverTargets targets)
    : QObject(window), m_window(window), m_targets(std::move(targets))
{
    addControl(window, windowName);
}

void HoverDispatcher::addControl(QWidget *control, const QString &name)
{
    if (control->objectName().isEmpty())
        control->setObjectName(name);
    m_controls.insert(control, hoverRuleFor(name));
    watch(control);
}

void HoverDispatcher::watch(QWidget *widget)
{
    // Installing a filter again does not add it twice.
    widget->installEventFilter(this);
    widget->setMouseTracking(true);
    const QList<QWidget *> children = widget->findChildren<QWidget *>();
    for (QWidget *child : children) {
        child->installEventFilter(this);
        child->setMouseTracking(true);
    }
}

QWidget *HoverDispatcher::registeredAncestor(QWidget *widget) const
{
    while (widget && !m_controls.contains(widget))
        widget = widget->parentWidget();
    return widget;
}

QWidget *HoverDispatcher::controlFor(QWidget *receiver) const
{
    QWidget *control = registeredAncestor(receiver);
    if (!control || (control != m_window && !m_window->isAncestorOf(control)))
        return nullptr;
    // A disabled control counts as its container.
    while (control != m_window && !control->isEnabled())
        control = registeredAncestor(control->parentWidget());
    return control;
}

const HoverRule *HoverDispatcher::ruleOf(QWidget *control) const
{
    return m_controls.value(control, nullptr);
}

void HoverDispatcher::apply(const HoverRule &rule) const
{
    QLabel *status = m_targets.statusLine;
    TRaisedLabel *caption = m_targets.pictureCaption;
    if (rule.statusText)
        status->setText(*rule.statusText);
    if (rule.extra == HoverRule::Extra::ListPanel) {
        if (m_targets.focusPicture)
            m_targets.focusPicture();
        if (m_targets.restoreFieldPrompts)
            m_targets.restoreFieldPrompts();
        if (rule.captionColor)
            caption->setFontColor(*rule.captionColor);
        if (rule.captionText)
            caption->setText(*rule.captionText);
        return;
    }
    if (rule.statusColor)
        setStatusLineColor(status, *rule.statusColor);
    if (rule.captionText)
        caption->setText(*rule.captionText);
    if (rule.captionColor)
        caption->setFontColor(*rule.captionColor);
}

bool HoverDispatcher::eventFilter(QObject *watched, QEvent *event)
{
    if (!watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::ToolTip:
        return true;
    case QEvent::ChildPolished: {
        // Widgets made after the rules were installed (a list's items, a late scroll bar).
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType())
            watch(static_cast<QWidget *>(child));
        return false;
    }
    case QEvent::MouseMove: {
        // The movement is passed up to the parents when a widget ignores it; only the widget
        // whose own area (no child there) holds the pointer counts.
        if (widget->childAt(localPosition(static_cast<QMouseEvent *>(event))))
            return false;
        if (QWidget *control = controlFor(widget)) {
            if (const HoverRule *rule = ruleOf(control))
                runHandler([this, rule] { apply(*rule); });
        }
        return false;
    }
    default:
        return false;
    }
}
