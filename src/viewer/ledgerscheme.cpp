#include "viewer/ledgerscheme.h"

#include "viewer/urlmapping.h"

#include <QBuffer>
#include <QFile>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

namespace viewer {

void registerLedgerScheme()
{
    QWebEngineUrlScheme scheme(kLedgerScheme);
    // A host makes it a standard scheme, the kind whose relative links resolve; each document
    // gets a host, hence an origin, of its own.
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QUrl LedgerSchemeHandler::publish(const QString& ledgerFolder, const QString& fileName, QByteArray content,
                                  QByteArray mimeType)
{
    m_document = {m_nextId++, ledgerFolder, fileName, std::move(content), std::move(mimeType)};
    QUrl url;
    url.setScheme(QString::fromLatin1(kLedgerScheme));
    url.setHost(QStringLiteral("d%1").arg(m_document.id));
    url.setPath(QLatin1Char('/') + fileName);
    return url;
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
        auto* buffer = new QBuffer(job);
        buffer->setData(m_document.content);
        job->reply(m_document.mimeType + ";charset=utf-8", buffer);
        return;
    }
    const std::optional<QString> resource = resourcePathInFolder(m_document.folder, relative);
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

void OfflineInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    static const QStringList allowed = {QString::fromLatin1(kLedgerScheme), QStringLiteral("data"),
                                        QStringLiteral("blob"), QStringLiteral("about")};
    if (!allowed.contains(info.requestUrl().scheme()))
        info.block(true);
}

} // namespace viewer
