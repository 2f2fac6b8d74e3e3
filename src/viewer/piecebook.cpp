#include "viewer/piecebook.h"

#include "viewer/ledgerscheme.h"

#include <QDir>
#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>

namespace viewer {

PieceBook::PieceBook(QWebEngineProfile* profile, const LedgerSchemeHandler& documents, QString folder, QObject* parent)
    : QObject(parent), m_documents(documents), m_folder(std::move(folder)), m_page(new PrintingPage(profile, this)),
      m_pieces(documents.current().pieces)
{
    connect(m_page, &QWebEnginePage::loadingChanged, this, &PieceBook::loadingChanged);
    connect(m_page, &QWebEnginePage::pdfPrintingFinished, this, &PieceBook::pdfFinished);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this, [this] {
        fail(QStringLiteral("Sayfalar hazırlanırken tarayıcı bileşeni beklenmedik biçimde kapandı (parça %1).")
                 .arg(m_loading + 1));
    });
    if (!m_pieces)
        fail(QStringLiteral("Belge parçalara bölünmemiş; sayfaları parça parça hazırlanamaz."));
}

PieceBook::~PieceBook() = default;

int PieceBook::pieceCount() const
{
    return m_pieces ? int(m_pieces->count()) : 0;
}

void PieceBook::produce(int pages)
{
    m_target = qMax(m_target, pages);
    if (m_loading < 0 && !hasFailed())
        layOutNext();
}

QString PieceBook::piecePath(int index) const
{
    return QDir(m_folder).filePath(QStringLiteral("parca-%1.pdf").arg(index, 5, 10, QLatin1Char('0')));
}

void PieceBook::layOutNext()
{
    if (isComplete() || m_pages >= m_target) {
        // Idle: the last piece's layout need not stay in memory.
        m_page->setUrl(QUrl(QStringLiteral("about:blank")));
        return;
    }
    // The scheme serves only the newest document: a piece of another one must never be printed.
    if (m_documents.current().pieces != m_pieces) {
        fail(QStringLiteral("Önizleme açıkken belge değişti; önizlemeyi kapatıp yeniden açın."));
        return;
    }
    m_loading = piecesDone();
    m_page->load(m_documents.pageUrl(m_loading));
}

void PieceBook::loadingChanged(const QWebEngineLoadingInfo& loading)
{
    // Only the piece asked for counts: not the blank page of an idle book, nor a load it cut short.
    if (m_loading < 0 || hasFailed() || loading.url() != m_documents.pageUrl(m_loading) ||
        loading.status() == QWebEngineLoadingInfo::LoadStartedStatus)
        return;
    if (loading.status() != QWebEngineLoadingInfo::LoadSucceededStatus) {
        fail(QStringLiteral("Belgenin %1. parçası yüklenemedi: %2")
                 .arg(m_loading + 1)
                 .arg(loading.errorString().isEmpty() ? QStringLiteral("yükleme yarıda kaldı.")
                                                      : loading.errorString()));
        return;
    }
    m_page->printWithDocumentMargins(piecePath(m_loading));
}

void PieceBook::pdfFinished(const QString& path, bool ok)
{
    if (m_loading < 0 || hasFailed() || path != piecePath(m_loading))
        return;
    if (!ok) {
        fail(QStringLiteral("Belgenin %1. parçası PDF'e dökülemedi (“%2”).")
                 .arg(m_loading + 1)
                 .arg(QDir::toNativeSeparators(path)));
        return;
    }
    // Reads only the file's page tree: a few milliseconds even for a long piece.
    const PdfOutcome counted = countPdfPages(path);
    if (!counted.ok) {
        fail(counted.error);
        return;
    }
    m_parts.append({path, counted.pages});
    m_pages += counted.pages;
    m_loading = -1;
    emit progressed();
    if (isComplete())
        emit completed();
    if (m_loading < 0) // a handler may already have asked for more
        layOutNext();
}

void PieceBook::fail(const QString& error)
{
    if (hasFailed())
        return;
    m_error = error;
    m_loading = -1;
    emit failed(error);
}

} // namespace viewer
