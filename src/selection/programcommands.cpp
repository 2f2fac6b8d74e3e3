#include "selection/programcommands.h"

#include "about/aboutcommands.h"
#include "common/messagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace selection {

ProgramCommands::ProgramCommands(QString dataFolder)
    : m_dataFolder(std::move(dataFolder)), m_viewer(m_dataFolder), m_show(m_dataFolder, m_viewer),
      m_folderCheck(m_viewer, FolderCheckRunner::defaultReportFolder())
{}

void ProgramCommands::show(const QString& folder, const QString& fileName)
{
    // What is asked for last is shown: a folder check still running would replace it.
    m_folderCheck.cancel();
    if (const QString message = m_show.run(folder, fileName); !message.isEmpty()) {
        common::showMessage(QApplication::activeWindow(), message, QMessageBox::Warning);
    }
}

void ProgramCommands::checkFolder(const QString& folder, QWidget* owner)
{
    m_folderCheck.start(folder, owner);
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
