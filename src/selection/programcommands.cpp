#include "selection/programcommands.h"

namespace selection {

ProgramCommands::ProgramCommands(QString dataFolder) : m_dataFolder(std::move(dataFolder)) {}

void ProgramCommands::show(const QString& folder, const QString& fileName)
{
    Q_UNUSED(folder);
    Q_UNUSED(fileName);
}

void ProgramCommands::support(QWidget* owner)
{
    Q_UNUSED(owner);
}

void ProgramCommands::about(QWidget* owner)
{
    Q_UNUSED(owner);
}

} // namespace selection
