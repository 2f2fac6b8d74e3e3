#include "common/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace common {

QStringList installTurkishQtTranslations(QCoreApplication& application, const QString& folder)
{
    const QString from = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    QStringList missing;
    for (const QString& catalog : kQtCatalogs) {
        auto* translator = new QTranslator(&application);
        if (translator->load(turkish, catalog, QStringLiteral("_"), from) &&
            QCoreApplication::installTranslator(translator)) {
            continue;
        }
        delete translator;
        missing.append(catalog);
    }
    return missing;
}

} // namespace common
