#pragma once

#include "render/documentpieces.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>

class QWebEngineProfile;

#include <memory>

namespace web {

// Rendered ledgers reach the web view through this scheme: it serves any size (a data: URL
// fails above a megabyte or two) and lets the page's relative links resolve to the ledger's
// folder.
inline constexpr char kLedgerScheme[] = "ledger";

// Must run before the application object is made.
void registerLedgerScheme();

// What a document's address serves: a whole page, or a page cut into pieces.
struct RenderedDocument
{
    QByteArray html; // when not in pieces
    QByteArray mimeType = "text/html";
    std::shared_ptr<const render::PiecedDocument> pieces;
    bool partial = false; // the ledger's beginning only; the whole follows
};

// Serves the document published to it at ledger://d<id>/<file name> and the files beside its
// ledger that the page asks for (style sheets, images), never anything outside that folder. A
// document in pieces is served as its first piece, with the rest below a path no ledger folder
// holds (render/pageprotocol.h). Only the newest document is kept.
class LedgerSchemeHandler final : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT

public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    [[nodiscard]] QUrl publish(const QString& ledgerFolder, const QString& fileName, RenderedDocument document);
    // The whole document in place of a partial one, at the same address.
    void complete(RenderedDocument document);

    [[nodiscard]] const RenderedDocument& current() const { return m_document.content; }
    [[nodiscard]] int version() const { return m_document.version; }
    // The address of piece `index` as a page of its own.
    [[nodiscard]] QUrl pageUrl(qsizetype index) const;

    void requestStarted(QWebEngineUrlRequestJob* job) override;

    // The first piece, as the page the view opens. An HTML page carries `manifest` as its
    // body's last element, for the view's composer to start from (and take out) at once, and a
    // whole document in several pieces its last piece in an inert template before it.
    static QByteArray firstPage(const RenderedDocument& document, const QByteArray& manifest = {});
    // Piece `index` as a page of its own: the page's header is shown only on the first.
    static QByteArray printPage(const render::PiecedDocument& pieces, qsizetype index);
    [[nodiscard]] QByteArray manifest() const;

private:
    void replyPieces(QWebEngineUrlRequestJob* job, const QString& request);

    struct Published
    {
        int id = -1;
        int version = 0;
        QString folder;
        QString fileName;
        RenderedDocument content;
    };
    Published m_document;
    int m_nextId = 1;
};

// A profile for ledger pages: off the record (nothing cached on disk), no local file or remote
// access, no plugins, and no scripts of the page itself (a stylesheet's scripts could take the view
// away from the ledger; the program's own run in their own world, which this leaves on).
QWebEngineProfile* makeLedgerProfile(QObject* parent);

// The page may reach nothing but its own scheme and inline data: no network, no local files.
class OfflineInterceptor final : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT

public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

} // namespace web
