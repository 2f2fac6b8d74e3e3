#include "selection/programcommands.h"

#include "about/aboutcommands.h"
#include "common/messagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace selection {

ProgramCommands::ProgramCommands(QString dataFolder)
    : m_dataFolder(std::move(dataFolder)), m_viewer(m_dataFolder), m_show(m_dataFolder, m_viewer),
      m_runner([this](const QString& path) { showDocument(m_viewer, path); }),
      m_totals(m_runner, viewer::TotalsCommand::defaultFolder())
{}

void ProgramCommands::show(const QString& folder, const QString& fileName)
{
    // What is asked for last is shown: a folder check or a mizan still running would replace it.
    m_runner.cancel();
    if (const QString message = m_show.run(folder, fileName); !message.isEmpty()) {
        common::showMessage(QApplication::activeWindow(), message, QMessageBox::Warning);
    }
}

void ProgramCommands::checkFolder(const QString& folder, QWidget* owner)
{
    m_runner.start(folderCheckTask(folder, defaultReportFolder()), owner);
}

void ProgramCommands::totals(viewer::TotalsKind kind, const QString& folder, QWidget* owner)
{
    m_totals.run(viewer::requestForFolder(kind, folder), owner);
}

void ProgramCommands::support(QWidget* owner)
{
    ::about::runSupport(owner);
}

void ProgramCommands::about(QWidget* owner)
{
    ::about::runAbout(owner);
}

} // namespace selection
