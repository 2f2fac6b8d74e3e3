#pragma once

#include "web/printingpage.h"

namespace web {

// The page the viewer shows a ledger in. It goes only where the program sends it: links,
// forms, refreshes and the history lead nowhere else, and a frame inside it may load only the
// ledger's own files. Scripts of the page itself do not run (the profile turns them off); the
// program's own run in their own world.
class LedgerPage : public PrintingPage
{
public:
    using PrintingPage::PrintingPage;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
};

// Whether a page showing `current` may follow a navigation to `url` of `type`.
bool mayNavigate(const QUrl& current, const QUrl& url, QWebEnginePage::NavigationType type, bool isMainFrame);

} // namespace web
