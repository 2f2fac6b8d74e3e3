#include "viewer/piecebook.h"

#include "viewer/ledgerscheme.h"

#include <QDir>
#include <QEventLoop>
#include <QPointer>
#include <QRegularExpression>
#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <optional>

namespace viewer {

namespace {

constexpr qreal kDefaultMarginMm = 12;

// An absolute CSS length in millimetres; nullopt for anything else (auto, %, em, garbage).
std::optional<qreal> cssLengthMm(const QString& text)
{
    static const QRegularExpression length(QStringLiteral("^\\s*([0-9]*\\.?[0-9]+)\\s*(mm|cm|in|pt|pc|px|q)?\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = length.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const qreal value = match.captured(1).toDouble();
    const QString unit = match.captured(2).toLower();
    if (unit.isEmpty())
        return value == 0 ? std::optional<qreal>(0) : std::nullopt; // only 0 goes without a unit
    if (unit == QLatin1String("mm"))
        return value;
    if (unit == QLatin1String("cm"))
        return value * 10;
    if (unit == QLatin1String("q"))
        return value / 4;
    if (unit == QLatin1String("in"))
        return value * 25.4;
    if (unit == QLatin1String("pt"))
        return value * 25.4 / 72;
    if (unit == QLatin1String("pc"))
        return value * 25.4 / 6;
    return value * 25.4 / 96; // px
}

// The margins of the first @page rule that sets any, as [top, right, bottom, left] texts.
constexpr auto kPageMarginsScript = R"js((() => {
    for (const sheet of Array.from(document.styleSheets)) {
        let rules;
        try { rules = sheet.cssRules; } catch (e) { continue; }
        for (const rule of Array.from(rules)) {
            if (!(rule instanceof CSSPageRule))
                continue;
            const sides = ['top', 'right', 'bottom', 'left'].map(s => rule.style.getPropertyValue('margin-' + s));
            if (sides.some(v => v))
                return sides;
        }
    }
    return [];
})())js";

} // namespace

QPageLayout printPageLayout(const QStringList& cssMargins)
{
    qreal sides[4] = {kDefaultMarginMm, kDefaultMarginMm, kDefaultMarginMm, kDefaultMarginMm};
    for (int i = 0; i < 4 && i < cssMargins.size(); ++i) {
        if (const std::optional<qreal> mm = cssLengthMm(cssMargins.at(i)); mm && *mm < 100)
            sides[i] = *mm;
    }
    QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter);
    layout.setMinimumMargins(QMarginsF());
    layout.setMargins(QMarginsF(sides[3], sides[0], sides[1], sides[2]));
    return layout;
}

void documentPageLayout(QWebEnginePage* page, const std::function<void(const QPageLayout&)>& then)
{
    page->runJavaScript(QString::fromLatin1(kPageMarginsScript), QWebEngineScript::ApplicationWorld,
                        [then](const QVariant& margins) { then(printPageLayout(margins.toStringList())); });
}

void awaitPdfPrinting(QWebEnginePage* page)
{
    QEventLoop loop;
    QObject::connect(page, &QWebEnginePage::pdfPrintingFinished, &loop, &QEventLoop::quit);
    QObject::connect(page, &QWebEnginePage::renderProcessTerminated, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

PieceBook::PieceBook(QWebEngineProfile* profile, const LedgerSchemeHandler& documents, QString folder, QObject* parent)
    : QObject(parent), m_documents(documents), m_folder(std::move(folder)), m_page(new QWebEnginePage(profile, this)),
      m_pieces(documents.current().pieces)
{
    connect(m_page, &QWebEnginePage::loadingChanged, this, &PieceBook::loadingChanged);
    connect(m_page, &QWebEnginePage::pdfPrintingFinished, this, &PieceBook::pdfFinished);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this, [this] {
        m_printing = false;
        fail(QStringLiteral("Sayfalar hazırlanırken tarayıcı bileşeni beklenmedik biçimde kapandı (parça %1).")
                 .arg(m_loading + 1));
    });
    if (!m_pieces)
        fail(QStringLiteral("Belge parçalara bölünmemiş; sayfaları parça parça hazırlanamaz."));
}

PieceBook::~PieceBook()
{
    if (m_printing) {
        disconnect(m_page, nullptr, this, nullptr);
        awaitPdfPrinting(m_page);
    }
}

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
    // The piece's own @page margins, read from the page first.
    const int piece = m_loading;
    QPointer<PieceBook> self(this);
    documentPageLayout(m_page, [self, piece](const QPageLayout& layout) {
        if (!self || self->m_loading != piece || self->hasFailed())
            return; // deleted, failed or moved on meanwhile
        self->m_printing = true;
        self->m_page->printToPdf(self->piecePath(piece), layout);
    });
}

void PieceBook::pdfFinished(const QString& path, bool ok)
{
    m_printing = false;
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
