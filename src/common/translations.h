#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace common {

// Qt's own catalogs whose texts the program's users meet: the print, file and input dialogs
// (qtbase) and the web view (qtwebengine).
inline const QStringList kQtCatalogs{QStringLiteral("qtbase"), QStringLiteral("qtwebengine")};

// Installs Qt's Turkish translations from `folder` (Qt's own translations folder by default) into
// the application, whatever the system's language: the program's own texts are Turkish too.
// Returns the catalogs that could not be loaded; the program runs on with Qt's English texts.
QStringList installTurkishQtTranslations(QCoreApplication& application, const QString& folder = {});

} // namespace common
