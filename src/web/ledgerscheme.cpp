#include "web/ledgerscheme.h"

#include "render/pageprotocol.h"
#include "render/urlmapping.h"

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeDatabase>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

namespace web {

namespace {

void replyBytes(QWebEngineUrlRequestJob* job, const QByteArray& bytes, const QByteArray& mimeType)
{
    auto* buffer = new QBuffer(job);
    buffer->setData(bytes);
    job->reply(mimeType, buffer);
}

// Column headers stay (the browser repeats them on every printed page anyway); the page's own
// header was printed once, at the start, also when a layout table holds it. The body's top
// margin too: a piece continues the pages before it.
QByteArray hiddenRepeats()
{
    const QByteArray repeat = QByteArray("[") + render::protocol::kRepeat + "=\"";
    return "<style>" + repeat + render::protocol::kRepeatTop + "\"]," + repeat + render::protocol::kRepeatInner +
           "\"]:not(thead):not(tfoot){display:none!important}body{margin-top:0!important;padding-top:0!important}"
           "</style>";
}

} // namespace

void registerLedgerScheme()
{
    QWebEngineUrlScheme scheme(kLedgerScheme);
    // A host makes it a standard scheme, the kind whose relative links resolve; each document
    // gets a host, hence an origin, of its own.
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // CORS lets the page's own requests (the further pieces) reach the scheme.
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QUrl LedgerSchemeHandler::publish(const QString& ledgerFolder, const QString& fileName, RenderedDocument document)
{
    m_document = {m_nextId++, 1, ledgerFolder, fileName, std::move(document)};
    QUrl url;
    url.setScheme(QString::fromLatin1(kLedgerScheme));
    url.setHost(QStringLiteral("d%1").arg(m_document.id));
    url.setPath(QLatin1Char('/') + fileName);
    return url;
}

void LedgerSchemeHandler::complete(RenderedDocument document)
{
    m_document.content = std::move(document);
    ++m_document.version;
}

QUrl LedgerSchemeHandler::pageUrl(qsizetype index) const
{
    QUrl url;
    url.setScheme(QString::fromLatin1(kLedgerScheme));
    url.setHost(QStringLiteral("d%1").arg(m_document.id));
    url.setPath(QStringLiteral("/%1%2%3")
                    .arg(QLatin1String(render::protocol::kPiecePath), QLatin1String(render::protocol::kPiecePage))
                    .arg(index));
    return url;
}

QByteArray LedgerSchemeHandler::firstPage(const RenderedDocument& document, const QByteArray& manifest)
{
    // The manifest is numbers and hexadecimal text only: nothing in it can end the element early.
    const QByteArray carried = manifest.isEmpty() || document.mimeType != "text/html"
                                   ? QByteArray()
                                   : "<script type=\"application/json\" id=\"" +
                                         QByteArray(render::protocol::kManifestElement) + "\">" + manifest +
                                         "</script>";
    if (!document.pieces) {
        return document.html + carried; // a page of ours; the parser puts it at the body's end
    }
    const render::PiecedDocument& pieces = *document.pieces;
    // The view adds the other pieces as the reader reaches them. The last (the totals), which it
    // lays out at once, comes along inert, sparing a request; not if it could end the template.
    QByteArray last;
    if (!carried.isEmpty() && !document.partial && pieces.count() > 1 &&
        !pieces.fragments.constLast().toLower().contains("</template")) {
        last = "<template id=\"" + QByteArray(render::protocol::kLastPieceElement) + "\">" +
               pieces.fragments.constLast() + "</template>";
    }
    return pieces.head + pieces.fragments.value(0) + last + carried + pieces.tail;
}

QByteArray LedgerSchemeHandler::printPage(const render::PiecedDocument& pieces, qsizetype index)
{
    // Never shown, only printed: not laid out for the screen, a page loads in a fifth of the time
    // and prints in half, the engine no longer laying it out again for the screen around the print.
    const QByteArray printOnly = "<style>@media screen{body{display:none!important}}</style>";
    if (index == 0) {
        return pieces.head + printOnly + pieces.fragments.at(0) + pieces.tail;
    }
    return pieces.head + printOnly + hiddenRepeats() + pieces.fragments.at(index) + pieces.tail;
}

QByteArray LedgerSchemeHandler::manifest() const
{
    QJsonObject object;
    object[QLatin1String(render::protocol::kManifestVersion)] = m_document.version;
    object[QLatin1String(render::protocol::kManifestPartial)] = m_document.content.partial;
    QJsonArray weights;
    QJsonArray hashes;
    if (const auto& pieces = m_document.content.pieces) {
        for (int weight : pieces->weights) {
            weights.append(weight);
        }
        for (size_t hash : pieces->hashes) {
            hashes.append(QString::number(hash, 16));
        }
    } else {
        weights.append(1);
        hashes.append(QString::number(qHash(m_document.content.html), 16));
    }
    object[QLatin1String(render::protocol::kManifestWeights)] = weights;
    object[QLatin1String(render::protocol::kManifestHashes)] = hashes;
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

void LedgerSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    // ledger://d<id>/<relative path>, the path still percent-encoded as the page wrote it.
    const QUrl url = job->requestUrl();
    if (url.host() != QStringLiteral("d%1").arg(m_document.id)) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    const QString relative = url.path(QUrl::FullyEncoded).mid(1);
    if (QUrl::fromPercentEncoding(relative.toUtf8()) == m_document.fileName) {
        replyBytes(job, firstPage(m_document.content, manifest()), m_document.content.mimeType + ";charset=utf-8");
        return;
    }
    if (relative.startsWith(QLatin1String(render::protocol::kPiecePath))) {
        replyPieces(job, relative.mid(qsizetype(sizeof render::protocol::kPiecePath) - 1));
        return;
    }
    const std::optional<QString> resource = render::resourcePathInFolder(m_document.folder, relative);
    if (!resource) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* file = new QFile(*resource, job);
    if (!file->open(QIODevice::ReadOnly)) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    job->reply(QMimeDatabase().mimeTypeForFile(*resource).name().toLatin1(), file);
}

void LedgerSchemeHandler::replyPieces(QWebEngineUrlRequestJob* job, const QString& request)
{
    const std::shared_ptr<const render::PiecedDocument>& pieces = m_document.content.pieces;
    const qsizetype slash = request.indexOf(QLatin1Char('/')) + 1;
    const QString kind = request.left(slash);
    bool numeric = false;
    const qsizetype index = slash > 0 ? request.mid(slash).toLongLong(&numeric) : -1;
    if (!pieces || !numeric || index < 0 || index >= pieces->count()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    if (kind == QLatin1String(render::protocol::kPieceContent)) {
        replyBytes(job, pieces->fragments.at(index), "text/html;charset=utf-8");
    } else if (kind == QLatin1String(render::protocol::kPiecePage)) {
        replyBytes(job, printPage(*pieces, index), "text/html;charset=utf-8");
    } else {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    }
}

QWebEngineProfile* makeLedgerProfile(QObject* parent)
{
    auto* profile = new QWebEngineProfile(parent);
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    return profile;
}

void OfflineInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    static const QStringList allowed = {QString::fromLatin1(kLedgerScheme), QStringLiteral("data"),
                                        QStringLiteral("blob"), QStringLiteral("about")};
    if (!allowed.contains(info.requestUrl().scheme())) {
        info.block(true);
    }
}

} // namespace web
