#include "selection/viewerhost.h"

#include "viewer/frmxml.h"
#include "viewer/webbrowser.h"

#include <QFileInfo>

namespace selection {

ViewerWindowHost::ViewerWindowHost(QString fallbackFolder) : m_fallbackFolder(std::move(fallbackFolder)) {}

ViewerWindowHost::~ViewerWindowHost()
{
    delete m_window;
}

bool ViewerWindowHost::ensureOpen()
{
    if (m_window) {
        return true;
    }
    m_window = makeWindow();
    return false;
}

void ViewerWindowHost::navigate(const QString& urlText)
{
    if (m_window) {
        m_window->browser()->Navigate2(urlText);
    }
}

viewer::frmXML* ViewerWindowHost::makeWindow()
{
    auto* window = new viewer::frmXML(m_fallbackFolder, &m_owner);
    QObject::connect(window, &viewer::frmXML::documentMade, window, [this](const QString& path) { openAside(path); });
    window->Form_Load();
    return window;
}

// The ledger it was made from stays in its window; a window of the host's, closed by the user.
void ViewerWindowHost::openAside(const QString& path)
{
    const QFileInfo file(path);
    makeWindow()->browser()->Navigate2(ledgerUrlText(file.absolutePath(), file.fileName()));
}

viewer::frmXML* ViewerWindowHost::window() const
{
    return m_window;
}

} // namespace selection
