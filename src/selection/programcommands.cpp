#include "selection/programcommands.h"

#include "about/aboutcommands.h"
#include "selection/frmrazoravsec.h"

#include <QApplication>

namespace selection {

ProgramCommands::ProgramCommands(QString dataFolder)
    : m_dataFolder(std::move(dataFolder)), m_viewer(m_dataFolder), m_show(m_dataFolder, m_viewer)
{}

void ProgramCommands::show(const QString& folder, const QString& fileName)
{
    if (const QString message = m_show.run(folder, fileName); !message.isEmpty()) {
        showMessageBox(QApplication::activeWindow(), message);
    }
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
