#pragma once

#include "viewer/ledgerrender.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <atomic>
#include <memory>

class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

namespace viewer {

class LedgerSchemeHandler;
class OfflineInterceptor;
class PrintPreview;

// The browser view: opens a ledger's file:// URL text, renders it with the stylesheet it names
// (libxslt, off the GUI thread) and shows the result in an embedded web view. Operations and
// events keep the names the viewer window and the Show command know it by.
class WebBrowser : public QWidget
{
    Q_OBJECT

public:
    // Standard OLE command ids and options understood by ExecWB.
    static constexpr int OLECMDID_PRINTPREVIEW = 7;
    static constexpr int OLECMDEXECOPT_PROMPTUSER = 1;

    // `fallbackFolder` holds the program's stylesheets, for ledgers whose folder lacks them.
    explicit WebBrowser(QString fallbackFolder, QWidget* parent = nullptr);
    ~WebBrowser() override;

    // Starts a navigation and returns at once.
    void Navigate2(const QString& url);
    // True from Navigate2 until the document is on screen.
    [[nodiscard]] bool Busy() const { return m_busy; }
    // The document's title, or its path when it has none.
    [[nodiscard]] QString LocationName() const;
    // Print preview (7, prompting the user: 1). False for commands it does not know.
    bool ExecWB(int command, int option);

    [[nodiscard]] QWebEngineView* view() const { return m_view; }
    [[nodiscard]] QPointer<PrintPreview> printPreview() const { return m_preview; }

signals:
    void BeforeNavigate2(const QString& url);
    void DownloadComplete();
    void PrintTemplateInstantiation();
    void PrintTemplateTeardown();

private:
    struct Navigation;

    void startRender(const QString& localPath);
    void showDocument(const QUrl& url);
    void renderFinished(int navigation, const QString& localPath, RenderResult result);
    void loadFinished(bool ok);
    void pageTitleChanged(const QString& title);
    void cancelRender();

    QString m_fallbackFolder;
    QWebEngineProfile* const m_profile;
    OfflineInterceptor* const m_interceptor;
    LedgerSchemeHandler* const m_scheme;
    QWebEngineView* const m_view;
    QWebEnginePage* const m_page;

    int m_navigation = 0;
    int m_loading = 0; // the navigation whose page the web view is loading
    bool m_busy = false;
    QString m_title;
    QString m_location;
    std::shared_ptr<std::atomic_bool> m_cancel;
    QList<QPointer<QThread>> m_threads;
    QPointer<PrintPreview> m_preview;
};

} // namespace viewer
