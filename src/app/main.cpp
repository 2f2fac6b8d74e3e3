#include "app/paths.h"
#include "selection/foldermemory.h"
#include "selection/frmrazoravsec.h"
#include "selection/programcommands.h"
#include "selection/volumes.h"
#include "viewer/webbrowser.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char* argv[])
{
    viewer::prepareWebEngine();
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Pelvora"));
    QApplication::setApplicationName(QStringLiteral("verazidedaze"));

    const QString programFolder = app::programFolder();
    const selection::SystemVolumes volumes;
    const selection::FolderMemory memory(selection::FolderMemory::locate(
        programFolder, QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)));
    selection::ProgramCommands commands(app::dataFolder());

    selection::frmRazoravSec window({volumes, memory, commands, programFolder});
    window.show();
    return QApplication::exec();
}
