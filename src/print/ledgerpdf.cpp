#include "print/ledgerpdf.h"

#include "print/parallelbook.h"
#include "web/ledgerscheme.h"
#include "web/printingpage.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include <utility>

namespace print {

namespace {

constexpr auto kPdfName = "belge.pdf";

// Offline, as the viewer shows it.
QWebEngineProfile* makeProfile(QObject* parent)
{
    QWebEngineProfile* profile = web::makeLedgerProfile(parent);
    profile->setUrlRequestInterceptor(new web::OfflineInterceptor(profile));
    return profile;
}

} // namespace

LedgerPdf::LedgerPdf(QObject* parent)
    : QObject(parent), m_profile(makeProfile(this)), m_scheme(new web::LedgerSchemeHandler(m_profile)),
      m_page(new web::PrintingPage(m_profile, this)), m_books(qBound(1, QThread::idealThreadCount(), 4)),
      m_render(this, [](std::function<void()> work) { return render::createRenderThread(std::move(work)); })
{
    m_profile->installUrlSchemeHandler(web::kLedgerScheme, m_scheme);
    // A printed piece takes a second or two: a layout that gives none for minutes never will.
    m_stalled.setSingleShot(true);
    m_stalled.setInterval(std::chrono::minutes(5));
    connect(&m_stalled, &QTimer::timeout, this, [this] {
        finish(common::Outcome::failure(
            QStringLiteral("Tarayıcı bileşeni beş dakikadır tek bir sayfa bile hazırlamadı; PDF yazılmadı.")));
    });
    connect(m_page, &QWebEnginePage::loadingChanged, this, &LedgerPdf::pageLoaded);
    connect(m_page, &QWebEnginePage::pdfPrintingFinished, this, &LedgerPdf::pagePrinted);
    // The web engine's processes start while the first ledger renders, not after.
    m_page->setUrl(QUrl(QStringLiteral("about:blank")));
}

LedgerPdf::~LedgerPdf()
{
    qDeleteAll(std::exchange(m_bookPages, {})); // before the profile
    qDeleteAll(std::exchange(m_warmingPages, {}));
    delete m_book;
    delete m_retired; // its page must go before the profile
    m_page->waitForPrint();
    delete m_page; // before the profile it uses
}

void LedgerPdf::print(render::RenderRequest request, const QString& target)
{
    prepareBookPages(); // while the ledger renders
    m_target = target;
    m_ledger = QFileInfo(request.ledgerPath).absoluteFilePath();
    m_folder = std::make_unique<QTemporaryDir>();
    if (!m_folder->isValid()) {
        finish(common::Outcome::failure(
            QStringLiteral("Geçici klasör oluşturulamadı (%1).").arg(m_folder->errorString())));
        return;
    }
    if (!request.pieces) {
        request.pieces = render::PieceLimits{};
    }
    m_render.start([this, request](const common::BackgroundTask::Context& context) mutable {
        if (!request.cancel) {
            request.cancel = context.stopFlag(); // so that going away need not wait for a whole render
        }
        render::renderLedger(request, [&](render::RenderResult result) {
            context.post([this, result = std::move(result)]() mutable { rendered(std::move(result)); });
        });
    });
}

void LedgerPdf::rendered(render::RenderResult result)
{
    if (!result.ok()) {
        finish(common::Outcome::failure(result.failure->message()));
        return;
    }
    web::RenderedDocument document;
    document.mimeType = result.mimeType.isEmpty() ? QByteArray("text/html") : result.mimeType;
    if (result.pieces) {
        document.pieces = std::make_shared<const render::PiecedDocument>(std::move(*result.pieces));
    } else {
        document.html = std::move(result.html);
    }
    // A page with a body, even in one piece, is laid out by a book: its blocks are named there, and
    // counted on the pages before the file is written.
    const bool inPieces = document.pieces && !document.pieces->head.isEmpty();
    const int pieceCount = document.pieces ? int(document.pieces->count()) : 0;
    const QFileInfo ledger(m_ledger);
    const QUrl url = m_scheme->publish(ledger.absolutePath(), ledger.fileName(), std::move(document));
    if (!inPieces) {
        m_loading = url;
        m_page->load(url);
        m_stalled.start();
        return;
    }
    // As the preview lays a document in pieces out, on every core (each book's browser process
    // holds a printed piece laid out: a few hundred megabytes at most).
    const int books = pieceCount > 1 ? m_books : 1;
    QList<web::PrintingPage*> pages = std::exchange(m_bookPages, {});
    while (pages.size() > books) { // kept warm for the next ledger
        m_bookPages.append(pages.takeLast());
    }
    m_book = new ParallelBook(m_profile, *m_scheme, m_folder->path(), books, nullptr, pages);
    m_shownPages = 0;
    connect(m_book, &ParallelBook::progressed, this, [this] {
        // Books overlap while they look for the page where one takes over: never count down.
        m_shownPages = qMax(m_shownPages, m_book->pageCount());
        m_stalled.start();
        emit progressed(m_shownPages);
    });
    m_stalled.start();
    connect(m_book, &ParallelBook::completed, this, &LedgerPdf::bookDone);
    connect(m_book, &ParallelBook::failed, this,
            [this](const QString& error) { finish(common::Outcome::failure(error)); });
    m_book->produce();
}

void LedgerPdf::pageLoaded(const QWebEngineLoadingInfo& loading)
{
    // Only the end of the document's own load: the blank page before it may end after it began,
    // and a page printed then holds only what had arrived.
    if (m_loading.isEmpty() || loading.url() != m_loading ||
        loading.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        return;
    }
    m_loading.clear();
    if (loading.status() != QWebEngineLoadingInfo::LoadSucceededStatus) {
        finish(common::Outcome::failure(QStringLiteral("Belge tarayıcı bileşeninde açılamadı.")));
        return;
    }
    m_page->printWithDocumentMargins(m_folder->filePath(QString::fromLatin1(kPdfName)));
}

void LedgerPdf::pagePrinted(const QString& path, bool ok)
{
    if (!m_folder || path != m_folder->filePath(QString::fromLatin1(kPdfName))) {
        return;
    }
    if (!ok) {
        finish(common::Outcome::failure(QStringLiteral("Belge sayfalara dökülemedi.")));
        return;
    }
    const PdfOutcome counted = countPdfPages(path);
    if (!counted.ok) {
        finish(counted);
        return;
    }
    const QList<PdfPart> parts{{path, counted.pages}};
    finish(savePdfPages(parts, allPages(parts), m_target));
}

void LedgerPdf::bookDone()
{
    const QString missing = m_book->missingBlocks(m_scheme->current().pieces->blocks);
    if (!missing.isEmpty()) {
        finish(common::Outcome::failure(missing));
        return;
    }
    const QList<PdfPart> parts = m_book->parts();
    finish(savePdfPages(parts, allPages(parts), m_target));
}

void LedgerPdf::finish(PdfOutcome outcome)
{
    m_stalled.stop();
    if (m_book) {
        m_book->disconnect(this);
        m_book->deleteLater(); // it may be what called
        m_retired = std::exchange(m_book, nullptr);
    }
    // The last layout need not stay in memory while the next ledger renders.
    m_page->setUrl(QUrl(QStringLiteral("about:blank")));
    m_folder.reset();
    emit finished(outcome);
}

void LedgerPdf::prepareBookPages()
{
    while (m_bookPages.size() + m_warmingPages.size() < m_books) {
        auto* page = new web::PrintingPage(m_profile, this);
        m_warmingPages.append(page);
        // Handed to a book only once loaded: a blank page still loading would cut the book's load short.
        connect(page, &QWebEnginePage::loadFinished, this, [this, page] {
            if (m_warmingPages.removeOne(page)) {
                m_bookPages.append(page);
            }
        });
        page->setUrl(QUrl(QStringLiteral("about:blank")));
    }
}

} // namespace print
