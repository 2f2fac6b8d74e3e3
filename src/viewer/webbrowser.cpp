#include "viewer/webbrowser.h"

#include "print/printpreview.h"
#include "render/documentsearch.h"
#include "render/urlmapping.h"
#include "viewer/findbar.h"
#include "viewer/worknotice.h"
#include "web/ledgerpage.h"
#include "web/pagescripts.h"

#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QJsonDocument>
#include <QMenu>
#include <QShortcut>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
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

WebBrowser::WebBrowser(QString fallbackFolder, QWidget* parent)
    : QWidget(parent), m_fallbackFolder(std::move(fallbackFolder)), m_profile(web::makeLedgerProfile(this)),
      m_interceptor(new web::OfflineInterceptor(m_profile)), m_scheme(new web::LedgerSchemeHandler(m_profile)),
      m_view(new QWebEngineView(this)), m_page(new web::LedgerPage(m_profile, m_view)), m_findBar(new FindBar(this)),
      m_workNotice(new WorkNotice(this)), m_workTimer(new QTimer(this))
{
    m_profile->setUrlRequestInterceptor(m_interceptor);
    m_profile->installUrlSchemeHandler(web::kLedgerScheme, m_scheme);
    m_view->setPage(m_page);
    QWebEngineScript composer;
    composer.setName(QStringLiteral("verazidedaze-composer"));
    composer.setSourceCode(web::pageScript(web::PageScript::Composer));
    composer.setInjectionPoint(QWebEngineScript::DocumentReady);
    composer.setWorldId(QWebEngineScript::ApplicationWorld);
    composer.setRunsOnSubFrames(false);
    m_page->scripts().insert(composer);
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
    connect(m_workTimer, &QTimer::timeout, this, &WebBrowser::showWorkNotice);
    connect(m_workNotice, &WorkNotice::stopRequested, this, &WebBrowser::stop);
    connect(m_page, &QWebEnginePage::loadFinished, this, &WebBrowser::loadFinished);
    connect(m_page, &QWebEnginePage::titleChanged, this, &WebBrowser::pageTitleChanged);
    connect(m_findBar, &FindBar::search, this, &WebBrowser::find);
    connect(m_findBar, &FindBar::closed, m_view, qOverload<>(&QWidget::setFocus));
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
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
    cancelRender();
    for (const QPointer<QThread>& thread : std::as_const(m_threads)) {
        if (thread) {
            thread->wait();
        }
    }
    delete m_preview;
    m_page->waitForPrint(); // before its view starts going
    // The page must go before the profile it uses.
    delete m_view;
}

void WebBrowser::Navigate2(const QString& url)
{
    ++m_navigation;
    cancelRender();
    if (m_stage != Stage::Shown && m_stage != Stage::Rendering) {
        // An earlier document is arriving: it must never appear.
        m_page->triggerAction(QWebEnginePage::Stop);
    }
    m_stage = Stage::Rendering;
    m_workNotice->hide();
    m_workTimer->start();
    m_title.clear();
    resetSearch();
    emit BeforeNavigate2(url);

    m_documentPath.clear();
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
    if (done) {
        m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld, done);
    } else {
        m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld);
    }
}

void WebBrowser::startRenders(const QString& localPath)
{
    m_cancel = std::make_shared<std::atomic_bool>(false);
    if (QFileInfo(localPath).size() < m_quickFrom) {
        startWholeRender(localPath);
        return;
    }
    // The whole and, beside it, the beginning: the beginning is on screen within a second and
    // the whole replaces it when it comes. Both at once, since the beginning takes only a
    // fraction of a second and the whole should lose none.
    startWholeRender(localPath);
    const int navigation = m_navigation;
    const render::RenderRequest request = renderRequest(localPath);
    QPointer<WebBrowser> self(this);
    runOnRenderThread([self, navigation, localPath, request, budget = m_quickBudget, cancel = m_cancel] {
        std::optional<render::RenderResult> result = render::renderLedgerBeginning(request, budget);
        QMetaObject::invokeMethod(
            self,
            [self, navigation, localPath, result = std::move(result)]() mutable {
                if (self) {
                    self->beginningRendered(navigation, localPath, std::move(result));
                }
            },
            Qt::QueuedConnection);
    });
}

void WebBrowser::startWholeRender(const QString& localPath)
{
    const int navigation = m_navigation;
    const render::RenderRequest request = renderRequest(localPath);
    QPointer<WebBrowser> self(this);
    runOnRenderThread([self, navigation, localPath, request, cancel = m_cancel] {
        render::renderLedger(request, [&](render::RenderResult result) {
            // Delivered on the GUI thread; dropped if the view is gone meanwhile.
            QMetaObject::invokeMethod(
                self,
                [self, navigation, localPath, result = std::move(result)]() mutable {
                    if (self) {
                        self->wholeRendered(navigation, localPath, std::move(result));
                    }
                },
                Qt::QueuedConnection);
        });
    });
}

render::RenderRequest WebBrowser::renderRequest(const QString& localPath) const
{
    render::RenderRequest request;
    request.ledgerPath = localPath;
    request.fallbackFolder = m_fallbackFolder;
    request.cancel = m_cancel.get();
    request.pieces = m_pieceLimits;
    request.programStylesheets = m_programStylesheets;
    return request;
}

void WebBrowser::runOnRenderThread(std::function<void()> work)
{
    start(render::createRenderThread(std::move(work)));
}

// Starts a worker that deletes itself when done; the view waits for it when it goes.
void WebBrowser::start(QThread* thread)
{
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    m_threads.removeAll(nullptr);
    m_threads.append(thread);
    thread->start();
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

void WebBrowser::beginningRendered(int navigation, const QString& localPath, std::optional<render::RenderResult> result)
{
    // Nothing to show when the beginning alone failed (the whole will say why), nor when the
    // whole came first.
    if (navigation != m_navigation || m_stage != Stage::Rendering || !result || !result->ok()) {
        return;
    }
    m_title = result->title;
    const QFileInfo file(localPath);
    showDocument(m_scheme->publish(file.absolutePath(), file.fileName(), toDocument(*result)), Stage::LoadingBeginning);
}

void WebBrowser::wholeRendered(int navigation, const QString& localPath, render::RenderResult result)
{
    if (navigation != m_navigation) {
        return; // a later Navigate2 superseded this one
    }
    m_title = result.title;
    const bool beginningPublished = m_stage == Stage::LoadingBeginning || m_stage == Stage::BeginningShown;
    if (beginningPublished && result.ok()) {
        m_scheme->complete(toDocument(result));
        resetSearch();
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
    const int navigation = m_navigation;
    runScript(web::composerCall("complete", {QJsonDocument::fromJson(m_scheme->manifest()).toVariant()}));
    whenComposerHas(m_scheme->version(), [this, navigation] {
        if (navigation == m_navigation) {
            finishNavigation();
        }
    });
}

// The composer works asynchronously; this asks it until it shows `version`.
void WebBrowser::whenComposerHas(int version, const std::function<void()>& then, int attempts)
{
    const int navigation = m_navigation;
    runScript(web::composerCall("status"), [this, version, then, attempts, navigation](const QVariant& status) {
        const QVariant shown = status.toMap().value(QStringLiteral("version"));
        if (navigation != m_navigation) {
            return;
        }
        if (shown.toInt() >= version || attempts <= 0) {
            then();
            return;
        }
        QTimer::singleShot(20, this, [this, version, then, attempts] { whenComposerHas(version, then, attempts - 1); });
    });
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
    cancelRender();
}

void WebBrowser::cancelRender()
{
    if (m_cancel) {
        m_cancel->store(true);
    }
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
    runScript(web::composerCall("status"), [this, count](const QVariant& status) {
        const QVariant current = status.toMap().value(QStringLiteral("current"));
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
    runScript(web::composerCall("goTo", {index}));
}

void WebBrowser::resetSearch()
{
    m_search = {};
    updateFindStatus();
}

void WebBrowser::find(const QString& term, bool backwards)
{
    if (term.trimmed().isEmpty()) {
        resetSearch();
        return;
    }
    if (term != m_search.term) {
        countMatches(term, backwards);
        return;
    }
    if (!m_search.counting) {
        step(backwards);
    }
}

void WebBrowser::countMatches(const QString& term, bool backwards)
{
    m_search = {};
    m_search.term = term;
    m_search.counting = true;
    m_search.pendingBackwards = backwards;
    updateFindStatus();
    const web::RenderedDocument& document = m_scheme->current();
    const std::shared_ptr<const render::PiecedDocument> pieces = document.pieces;
    const QByteArray html = pieces ? QByteArray() : document.html;
    const int navigation = m_navigation;
    QPointer<WebBrowser> self(this);
    std::shared_ptr<std::atomic_bool> cancel = m_cancel ? m_cancel : std::make_shared<std::atomic_bool>(false);
    QThread* thread = QThread::create([self, navigation, term, pieces, html, cancel] {
        QList<int> counts = pieces ? render::countMatchesPerPiece(pieces->fragments, term, cancel.get())
                                   : QList<int>{render::countMatches(html, term)};
        QMetaObject::invokeMethod(
            self,
            [self, navigation, term, counts = std::move(counts)]() mutable {
                if (self) {
                    self->matchesCounted(navigation, term, std::move(counts));
                }
            },
            Qt::QueuedConnection);
    });
    start(thread);
}

void WebBrowser::matchesCounted(int navigation, const QString& term, QList<int> counts)
{
    if (navigation != m_navigation || term != m_search.term) {
        return;
    }
    m_search.counts = std::move(counts);
    m_search.counting = false;
    m_search.total = 0;
    for (int count : std::as_const(m_search.counts)) {
        m_search.total += count;
    }
    if (m_search.total == 0) {
        updateFindStatus();
        emit searchUpdated();
        return;
    }
    // From where the reader is, not from the top of the ledger.
    runScript(web::composerCall("status"), [this, navigation, term](const QVariant& status) {
        const QVariant at = status.toMap().value(QStringLiteral("current"));
        if (navigation != m_navigation || term != m_search.term) {
            return;
        }
        const int piece = at.toInt();
        int before = 0;
        for (int i = 0; i < piece && i < m_search.counts.size(); ++i) {
            before += m_search.counts.at(i);
        }
        const bool backwards = m_search.pendingBackwards;
        m_search.current = backwards ? (before + m_search.total - 1) % m_search.total : before % m_search.total;
        revealMatch();
    });
}

void WebBrowser::step(bool backwards)
{
    if (m_search.total == 0) {
        return;
    }
    m_search.current = (m_search.current + (backwards ? m_search.total - 1 : 1)) % m_search.total;
    revealMatch();
}

void WebBrowser::revealMatch()
{
    int piece = 0;
    int occurrence = m_search.current;
    while (piece < m_search.counts.size() && occurrence >= m_search.counts.at(piece)) {
        occurrence -= m_search.counts.at(piece++);
    }
    runScript(web::composerCall("highlight", {piece, m_search.term, occurrence}));
    updateFindStatus();
    emit searchUpdated();
}

void WebBrowser::updateFindStatus()
{
    if (m_search.term.isEmpty()) {
        m_findBar->setStatus(QString());
    } else if (m_search.counting) {
        m_findBar->setStatus(QStringLiteral("Aranıyor…"));
    } else if (m_search.total == 0) {
        m_findBar->setStatus(QStringLiteral("Bulunamadı"));
    } else {
        m_findBar->setStatus(QStringLiteral("%1 / %2 eşleşme")
                                 .arg(QLocale(QLocale::Turkish).toString(m_search.current + 1),
                                      QLocale(QLocale::Turkish).toString(m_search.total)));
    }
}

} // namespace viewer
