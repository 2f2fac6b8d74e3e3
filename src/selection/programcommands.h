#pragma once

#include "selection/foldercheck.h"
#include "selection/selectioncommands.h"
#include "selection/showcommand.h"
#include "selection/viewerhost.h"
#include "viewer/documentrunner.h"
#include "viewer/ledgertotals.h"

namespace selection {

// The commands of the running program: the viewer, the folder check, the mizan and the ekstre, the support page
// and the About window.
class ProgramCommands final : public SelectionCommands
{
public:
    explicit ProgramCommands(QString dataFolder);

    void show(const QString& folder, const QString& fileName) override;
    void checkFolder(const QString& folder, QWidget* owner) override;
    void totals(viewer::TotalsKind kind, const QString& folder, QWidget* owner) override;
    void support(QWidget* owner) override;
    void about(QWidget* owner) override;

    [[nodiscard]] ViewerWindowHost& viewer() { return m_viewer; }

private:
    QString m_dataFolder;
    ViewerWindowHost m_viewer;
    ShowCommand m_show;
    // After the viewer: a check or a mizan still running ends before the viewer goes.
    viewer::DocumentRunner m_runner;
    viewer::TotalsCommand m_totals;
};

} // namespace selection
