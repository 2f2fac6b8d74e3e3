#include "common/messagebox.h"
#include "common/paths.h"
#include "common/translations.h"
#include "selection/foldermemory.h"
#include "selection/frmrazoravsec.h"
#include "selection/openwith.h"
#include "selection/programcommands.h"
#include "selection/volumes.h"
#include "viewer/webbrowser.h"
#include "web/pagescripts.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

int main(int argc, char* argv[])
{
    viewer::prepareWebEngine();
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Pelvora"));
    QApplication::setApplicationName(QStringLiteral("verazidedaze"));
    // Ties the windows to the installed menu entry (its icon and name in docks and task lists).
    QGuiApplication::setDesktopFileName(QStringLiteral("example.pelvora.verazidedaze"));
    // Qt's own dialogs (print, save, input) speak the program's language; without the catalogs
    // they stay English and nothing else is lost.
    (void)common::installTurkishQtTranslations(application);
    // Without its page scripts the viewer would show pages that never fill: a broken build.
    if (const QStringList missing = web::missingPageScripts(); !missing.isEmpty()) {
        common::showMessage(nullptr,
                            QStringLiteral("Program eksik kurulmuş: sayfa betikleri bulunamadı (%1). "
                                           "Programı yeniden kurun.")
                                .arg(missing.join(QStringLiteral(", "))),
                            QMessageBox::Critical);
        return 1;
    }

    const QString programFolder = common::programFolder();
    const selection::SystemVolumes volumes;
    const selection::FolderMemory memory(selection::FolderMemory::locate(
        programFolder, QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)));
    selection::ProgramCommands commands(common::dataFolder());

    selection::frmRazoravSec window({volumes, memory, commands, programFolder});
    window.show();
    const selection::OpenRequest request = selection::decideOpen(QApplication::arguments().mid(1), QDir::currentPath());
    if (request.action != selection::OpenRequest::Action::Show) {
        viewer::warmWebEngine(500); // a viewer opening now starts the engine itself
    }
    window.openRequested(request);
    return QApplication::exec();
}
