#pragma once

#include "selection/selectioncommands.h"

namespace selection {

// The commands of the running program: the viewer, the support page and the About window.
class ProgramCommands final : public SelectionCommands
{
public:
    explicit ProgramCommands(QString dataFolder);

    void show(const QString& folder, const QString& fileName) override;
    void support(QWidget* owner) override;
    void about(QWidget* owner) override;

private:
    QString m_dataFolder;
};

} // namespace selection
