#include "app/infotexts.h"

#include "dictionary/publisher.h"

namespace InfoTexts {

QString publisherName()
{
    return Publisher::name();
}

QString contactHeading()
{
    return QStringLiteral("Contacto y Pedidos:");
}

QStringList aboutMemo()
{
    return {
        QStringLiteral("ARCANIA"),
        QStringLiteral("Ediciones de lo Oculto y lo Onírico"),
        QStringLiteral("Apartado de Correos 4417"),
        QStringLiteral("08999 Villanoche"),
        QStringLiteral("Tel.: (93) 000 41 17"),
        QStringLiteral("Fax: (93) 000 41 18"),
        QStringLiteral("Móvil: 600 000 417"),
        QString(),
        QStringLiteral("Distribuidor exclusivo:"),
        Publisher::distributor(),
        QStringLiteral("Apartado de Correos 1320"),
        QStringLiteral("29999 Puerto Estrella"),
        QString(),
        QStringLiteral("Otros títulos de la colección:"),
        QStringLiteral("El Tarot de la Medianoche"),
        QStringLiteral("Runas y Oráculos"),
        QStringLiteral("Astrología para Todos"),
        QStringLiteral("Numerología de la Suerte"),
        QString(),
        QStringLiteral("Pida nuestro catálogo gratuito."),
        QStringLiteral("Prohibida la copia y la"),
        QStringLiteral("distribución sin permiso del editor."),
        QStringLiteral("© ARCANIA"),
    };
}

QString publisherComments()
{
    return QStringLiteral("Editorial especializada en el estudio de los sueños, el tarot, la "
                          "astrología, la numerología y las ciencias ocultas, con libros y "
                          "programas para el ordenador.");
}

QStringList boxContactLines()
{
    return {
        Publisher::name(),
        QStringLiteral("Distribuidor:"),
        Publisher::distributor(),
        QStringLiteral("Apartado de Correos 1320"),
        QStringLiteral("29999 Puerto Estrella"),
        Publisher::distributorPhoneFax(),
        Publisher::distributorMobile(),
    };
}

QString publisherLine()
{
    return QStringLiteral("ARCANIA - Ediciones de lo Oculto y lo Onírico");
}

QString telephoneLine()
{
    return QStringLiteral("Tel.: (93) 000 41 17 - Fax: (93) 000 41 18 - Móvil: 600 000 417");
}

QString closeHint()
{
    return QStringLiteral("Haga clic para cerrar la ficha");
}

QVector<HelpLine> helpLines()
{
    using L = HelpLine;
    return {
        {8, 8, QStringLiteral("1º - Introduzca el Nombre de la Imagen Onírica."), L::Blue, true},
        {8, 24, QStringLiteral("2º - Después, deberá pulsar el botón: GRABAR. "), L::Blue, true},
        {8, 40, QStringLiteral("3º - Para pasar al siguiente campo, puede pulsar la tecla"),
         L::Blue, true},
        {32, 56, QStringLiteral("<Intro>. Después escriba la información deseada."), L::Blue, true},
        {8, 72, QStringLiteral("    - Para  \"Cambiar de Linea\"  dentro del mismo campo"), L::Blue,
         true},
        {32, 88, QStringLiteral("ha de pulsar la tecla: Intro."), L::Blue, true},
        {8, 104, QStringLiteral("    - Para \"Cambiar de Campo\" deberá de hacer \"clic\" con"),
         L::Blue, true},
        {32, 120, QStringLiteral("el puntero del mouse sobre el campo deseado."), L::Blue, true},
        {16, 152, QStringLiteral("¿ Cómo Guardar Gráficos ?"), L::Heading, false},
        {16, 184, QStringLiteral("Para Guardar o Añadir un Gráfico en la Base de Datos,"), L::Navy,
         true},
        {16, 200, QStringLiteral("se deberá de hacer lo siguiente:"), L::Navy, true},
        {8, 216, QStringLiteral("- Seleccione una imagen de cualquier programa de dibujo"), L::Navy,
         true},
        {16, 232, QStringLiteral("o fotografía, por ejemplo: Paint,  Imaging,  Publisher, ..."),
         L::Navy, true},
        {16, 248, QStringLiteral("haciendo uso de las opciones:  Edición \\ Copiar."), L::Navy,
         true},
        {8, 272, QStringLiteral("- Acto seguido, vuelva a este programa y haga \"Clic\""), L::Navy,
         true},
        {16, 288, QStringLiteral("con el puntero del mouse, sobre donde se encuentran"), L::Navy,
         true},
        {16, 304, QStringLiteral("o almacenan los Gráficos:  .BMP"), L::Navy, true},
        {8, 328, QStringLiteral("- A continuación, pulsará a la vez las 2 teclas siguientes:"),
         L::Navy, true},
        {16, 344, QStringLiteral("Ctrl+V  que Pegarán la imagen en la Base de Datos."), L::Navy,
         true},
        {8, 368, QStringLiteral("- Finalizar pulsando el botón: Grabar."), L::Navy, true},
        {16, 392, QStringLiteral("* Las teclas Ctrl+X sirven para eliminar la imagen."), L::Navy,
         false},
        {16, 408, QStringLiteral("* Las teclas Ctrl+C  copian imágenes al portapapeles."), L::Navy,
         false},
        {16, 424, QStringLiteral("* Tamaño de la imagen: (137x177 píxeles - 256 colores)."),
         L::Navy, false},
    };
}

} // namespace InfoTexts
