#include "selection/viewerhost.h"

#include "viewer/frmxml.h"
#include "viewer/webbrowser.h"

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
    m_window = new viewer::frmXML(m_fallbackFolder, &m_owner);
    m_window->Form_Load();
    return false;
}

void ViewerWindowHost::navigate(const QString& urlText)
{
    if (m_window) {
        m_window->browser()->Navigate2(urlText);
    }
}

viewer::frmXML* ViewerWindowHost::window() const
{
    return m_window;
}

} // namespace selection
