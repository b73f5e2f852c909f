#include "platform/lastchance.h"

#include "data/errors.h"
#include "platform/dialogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <typeinfo>

#if defined(__GNUG__)
#include <cxxabi.h>
#endif

QString errorClassName(const std::exception &error)
{
    if (const auto *own = dynamic_cast<const Error *>(&error))
        return QString::fromLatin1(own->className());
    const char *raw = typeid(error).name();
#if defined(__GNUG__)
    int status = 0;
    char *demangled = abi::__cxa_demangle(raw, nullptr, nullptr, &status);
    if (status == 0 && demangled) {
        const QString name = QString::fromLatin1(demangled);
        std::free(demangled);
        return name;
    }
    std::free(demangled);
#endif
    return QString::fromLatin1(raw);
}

QString lastChanceText(const std::exception &error, const void *codeAddress)
{
    const auto *own = dynamic_cast<const Error *>(&error);
    const QString message = own ? own->message() : QString::fromLocal8Bit(error.what());
    QString module = QStringLiteral("dreambook");
    if (QCoreApplication::instance())
        module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString address = QString::asprintf("%p", codeAddress);
    const QString stop = message.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".");
    return QStringLiteral("Exception %1 in module %2 at %3.\n%4%5")
        .arg(errorClassName(error), module, address, message, stop);
}

int reportLastChance(const std::exception &error, const void *codeAddress)
{
    const QString text = lastChanceText(error, codeAddress);
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    const QString platform = QGuiApplication::platformName();
    const bool headless =
        platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) &&
        (!headless || Dialogs::Script::active()))
        Dialogs::message(QStringLiteral("Application Error"), text, Dialogs::Icon::Critical,
                         Dialogs::Ok, Dialogs::Ok);
    return 1;
}
