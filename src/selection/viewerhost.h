#pragma once

#include "selection/showcommand.h"

#include <QPointer>
#include <QWidget>

namespace viewer {
class frmXML;
}

namespace selection {

// The single viewer window: made by the first Show, made again after the user closed it. A mizan or an
// ekstre made from a viewer opens in a window of its own beside it.
class ViewerWindowHost final : public LedgerViewer
{
public:
    explicit ViewerWindowHost(QString fallbackFolder);
    ~ViewerWindowHost() override;

    bool ensureOpen() override;
    void navigate(const QString& urlText) override;

    [[nodiscard]] viewer::frmXML* window() const;

private:
    viewer::frmXML* makeWindow();
    void openAside(const QString& path);

    QString m_fallbackFolder;
    QWidget m_owner; // never shown: on Windows it keeps the viewer off the taskbar
    QPointer<viewer::frmXML> m_window;
};

} // namespace selection
