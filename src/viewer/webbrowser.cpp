#include "viewer/webbrowser.h"

#include "viewer/ledgerscheme.h"
#include "viewer/printpreview.h"
#include "viewer/urlmapping.h"

#include <QFileInfo>
#include <QThread>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace viewer {

namespace {

QWebEngineProfile* makeProfile(QObject* parent)
{
    // Off the record: nothing of a ledger is cached on disk.
    auto* profile = new QWebEngineProfile(parent);
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    return profile;
}

} // namespace

WebBrowser::WebBrowser(QString fallbackFolder, QWidget* parent)
    : QWidget(parent), m_fallbackFolder(std::move(fallbackFolder)), m_profile(makeProfile(this)),
      m_interceptor(new OfflineInterceptor(m_profile)), m_scheme(new LedgerSchemeHandler(m_profile)),
      m_view(new QWebEngineView(this)), m_page(new QWebEnginePage(m_profile, m_view))
{
    m_profile->setUrlRequestInterceptor(m_interceptor);
    m_profile->installUrlSchemeHandler(kLedgerScheme, m_scheme);
    m_view->setPage(m_page);
    m_view->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_view);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    connect(m_page, &QWebEnginePage::loadFinished, this, &WebBrowser::loadFinished);
    connect(m_page, &QWebEnginePage::titleChanged, this, &WebBrowser::pageTitleChanged);
}

WebBrowser::~WebBrowser()
{
    cancelRender();
    for (const QPointer<QThread>& thread : std::as_const(m_threads)) {
        if (thread)
            thread->wait();
    }
    delete m_preview;
    // The page must go before the profile it uses.
    delete m_view;
}

void WebBrowser::Navigate2(const QString& url)
{
    ++m_navigation;
    cancelRender();
    if (m_busy && m_loading != 0) {
        // An earlier document is arriving: it must never appear.
        m_page->triggerAction(QWebEnginePage::Stop);
        m_loading = 0;
    }
    m_busy = true;
    m_title.clear();
    emit BeforeNavigate2(url);

    if (const std::optional<QString> local = localPathFromUrlText(url)) {
        m_location = *local;
        startRender(*local);
        return;
    }
    m_location = url;
    showDocument(QUrl(url));
}

void WebBrowser::showDocument(const QUrl& url)
{
    m_loading = m_navigation;
    m_page->load(url);
}

QString WebBrowser::LocationName() const
{
    return m_title.isEmpty() ? m_location : m_title;
}

bool WebBrowser::ExecWB(int command, int option)
{
    if (command != OLECMDID_PRINTPREVIEW)
        return false;
    Q_UNUSED(option); // the preview always lets the user choose the printer
    if (m_preview) {
        m_preview->raise();
        m_preview->activateWindow();
        return true;
    }
    m_preview = new PrintPreview(this);
    connect(m_preview, &QObject::destroyed, this, &WebBrowser::PrintTemplateTeardown);
    emit PrintTemplateInstantiation();
    m_preview->start();
    return true;
}

void WebBrowser::pageTitleChanged(const QString& title)
{
    // A ledger's title comes from its rendering; the engine would name an untitled page by its
    // internal address.
    if (m_page->url().scheme() != QLatin1String(kLedgerScheme) && title != m_page->url().toString())
        m_title = title;
}

void WebBrowser::startRender(const QString& localPath)
{
    m_cancel = std::make_shared<std::atomic_bool>(false);
    const int navigation = m_navigation;
    const RenderRequest request{localPath, m_fallbackFolder, m_cancel.get()};
    QPointer<WebBrowser> self(this);
    QThread* thread = createRenderThread([self, navigation, localPath, request, cancel = m_cancel] {
        RenderResult result = renderLedger(request);
        // Delivered on the GUI thread; dropped if the view is gone meanwhile.
        QMetaObject::invokeMethod(
            self,
            [self, navigation, localPath, result = std::move(result)]() mutable {
                if (self)
                    self->renderFinished(navigation, localPath, std::move(result));
            },
            Qt::QueuedConnection);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    m_threads.removeAll(nullptr);
    m_threads.append(thread);
    thread->start();
}

void WebBrowser::renderFinished(int navigation, const QString& localPath, RenderResult result)
{
    if (navigation != m_navigation)
        return; // a later Navigate2 superseded this one
    m_title = result.title;
    const QFileInfo file(localPath);
    const QByteArray mimeType = result.mimeType.isEmpty() ? QByteArray("text/html") : result.mimeType;
    showDocument(m_scheme->publish(file.absolutePath(), file.fileName(), std::move(result.html), mimeType));
}

void WebBrowser::loadFinished(bool ok)
{
    Q_UNUSED(ok); // a ledger's failures arrive as pages of their own
    if (m_loading != m_navigation)
        return;
    m_loading = 0;
    m_busy = false;
    emit DownloadComplete();
}

void WebBrowser::cancelRender()
{
    if (m_cancel)
        m_cancel->store(true);
}

} // namespace viewer
