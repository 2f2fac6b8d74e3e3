#include "print/piecebook.h"

#include "print/carrydecision.h"
#include "web/ledgerscheme.h"
#include "web/pagescripts.h"

#include <QDir>
#include <QPointer>
#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <algorithm>
#include <utility>

namespace print {

PieceBook::PieceBook(QWebEngineProfile* profile, const web::LedgerSchemeHandler& documents, QString folder,
                     QObject* parent, int firstPiece, web::PrintingPage* page)
    : QObject(parent), m_documents(documents), m_folder(std::move(folder)),
      m_page(page ? page : new web::PrintingPage(profile, this)), m_pieces(documents.current().pieces)
{
    m_page->setParent(this);
    connect(m_page, &QWebEnginePage::loadingChanged, this, &PieceBook::loadingChanged);
    connect(m_page, &QWebEnginePage::pdfPrintingFinished, this, &PieceBook::pdfFinished);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this, [this] {
        fail(QStringLiteral("Sayfalar hazırlanırken tarayıcı bileşeni beklenmedik biçimde kapandı (parça %1).")
                 .arg(m_piece.index + 1));
    });
    if (!m_pieces) {
        fail(QStringLiteral("Belge parçalara bölünmemiş; sayfaları parça parça hazırlanamaz."));
        return;
    }
    int first = 0;
    int weight = 0;
    for (int piece = 0; piece < int(m_pieces->count()); ++piece) {
        const int pieceWeight = m_pieces->weights.value(piece, 1);
        if (piece > first && weight + pieceWeight > m_pieces->printWeight) {
            m_groups.append({first, piece - 1});
            first = piece;
            weight = 0;
        }
        weight += pieceWeight;
    }
    if (m_pieces->count() > 0) {
        m_groups.append({first, int(m_pieces->count()) - 1});
    }
    m_first = m_next = std::clamp(firstPiece, 0, pieceCount());
}

PieceBook::~PieceBook()
{
    // A book dropped while others go on: its page stays with the owner until its print is
    // written. Without an owner, the page waits for it as it goes.
    if (parent() && m_page->isPrinting()) {
        m_page->disconnect(this);
        m_page->setParent(parent());
        m_page->deleteWhenPrinted();
    }
}

void PieceBook::produce(int pages)
{
    m_target = qMax(m_target, pages);
    m_held = false;
    if (m_piece.index < 0 && !hasFailed()) {
        layOutNext();
    }
}

QString PieceBook::piecePath(int index) const
{
    return QDir(m_folder).filePath(QStringLiteral("parca-%1.pdf").arg(index, 5, 10, QLatin1Char('0')));
}

QUrl PieceBook::loadingUrl() const
{
    return m_documents.pageUrl(m_groups.at(m_piece.index).first);
}

void PieceBook::layOutNext()
{
    if (m_next >= pieceCount() || m_held || (m_pages >= m_target && !m_pending)) {
        // Idle: the last piece's layout need not stay in memory.
        m_page->setUrl(QUrl(QStringLiteral("about:blank")));
        return;
    }
    // The scheme serves only the newest document: a piece of another one must never be printed.
    if (m_documents.current().pieces != m_pieces) {
        fail(QStringLiteral("Önizleme açıkken belge değişti; önizlemeyi kapatıp yeniden açın."));
        return;
    }
    m_piece.index = m_next;
    if (m_pending) {
        m_piece.carrying = m_pending->carry;
    }
    m_page->load(loadingUrl());
}

void PieceBook::loadingChanged(const QWebEngineLoadingInfo& loading)
{
    // Only the piece asked for counts: not the blank page of an idle book, nor a load it cut short.
    if (m_piece.index < 0 || hasFailed() || loading.url() != loadingUrl() ||
        loading.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        return;
    }
    if (loading.status() != QWebEngineLoadingInfo::LoadSucceededStatus) {
        fail(QStringLiteral("Belgenin %1. parçası yüklenemedi: %2")
                 .arg(m_piece.index + 1)
                 .arg(loading.errorString().isEmpty() ? QStringLiteral("yükleme yarıda kaldı.")
                                                      : loading.errorString()));
        return;
    }
    QVariantMap carry;
    if (m_piece.carrying) {
        carry = {{QStringLiteral("html"), m_piece.carrying->html}};
    }
    QPointer<PieceBook> self(this);
    QStringList containers;
    for (const QByteArray& name : render::cuttableContainers()) {
        containers.append(QString::fromLatin1(name));
    }
    QStringList more;
    const auto [first, last] = m_groups.at(m_piece.index);
    for (int piece = first + 1; piece <= last; ++piece) {
        more.append(QString::fromUtf8(m_pieces->fragments.at(piece)));
    }
    m_page->runJavaScript(
        web::pageScriptCall(web::PageScript::PrintPrepare,
                            {first, more, m_piece.carrying ? QVariant(carry) : QVariant(), containers}),
        QWebEngineScript::ApplicationWorld, [self](const QVariant& result) {
            if (self) {
                self->prepared(result);
            }
        });
}

void PieceBook::prepared(const QVariant& result)
{
    if (m_piece.index < 0 || hasFailed()) {
        return;
    }
    const QVariantMap answer = result.toMap();
    m_piece.ids = answer.value(QStringLiteral("ids")).toStringList();
    m_piece.given.clear();
    const QVariantMap given = answer.value(QStringLiteral("given")).toMap();
    for (auto piece = given.cbegin(); piece != given.cend(); ++piece) {
        m_piece.given.insert(piece.key().toInt(), piece.value().toStringList());
    }
    if (m_piece.carrying && !answer.value(QStringLiteral("placed")).toBool()) {
        // Nothing to put in place: the last page stays.
        m_piece.carrying.reset();
        settlePending(false);
    }
    m_page->printWithDocumentMargins(piecePath(m_piece.index));
}

void PieceBook::pdfFinished(const QString& path, bool ok)
{
    if (m_piece.index < 0 || hasFailed() || path != piecePath(m_piece.index)) {
        return;
    }
    if (!ok) {
        fail(QStringLiteral("Belgenin %1. parçası PDF'e dökülemedi (“%2”).")
                 .arg(m_piece.index + 1)
                 .arg(QDir::toNativeSeparators(path)));
        return;
    }
    // One pass over the file's page tree and named destinations: a few milliseconds per piece.
    QHash<QString, PdfAnchor> anchors;
    const PdfOutcome counted = countPdfPages(path, &anchors);
    if (!counted.ok) {
        fail(counted.error);
        return;
    }
    m_piece.anchors = anchors; // shared, not copied
    laidOut({path, counted.pages}, anchors);
}

void PieceBook::laidOut(const PdfPart& part, const QHash<QString, PdfAnchor>& anchors)
{
    if (m_piece.carrying && m_pending && !acceptCarried(anchors)) {
        return;
    }
    m_piece.carrying.reset();
    if (m_piece.index + 1 >= pieceCount() || m_carried.fails >= 3) {
        finishPiece(part);
        return;
    }
    const std::optional<qsizetype> first =
        firstCarriedBlock(m_piece.ids, anchors, part.pageCount - 1, m_carried.heights);
    if (!first) {
        extendOrFinish(part);
        return;
    }
    carryFrom(part, anchors, *first);
}

bool PieceBook::acceptCarried(const QHash<QString, PdfAnchor>& anchors)
{
    Carry& carrying = *m_piece.carrying;
    // The carried blocks must stand where they stood on the page left out: only then was
    // nothing else on it, and the page breaks where it broke. A point of leeway: a table's
    // first row may sit a pixel lower (its cell's padding) than where a repeated header
    // leaves it on later pages.
    const bool same = std::all_of(carrying.blocks.cbegin(), carrying.blocks.cend(), [&](const auto& block) {
        const PdfAnchor now = anchors.value(block.first);
        return now.page == 0 && qAbs(now.y - block.second) < 1.0;
    });
    if (!same && !carrying.plain.isEmpty()) {
        // Without the block before them: where a block begins a page, the engine shows the
        // space asked for between it and its predecessor in some layouts and not in others.
        carrying.html = std::exchange(carrying.plain, QString());
        m_page->load(loadingUrl());
        return false;
    }
    if (same) {
        const double y = carrying.blocks.constFirst().second;
        if (std::none_of(m_carried.heights.cbegin(), m_carried.heights.cend(),
                         [y](double other) { return qAbs(y - other) < 0.01; })) {
            m_carried.heights.append(y);
        }
        m_piece.carriedIn = carrying;
    }
    m_piece.carrying.reset();
    settlePending(same);
    if (!same) {
        // A document whose pieces do not begin as its pages do: after a few, not tried again.
        ++m_carried.fails;
        m_page->load(loadingUrl()); // once more, without them
        return false;
    }
    return true;
}

// Takes the blocks from `first` on out of the page, to begin the next piece with.
void PieceBook::carryFrom(const PdfPart& part, const QHash<QString, PdfAnchor>& anchors, qsizetype first)
{
    QList<std::pair<QString, double>> blocks;
    for (qsizetype i = first; i < m_piece.ids.size(); ++i) {
        blocks.append({m_piece.ids.at(i), anchors.value(m_piece.ids.at(i)).y});
    }
    QPointer<PieceBook> self(this);
    m_page->runJavaScript(web::pageScriptCall(web::PageScript::PrintCarry, {blocks.constFirst().first}),
                          QWebEngineScript::ApplicationWorld, [self, part, blocks](const QVariant& result) {
                              if (self) {
                                  self->carryTaken(part, blocks, result);
                              }
                          });
}

void PieceBook::carryTaken(const PdfPart& part, const QList<std::pair<QString, double>>& blocks, const QVariant& result)
{
    if (m_piece.index < 0 || hasFailed()) {
        return;
    }
    const QVariantMap carry = result.toMap();
    if (carry.isEmpty()) {
        finishPiece(part);
        return;
    }
    m_pending = Pending{
        part,
        {carry.value(QStringLiteral("html")).toString(), carry.value(QStringLiteral("plain")).toString(), blocks}};
    emit pieceLaidOut(part, m_piece.anchors, m_groups.at(m_piece.index).first, m_groups.at(m_piece.index).second,
                      m_piece.given);
    moveOn();
    layOutNext();
}

// A last page that cannot be carried stays, part empty: unless this piece, printed with the next
// one too, ends on another page, likely one that can be carried.
void PieceBook::extendOrFinish(const PdfPart& part)
{
    if (m_piece.extensions >= 2 || m_piece.ids.isEmpty()) { // no blocks: nothing could ever be carried
        finishPiece(part);
        return;
    }
    ++m_piece.extensions;
    ++m_groups[m_piece.index].second;
    if (++m_groups[m_piece.index + 1].first > m_groups.at(m_piece.index + 1).second) {
        m_groups.removeAt(m_piece.index + 1);
    }
    m_piece.carrying = m_piece.carriedIn;
    m_page->load(loadingUrl());
}

void PieceBook::finishPiece(const PdfPart& part)
{
    emit pieceLaidOut(part, m_piece.anchors, m_groups.at(m_piece.index).first, m_groups.at(m_piece.index).second,
                      m_piece.given);
    m_parts.append(part);
    m_pages += part.pageCount;
    moveOn();
    emit progressed();
    if (isComplete()) {
        emit completed();
    }
    if (m_piece.index < 0) { // a handler may already have asked for more
        layOutNext();
    }
}

// The printed piece is done with: the next one is laid out afresh.
void PieceBook::moveOn()
{
    m_piece = {};
    ++m_next;
}

void PieceBook::settlePending(bool carried)
{
    if (!m_pending) {
        return;
    }
    PdfPart part = m_pending->part;
    if (carried) {
        --part.pageCount; // its blocks begin the next piece
    }
    m_pending.reset();
    m_parts.append(part);
    m_pages += part.pageCount;
    emit progressed();
}

void PieceBook::fail(const QString& error)
{
    if (hasFailed()) {
        return;
    }
    m_error = error;
    m_piece.index = -1;
    emit failed(error);
}

} // namespace print
