#pragma once

#include "selection/foldercheckrunner.h"
#include "selection/selectioncommands.h"
#include "selection/showcommand.h"
#include "selection/viewerhost.h"

namespace selection {

// The commands of the running program: the viewer, the folder check, the support page and the About window.
class ProgramCommands final : public SelectionCommands
{
public:
    explicit ProgramCommands(QString dataFolder);

    void show(const QString& folder, const QString& fileName) override;
    void checkFolder(const QString& folder, QWidget* owner) override;
    void support(QWidget* owner) override;
    void about(QWidget* owner) override;

    [[nodiscard]] ViewerWindowHost& viewer() { return m_viewer; }

private:
    QString m_dataFolder;
    ViewerWindowHost m_viewer;
    ShowCommand m_show;
    FolderCheckRunner m_folderCheck; // after the viewer: a check still running ends before the viewer goes
};

} // namespace selection
