#include "web/ledgerpage.h"

#include "web/ledgerscheme.h"

namespace web {

bool mayNavigate(const QUrl& current, const QUrl& url, QWebEnginePage::NavigationType type, bool isMainFrame)
{
    if (!isMainFrame) {
        return url.scheme() == QLatin1String(kLedgerScheme) || url.scheme() == QLatin1String("about");
    }
    switch (type) {
    case QWebEnginePage::NavigationTypeTyped: // the program's own load()
    case QWebEnginePage::NavigationTypeReload:
        return true;
    case QWebEnginePage::NavigationTypeBackForward: // to a document no longer served
        return false;
    default:
        // A link to a place in the same document stays; anything else would leave the ledger.
        return url.adjusted(QUrl::RemoveFragment) == current.adjusted(QUrl::RemoveFragment);
    }
}

bool LedgerPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    return mayNavigate(this->url(), url, type, isMainFrame);
}

} // namespace web
