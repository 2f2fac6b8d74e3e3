#include "viewer/webbrowser.h"

#include "common/messagebox.h"
#include "print/printpreview.h"
#include "render/urlmapping.h"
#include "viewer/composerbridge.h"
#include "viewer/findbar.h"
#include "viewer/pagesearch.h"
#include "viewer/worknotice.h"
#include "web/ledgerpage.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QJsonDocument>
#include <QMenu>
#include <QMessageBox>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace viewer {

void prepareWebEngine()
{
    web::registerLedgerScheme();
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) {
        qputenv("QT_QUICK_BACKEND", "software");
    }
}

void warmWebEngine(int delayMs)
{
    QTimer::singleShot(delayMs, qApp, [] {
        QWebEngineProfile* profile = web::makeLedgerProfile(nullptr);
        auto* page = new QWebEnginePage(profile);
        // The profile goes after its page; the engine stays started for the program's life.
        QObject::connect(page, &QObject::destroyed, profile, &QObject::deleteLater);
        QObject::connect(page, &QWebEnginePage::loadFinished, page, &QObject::deleteLater);
        page->setHtml(QStringLiteral("<html></html>"));
    });
}

WebBrowser::WebBrowser(QString fallbackFolder, QWidget* parent)
    : QWidget(parent), m_fallbackFolder(std::move(fallbackFolder)), m_profile(web::makeLedgerProfile(this)),
      m_interceptor(new web::OfflineInterceptor(m_profile)), m_scheme(new web::LedgerSchemeHandler(m_profile)),
      m_view(new QWebEngineView(this)), m_page(new web::LedgerPage(m_profile, m_view)),
      m_composer(new ComposerBridge(*m_page, this)), m_findBar(new FindBar(this)),
      m_search(new PageSearch(*m_scheme, *m_composer, *m_findBar, this)), m_workNotice(new WorkNotice(this)),
      m_workTimer(new QTimer(this)),
      m_renders(this, [](std::function<void()> work) { return render::createRenderThread(std::move(work)); })
{
    m_profile->setUrlRequestInterceptor(m_interceptor);
    m_profile->installUrlSchemeHandler(web::kLedgerScheme, m_scheme);
    m_view->setPage(m_page);
    layOut();
    connectParts();
}

void WebBrowser::layOut()
{
    m_view->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_view);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_workNotice);
    layout->addWidget(m_findBar);
    m_workTimer->setSingleShot(true);
    m_workTimer->setInterval(kWorkNoticeAfterMs);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
}

void WebBrowser::connectParts()
{
    connect(m_workTimer, &QTimer::timeout, this, &WebBrowser::showWorkNotice);
    connect(m_workNotice, &WorkNotice::stopRequested, this, &WebBrowser::stop);
    connect(m_page, &QWebEnginePage::loadFinished, this, &WebBrowser::loadFinished);
    connect(m_page, &QWebEnginePage::titleChanged, this, &WebBrowser::pageTitleChanged);
    connect(m_findBar, &FindBar::search, this, &WebBrowser::find);
    connect(m_findBar, &FindBar::closed, m_view, qOverload<>(&QWidget::setFocus));
    connect(m_search, &PageSearch::updated, this, &WebBrowser::searchUpdated);
    connect(m_view, &QWidget::customContextMenuRequested, this, &WebBrowser::showContextMenu);

    const auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* action = new QShortcut(keys, this, this, slot);
        action->setContext(Qt::WidgetWithChildrenShortcut);
    };
    shortcut(QKeySequence::Find, &WebBrowser::showFindBar);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_G), &WebBrowser::showGoToDialog);
    shortcut(QKeySequence::FindNext, [this] { find(m_findBar->term(), false); });
    shortcut(QKeySequence::FindPrevious, [this] { find(m_findBar->term(), true); });
}

WebBrowser::~WebBrowser()
{
    m_renders.cancel();
    m_renders.wait();
    delete m_preview;
    m_page->waitForPrint(); // before its view starts going
    // The page must go before the profile it uses.
    delete m_view;
}

void WebBrowser::Navigate2(const QString& url)
{
    m_renders.cancel();
    m_composer->forget();
    if (m_stage != Stage::Shown && m_stage != Stage::Rendering) {
        // An earlier document is arriving: it must never appear.
        m_page->triggerAction(QWebEnginePage::Stop);
    }
    m_stage = Stage::Rendering;
    m_workNotice->hide();
    m_workTimer->start();
    m_title.clear();
    m_search->reset();
    emit BeforeNavigate2(url);

    m_documentPath.clear();
    m_documentKind = common::DocumentKind::Unknown;
    m_navigated = url;
    if (const std::optional<QString> local = render::localPathFromUrlText(url)) {
        m_location = m_documentPath = *local;
        startRenders(*local);
        return;
    }
    m_location = url;
    showDocument(QUrl(url), Stage::LoadingWhole);
}

QString WebBrowser::LocationName() const
{
    return m_title.isEmpty() ? m_location : m_title;
}

bool WebBrowser::ExecWB(int command, int option)
{
    if (command != OLECMDID_PRINTPREVIEW) {
        return false;
    }
    Q_UNUSED(option); // the preview always lets the user choose the printer
    if (m_preview) {
        m_preview->raise();
        m_preview->activateWindow();
        return true;
    }
    m_preview = new print::PrintPreview(*this);
    connect(m_preview, &QObject::destroyed, this, &WebBrowser::PrintTemplateTeardown);
    connect(this, &WebBrowser::DownloadComplete, m_preview, &print::PrintPreview::sourceChanged);
    emit PrintTemplateInstantiation();
    m_preview->start();
    return true;
}

void WebBrowser::runScript(const QString& script, const std::function<void(const QVariant&)>& done)
{
    m_composer->run(script, done);
}

void WebBrowser::startRenders(const QString& localPath)
{
    if (QFileInfo(localPath).size() < m_quickFrom) {
        startWholeRender(localPath);
        return;
    }
    // The whole and, beside it, the beginning: the beginning is on screen within a second and
    // the whole replaces it when it comes. Both at once, since the beginning takes only a
    // fraction of a second and the whole should lose none.
    startWholeRender(localPath);
    m_renders.run([this, localPath, request = renderRequest(localPath),
                   budget = m_quickBudget](const common::BackgroundTask::Context& context) mutable {
        request.cancel = context.stopFlag();
        std::optional<render::RenderResult> result = render::renderLedgerBeginning(request, budget);
        context.post([this, localPath, result = std::move(result)]() mutable {
            beginningRendered(localPath, std::move(result));
        });
    });
}

void WebBrowser::startWholeRender(const QString& localPath)
{
    m_renders.run(
        [this, localPath, request = renderRequest(localPath)](const common::BackgroundTask::Context& context) mutable {
            request.cancel = context.stopFlag();
            render::renderLedger(request, [&](render::RenderResult result) {
                context.post([this, localPath, result = std::move(result)]() mutable {
                    wholeRendered(localPath, std::move(result));
                });
            });
        });
}

render::RenderRequest WebBrowser::renderRequest(const QString& localPath) const
{
    render::RenderRequest request;
    request.ledgerPath = localPath;
    request.fallbackFolder = m_fallbackFolder;
    request.pieces = m_pieceLimits;
    request.programStylesheets = m_programStylesheets;
    return request;
}

web::RenderedDocument WebBrowser::toDocument(render::RenderResult& result)
{
    web::RenderedDocument document;
    document.mimeType = result.mimeType.isEmpty() ? QByteArray("text/html") : result.mimeType;
    document.partial = result.partial;
    if (result.pieces) {
        document.pieces = std::make_shared<const render::PiecedDocument>(std::move(*result.pieces));
    } else {
        document.html = std::move(result.html);
    }
    return document;
}

void WebBrowser::beginningRendered(const QString& localPath, std::optional<render::RenderResult> result)
{
    // Nothing to show when the beginning alone failed (the whole will say why), nor when the
    // whole came first.
    if (m_stage != Stage::Rendering || !result || !result->ok()) {
        return;
    }
    m_title = result->title;
    const QFileInfo file(localPath);
    showDocument(m_scheme->publish(file.absolutePath(), file.fileName(), toDocument(*result)), Stage::LoadingBeginning);
}

void WebBrowser::wholeRendered(const QString& localPath, render::RenderResult result)
{
    m_title = result.title;
    m_documentKind = result.kind;
    const bool beginningPublished = m_stage == Stage::LoadingBeginning || m_stage == Stage::BeginningShown;
    if (beginningPublished && result.ok()) {
        m_scheme->complete(toDocument(result));
        m_search->reset();
        if (m_stage == Stage::BeginningShown) {
            completeInPlace();
        } else {
            m_stage = Stage::CompletingBeginning; // the page picks up the whole when it has loaded
        }
        return;
    }
    const QFileInfo file(localPath);
    showDocument(m_scheme->publish(file.absolutePath(), file.fileName(), toDocument(result)), Stage::LoadingWhole);
}

void WebBrowser::showDocument(const QUrl& url, Stage loading)
{
    m_stage = loading;
    m_page->load(url);
}

void WebBrowser::loadFinished(bool ok)
{
    Q_UNUSED(ok); // a ledger's failures arrive as pages of their own
    const bool loading =
        m_stage == Stage::LoadingBeginning || m_stage == Stage::CompletingBeginning || m_stage == Stage::LoadingWhole;
    if (!loading) {
        return;
    }
    const bool ledgerPage =
        m_page->url().scheme() == QLatin1String(web::kLedgerScheme) && m_scheme->current().mimeType == "text/html";
    if (!ledgerPage) {
        finishNavigation();
        return;
    }
    // The composer started itself when the page was parsed.
    if (m_stage == Stage::LoadingWhole) {
        finishNavigation();
        return;
    }
    if (m_stage == Stage::CompletingBeginning) {
        completeInPlace();
        return;
    }
    // The beginning is on screen; the whole is still on its way.
    m_stage = Stage::BeginningShown;
    emit DownloadComplete();
}

// The composer gets the manifest with the call: no round trip for it.
void WebBrowser::completeInPlace()
{
    m_stage = Stage::CompletingInPlace;
    m_composer->call("complete", {QJsonDocument::fromJson(m_scheme->manifest()).toVariant()});
    m_composer->whenShows(
        m_scheme->version(), [this] { finishNavigation(); }, [this] { composerGaveUp(); });
}

// The whole is rendered but the page kept showing its beginning: the reader must not take that
// for the ledger, nor wait for more.
void WebBrowser::composerGaveUp()
{
    finishNavigation();
    const QString message = QStringLiteral("Defterin tamamı ekrana getirilemedi: sayfa, hazırlanan bölümleri "
                                           "beklenen sürede almadı. Ekranda yalnızca defterin başı var; "
                                           "defteri yeniden açmayı deneyin.");
    if (m_report) {
        m_report(message);
    } else {
        common::showMessage(this, message, QMessageBox::Warning);
    }
}

void WebBrowser::finishNavigation()
{
    m_stage = Stage::Shown;
    m_workTimer->stop();
    m_workNotice->hide();
    emit DownloadComplete();
}

void WebBrowser::pageTitleChanged(const QString& title)
{
    // A ledger's title comes from its rendering; the engine would name an untitled page by its
    // internal address.
    if (m_page->url().scheme() != QLatin1String(web::kLedgerScheme) && title != m_page->url().toString()) {
        m_title = title;
    }
}

void WebBrowser::renderAgain()
{
    if (!m_navigated.isEmpty()) {
        Navigate2(m_navigated);
    }
}

void WebBrowser::setWorkNoticeAfter(int milliseconds)
{
    m_workTimer->setInterval(milliseconds);
}

// Only while the ledger is still being rendered: loading what is rendered takes no long.
void WebBrowser::showWorkNotice()
{
    if (m_stage == Stage::Rendering || m_stage == Stage::BeginningShown) {
        m_workNotice->show();
    }
}

void WebBrowser::stop()
{
    m_workNotice->hide();
    // The render ends with a page saying it was stopped, which then takes the view's place.
    m_renders.stop();
}

QMenu* WebBrowser::createContextMenu()
{
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("mnuContext"));
    QAction* copy = menu->addAction(QStringLiteral("Kopyala"), QKeySequence::Copy, this,
                                    [this] { m_page->triggerAction(QWebEnginePage::Copy); });
    copy->setEnabled(m_page->hasSelection());
    menu->addAction(QStringLiteral("Tümünü seç"), QKeySequence::SelectAll, this,
                    [this] { m_page->triggerAction(QWebEnginePage::SelectAll); });
    menu->addSeparator();
    menu->addAction(QStringLiteral("Bul…"), QKeySequence::Find, this, &WebBrowser::showFindBar);
    menu->addAction(QStringLiteral("Yazdır…"), QKeySequence::Print, this,
                    [this] { ExecWB(OLECMDID_PRINTPREVIEW, OLECMDEXECOPT_PROMPTUSER); });
    return menu;
}

void WebBrowser::showContextMenu(const QPoint& at)
{
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_view->mapToGlobal(at));
}

void WebBrowser::showFindBar()
{
    m_findBar->open();
}

void WebBrowser::showGoToDialog()
{
    const auto& pieces = m_scheme->current().pieces;
    const int count = pieces ? int(pieces->count()) : 1;
    if (count <= 1) {
        return;
    }
    m_composer->status([this, count](const QVariantMap& status) {
        const QVariant current = status.value(QStringLiteral("current"));
        bool ok = false;
        // The screen shows a large ledger part by part; printed pages are counted in the preview.
        const int part =
            QInputDialog::getInt(this, QStringLiteral("Bölüme git"),
                                 QStringLiteral("Ekrandaki bölüm (1–%1; bölümler basılı sayfa değildir):").arg(count),
                                 current.toInt() + 1, 1, count, 1, &ok);
        if (ok) {
            goToPiece(part - 1);
        }
    });
}

void WebBrowser::goToPiece(int index)
{
    m_composer->call("goTo", {index});
}

void WebBrowser::find(const QString& term, bool backwards)
{
    m_search->find(term, backwards);
}

const QList<int>& WebBrowser::matchCounts() const
{
    return m_search->counts();
}

int WebBrowser::currentMatch() const
{
    return m_search->current();
}

} // namespace viewer
