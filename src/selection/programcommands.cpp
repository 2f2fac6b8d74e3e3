#include "selection/programcommands.h"

#include "about/aboutcommands.h"

namespace selection {

ProgramCommands::ProgramCommands(QString dataFolder) : m_dataFolder(std::move(dataFolder)) {}

void ProgramCommands::show(const QString& folder, const QString& fileName)
{
    Q_UNUSED(folder);
    Q_UNUSED(fileName);
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
