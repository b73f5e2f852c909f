#include "dictionary/prologue.h"

QStringList prologueLines()
{
    return {
        QStringLiteral(
            "DICCIONARIO DE LOS SUEÑOS:  Desde siempre, hombres y mujeres de todos los "),
        QStringLiteral("pueblos han buscado en sus sueños un sentido oculto y una señal de la "
                       "suerte que les aguarda. "),
        QStringLiteral("Las imágenes que nos visitan de noche hablan un idioma propio, hecho de "
                       "símbolos, y quien "),
        QStringLiteral("aprende a leerlo descubre avisos, deseos y temores que durante el día "
                       "pasan inadvertidos. Un "),
        QStringLiteral("diccionario de los sueños es la primera guía para adentrarse en ese "
                       "idioma: reúne los símbolos "),
        QStringLiteral("y explica lo que cada uno suele anunciar. Este diccionario recoge los "
                       "elementos que con más "),
        QStringLiteral("frecuencia aparecen en los sueños, cada uno con su significado general, "
                       "tal como lo ha "),
        QStringLiteral("transmitido la tradición, y con el número de la suerte que la cábala le "
                       "atribuye. Busque la "),
        QStringLiteral("imagen principal de su sueño, lea su interpretación y tenga en cuenta que "
                       "el sentido de cada "),
        QStringLiteral("símbolo depende también de quien sueña y del conjunto de lo soñado."),
        QStringLiteral(""),
        QStringLiteral("JUEGOS DE AZAR:  Según la cábala, toda imagen onírica lleva consigo un "
                       "número mágico que la "),
        QStringLiteral("representa. Ese número puede servir de guía en los juegos de azar y en las "
                       "apuestas: la "),
        QStringLiteral("lotería, las quinielas, el bingo, la ruleta o cualquier sorteo en el que "
                       "la fortuna tenga la "),
        QStringLiteral("última palabra. Cuando un sueño le deje una imagen clara al despertar, "
                       "anótela enseguida, "),
        QStringLiteral("búsquela en este diccionario y apunte el número de la suerte que le "
                       "corresponde. Si en el "),
        QStringLiteral("mismo sueño aparecen varias imágenes, sus números pueden combinarse entre "
                       "sí para formar "),
        QStringLiteral("cifras de más dígitos. "),
        QStringLiteral("Consejo: no abandone un número a la primera. Juegue el número de su sueño "
                       "por lo menos tres "),
        QStringLiteral("veces seguidas, porque la suerte suele necesitar su tiempo para "
                       "manifestarse. ¡Le deseamos "),
        QStringLiteral("mucha suerte y felices sueños! "),
    };
}
