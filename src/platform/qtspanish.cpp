#include "platform/qtspanish.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstring>

namespace {

struct Gap
{
    const char *context;
    const char *source;
    const char *spanish;
};

// Texts of the print dialog that Qt's Spanish catalog leaves untranslated.
const Gap gaps[] = {
    {"QPrintSettingsOutput", "Double Sided Printing", "Impresión a doble cara"},
    {"QPrintSettingsOutput", "Off", "No"},
    {"QPrintSettingsOutput", "Long side binding", "Encuadernación por el lado largo"},
    {"QPrintSettingsOutput", "Short side binding", "Encuadernación por el lado corto"},
    {"QPrintSettingsOutput", "Pages", "Páginas"},
    {"QPrintSettingsOutput",
     "Specify pages or ranges separated by commas. Ranges are specified by two numbers "
     "separated by a hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.",
     "Indique páginas o intervalos separados por comas; un intervalo son dos números unidos "
     "por un guion. Por ejemplo, 3,5-7,9 imprime las páginas 3, 5, 6, 7 y 9."},
    {"QPrintPropertiesWidget", "Advanced", "Avanzado"},
    {"QPrintPropertiesWidget", "There are conflicts in some options. Please fix them.",
     "Algunas opciones están en conflicto. Corríjalas."},
};

class CatalogGaps : public QTranslator
{
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (!context || !source)
            return QString();
        for (const Gap &gap : gaps) {
            if (std::strcmp(gap.context, context) == 0 && std::strcmp(gap.source, source) == 0)
                return QString::fromUtf8(gap.spanish);
        }
        return QString();
    }
};

QString qtTranslationsFolder()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    return QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
}

} // namespace

bool installQtSpanish(QCoreApplication *app)
{
    auto *catalog = new QTranslator(app);
    const QLocale spanish(QLocale::Spanish, QLocale::Spain);
    const QStringList folders{qtTranslationsFolder(), QCoreApplication::applicationDirPath() +
                                                          QStringLiteral("/translations")};
    for (const QString &folder : folders) {
        if (catalog->load(spanish, QStringLiteral("qt"), QStringLiteral("_"), folder)) {
            // The catalog is asked first: it was installed last.
            QCoreApplication::installTranslator(new CatalogGaps(app));
            QCoreApplication::installTranslator(catalog);
            return true;
        }
    }
    delete catalog;
    return false;
}
