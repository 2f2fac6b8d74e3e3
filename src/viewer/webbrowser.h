#pragma once

#include "common/backgroundtask.h"
#include "common/notifier.h"
#include "print/printsource.h"
#include "render/ledgerrender.h"
#include "web/ledgerpage.h"
#include "web/ledgerscheme.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <functional>

class QMenu;
class QTimer;
class QWebEngineProfile;
class QWebEngineView;

namespace print {
class PrintPreview;
} // namespace print

namespace viewer {

class ComposerBridge;
class FindBar;
class PageSearch;
class WorkNotice;

// Readies the web engine for the browser view: registers the ledger scheme and, unless
// QT_QUICK_BACKEND says otherwise, has Qt Quick draw the view in software. Ledger pages are
// still pictures: on a machine without a graphics card, OpenGL done in software on the GUI thread
// blocked it 60–140 ms a frame while a ledger opened and competed with the render for the cores;
// the software scene graph takes under 10 ms. It also keeps graphics drivers out of the way.
// Must run before the application object is made.
void prepareWebEngine();

// Starts the web engine on an idle moment after `delayMs`, with a blank page that is then dropped:
// its first start takes 100–200 ms of the GUI thread, which would otherwise fall on the user's first
// Show, mizan or ekstre, while the window should answer.
void warmWebEngine(int delayMs);

// The browser view: opens a ledger's file:// URL text, renders it with the stylesheet it names
// (libxslt, off the GUI thread) and shows the result in an embedded web view. A large ledger is
// shown in pieces the web view can lay out quickly, its beginning first while the whole is still
// being rendered. Operations and events keep the names the viewer window and the Show command
// know it by.
class WebBrowser : public QWidget, public print::PrintSource
{
    Q_OBJECT

public:
    // Standard OLE command ids and options understood by ExecWB.
    static constexpr int OLECMDID_PRINTPREVIEW = 7;
    static constexpr int OLECMDEXECOPT_PROMPTUSER = 1;

    // Ledgers at least this large are first shown from their beginning, about this many bytes.
    // Below, the whole is on screen within about a second here (0.5–0.7 s for 13 MB), and showing
    // the beginning first would slow it down by a third: both compete for this machine's 2 cores.
    static constexpr qint64 kQuickFromBytes = 16 * 1024 * 1024;
    static constexpr qint64 kQuickBudgetBytes = 1536 * 1024;

    // `fallbackFolder` holds the program's stylesheets, for ledgers whose folder lacks them.
    explicit WebBrowser(QString fallbackFolder, QWidget* parent = nullptr);
    ~WebBrowser() override;

    // How finely large documents are cut, and from what size their beginning is shown first;
    // tests use small values.
    void setPieceLimits(const render::PieceLimits& limits) { m_pieceLimits = limits; }
    [[nodiscard]] const render::PieceLimits& pieceLimits() const { return m_pieceLimits; }
    void setQuickView(qint64 fromBytes, qint64 budgetBytes)
    {
        m_quickFrom = fromBytes;
        m_quickBudget = budgetBytes;
    }

    // Renders through the program's own stylesheets instead of those beside the ledger, from the
    // next navigation on. Off by default, and not remembered.
    void setProgramStylesheets(bool on) { m_programStylesheets = on; }
    [[nodiscard]] bool programStylesheets() const { return m_programStylesheets; }

    // Starts a navigation and returns at once.
    void Navigate2(const QString& url);
    // True from Navigate2 until the whole document can be reached on screen.
    [[nodiscard]] bool Busy() const { return m_stage != Stage::Shown; }
    // The document's title, or its path when it has none.
    [[nodiscard]] QString LocationName() const;
    // The ledger file shown (the last Navigate2's), native separators; empty for other addresses.
    [[nodiscard]] QString documentPath() const { return m_documentPath; }
    // What the document shown whole is, by its root element: the program's own report is no ledger.
    [[nodiscard]] common::DocumentKind documentKind() const { return m_documentKind; }
    // Renders the document shown again, through the stylesheets now chosen.
    void renderAgain();
    // Print preview (7, prompting the user: 1). False for commands it does not know.
    bool ExecWB(int command, int option);

    // Searches the whole document, not only what is on screen; moves to the next (or previous)
    // match and selects it.
    void find(const QString& term, bool backwards = false);
    // Moves to piece `index` (from 0) of a document shown in pieces.
    void goToPiece(int index);
    void showFindBar();
    void showGoToDialog();
    // Stops preparing the document: what was rendered so far is dropped and a page says so.
    void stop();
    // How long a navigation may work before the view says so and offers to stop it.
    static constexpr int kWorkNoticeAfterMs = 10000;
    void setWorkNoticeAfter(int milliseconds);
    // The view's context menu: Kopyala, Tümünü seç, Bul…, Yazdır…; nothing that leaves the ledger.
    [[nodiscard]] QMenu* createContextMenu();

    [[nodiscard]] QWebEngineView* view() const { return m_view; }
    [[nodiscard]] QPointer<print::PrintPreview> printPreview() const { return m_preview; }
    [[nodiscard]] const web::LedgerSchemeHandler& documents() const override { return *m_scheme; }
    [[nodiscard]] QString documentName() const override { return LocationName(); }
    [[nodiscard]] bool holdsWhole() const override { return !Busy() && !m_scheme->current().partial; }
    [[nodiscard]] web::PrintingPage& shownPage() const override { return *m_page; }
    // Matches per piece of the last search, once counted.
    [[nodiscard]] const QList<int>& matchCounts() const;
    [[nodiscard]] int currentMatch() const;
    // Runs `script` in the program's own script world of the page; `done` gets its result.
    void runScript(const QString& script, const std::function<void(const QVariant&)>& done = {});
    [[nodiscard]] ComposerBridge& composer() const { return *m_composer; }
    // Tells the user what went wrong after the document was rendered; tests record it instead.
    void setReporter(common::Notifier reporter) { m_report = std::move(reporter); }

signals:
    void BeforeNavigate2(const QString& url);
    void DownloadComplete();
    void PrintTemplateInstantiation();
    void PrintTemplateTeardown();
    // A search finished counting, or moved to another match.
    void searchUpdated();

private:
    // Where a navigation stands. A large ledger goes Rendering → LoadingBeginning →
    // BeginningShown → CompletingInPlace → Shown (or, when the whole comes while its beginning
    // still loads, LoadingBeginning → CompletingBeginning → CompletingInPlace); any other
    // document Rendering → LoadingWhole → Shown.
    enum class Stage
    {
        Rendering,           // nothing published yet
        LoadingBeginning,    // the ledger's beginning is published and loading
        BeginningShown,      // the beginning is on screen; the whole is still being rendered
        CompletingBeginning, // the whole is published while the beginning still loads
        CompletingInPlace,   // the page's composer is taking the whole in place
        LoadingWhole,        // the whole document (or a failure page) is loading as the page
        Shown,               // the whole document is on screen: nothing in progress
    };

    void layOut();
    void connectParts();
    void startRenders(const QString& localPath);
    void startWholeRender(const QString& localPath);
    [[nodiscard]] render::RenderRequest renderRequest(const QString& localPath) const;
    void beginningRendered(const QString& localPath, std::optional<render::RenderResult> result);
    void wholeRendered(const QString& localPath, render::RenderResult result);
    void showDocument(const QUrl& url, Stage loading);
    void loadFinished(bool ok);
    void completeInPlace();
    void composerGaveUp();
    void finishNavigation();
    void pageTitleChanged(const QString& title);
    void showContextMenu(const QPoint& at);
    void showWorkNotice();
    static web::RenderedDocument toDocument(render::RenderResult& result);

    QString m_fallbackFolder;
    QWebEngineProfile* const m_profile;
    web::OfflineInterceptor* const m_interceptor;
    web::LedgerSchemeHandler* const m_scheme;
    QWebEngineView* const m_view;
    web::LedgerPage* const m_page;
    ComposerBridge* const m_composer;
    FindBar* const m_findBar;
    PageSearch* const m_search;
    WorkNotice* const m_workNotice;
    QTimer* const m_workTimer;
    render::PieceLimits m_pieceLimits;
    qint64 m_quickFrom = kQuickFromBytes;
    qint64 m_quickBudget = kQuickBudgetBytes;

    Stage m_stage = Stage::Shown;
    QString m_title;
    QString m_location;
    QString m_documentPath;
    common::DocumentKind m_documentKind = common::DocumentKind::Unknown;
    QString m_navigated; // the last Navigate2's URL text
    bool m_programStylesheets = false;
    QPointer<print::PrintPreview> m_preview;
    common::Notifier m_report;
    common::BackgroundTask m_renders; // the current navigation's: its beginning and its whole
};

} // namespace viewer
