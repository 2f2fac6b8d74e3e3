#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>

namespace viewer {

// Rendered ledgers reach the web view through this scheme: it serves any size (a data: URL
// fails above a megabyte or two) and lets the page's relative links resolve to the ledger's
// folder.
inline constexpr char kLedgerScheme[] = "ledger";

// Must run before the application object is made.
void registerLedgerScheme();

// Serves the documents published to it at ledger://d<id>/<file name>, and for each the files
// beside its ledger (style sheets, images) that the page asks for, never anything outside
// that folder. Only the newest document is kept.
class LedgerSchemeHandler final : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT

public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    [[nodiscard]] QUrl publish(const QString& ledgerFolder, const QString& fileName, QByteArray content,
                               QByteArray mimeType);
    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    struct Document
    {
        int id = -1;
        QString folder;
        QString fileName;
        QByteArray content;
        QByteArray mimeType;
    };
    Document m_document;
    int m_nextId = 1;
};

// The page may reach nothing but its own scheme and inline data: no network, no local files.
class OfflineInterceptor final : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT

public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

} // namespace viewer
