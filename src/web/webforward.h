#pragma once

// The web engine's and the web layer's classes that headers elsewhere name without needing
// their definitions.

class QWebEngineLoadingInfo;
class QWebEngineProfile;

namespace web {
class LedgerSchemeHandler;
class PrintingPage;
} // namespace web
