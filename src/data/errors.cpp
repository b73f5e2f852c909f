#include "data/errors.h"

#include "data/fields.h"

#include <cerrno>
#include <cstring>

Error::Error(const char *className, QString message)
    : m_className(className), m_message(std::move(message)), m_utf8(m_message.toUtf8())
{}

QString quoted(const QString &text)
{
    constexpr int MaxQuoted = 60;
    QString head = leftCodePoints(text, MaxQuoted);
    const bool cut = head.size() < text.size();
    for (QChar &c : head) { // one line
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return QStringLiteral("«") + head + (cut ? QStringLiteral("…»") : QStringLiteral("»"));
}

QString systemReason(int error)
{
    struct Reason
    {
        int error;
        const char *text;
    };
    static const Reason reasons[] = {
        {EACCES, "permiso denegado"},
        {EPERM, "operación no permitida"},
        {ENOENT, "no existe"},
        {EEXIST, "ya existe"},
        {EROFS, "el sistema de archivos es de solo lectura"},
        {ENOSPC, "no queda espacio en el disco"},
        {EIO, "error de entrada/salida"},
        {EISDIR, "es una carpeta"},
        {ENOTDIR, "una parte de la ruta no es una carpeta"},
        {EBUSY, "el recurso está ocupado"},
        {EMFILE, "demasiados archivos abiertos"},
        {ENFILE, "demasiados archivos abiertos en el sistema"},
        {ENOMEM, "no queda memoria"},
        {EFBIG, "el archivo es demasiado grande"},
        {ENAMETOOLONG, "el nombre del archivo es demasiado largo"},
    };
    for (const Reason &r : reasons) {
        if (r.error == error)
            return QString::fromUtf8(r.text);
    }
    return QString::fromLocal8Bit(std::strerror(error));
}
