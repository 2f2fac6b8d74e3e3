#include "viewer/pagesearch.h"

#include "common/turkishformat.h"
#include "render/documentsearch.h"
#include "viewer/composerbridge.h"
#include "viewer/findbar.h"
#include "web/ledgerscheme.h"

#include <numeric>

namespace viewer {

PageSearch::PageSearch(const web::LedgerSchemeHandler& documents, ComposerBridge& composer, FindBar& bar,
                       QObject* parent)
    : QObject(parent), m_documents(documents), m_composer(composer), m_bar(bar), m_task(this)
{}

void PageSearch::reset()
{
    clear();
    updateStatus();
}

void PageSearch::clear()
{
    m_task.cancel();
    ++m_generation;
    m_term.clear();
    m_counts.clear();
    m_total = 0;
    m_current = -1;
    m_counting = false;
    m_backwards = false;
}

void PageSearch::find(const QString& term, bool backwards)
{
    if (term.trimmed().isEmpty()) {
        reset();
        return;
    }
    if (term != m_term) {
        count(term, backwards);
        return;
    }
    if (!m_counting) {
        step(backwards);
    }
}

void PageSearch::count(const QString& term, bool backwards)
{
    clear();
    m_term = term;
    m_counting = true;
    m_backwards = backwards;
    updateStatus();
    const web::RenderedDocument& document = m_documents.current();
    const std::shared_ptr<const render::PiecedDocument> pieces = document.pieces;
    const QByteArray html = pieces ? QByteArray() : document.html;
    m_task.start([this, term, pieces, html](const common::BackgroundTask::Context& context) {
        QList<int> counts = pieces ? render::countMatchesPerPiece(pieces->fragments, term, context.stopFlag())
                                   : QList<int>{render::countMatches(html, term)};
        context.post([this, counts = std::move(counts)]() mutable { counted(std::move(counts)); });
    });
}

void PageSearch::counted(QList<int> counts)
{
    m_counts = std::move(counts);
    m_counting = false;
    m_total = std::accumulate(m_counts.cbegin(), m_counts.cend(), 0);
    if (m_total == 0) {
        updateStatus();
        emit updated();
        return;
    }
    // From where the reader is, not from the top of the ledger.
    const int generation = m_generation;
    m_composer.status([this, generation](const QVariantMap& status) {
        if (generation == m_generation) {
            startAt(status.value(QStringLiteral("current")).toInt());
        }
    });
}

void PageSearch::startAt(int piece)
{
    int before = 0;
    for (int i = 0; i < piece && i < m_counts.size(); ++i) {
        before += m_counts.at(i);
    }
    m_current = m_backwards ? (before + m_total - 1) % m_total : before % m_total;
    reveal();
}

void PageSearch::step(bool backwards)
{
    if (m_total == 0) {
        return;
    }
    m_current = (m_current + (backwards ? m_total - 1 : 1)) % m_total;
    reveal();
}

void PageSearch::reveal()
{
    int piece = 0;
    int occurrence = m_current;
    while (piece < m_counts.size() && occurrence >= m_counts.at(piece)) {
        occurrence -= m_counts.at(piece++);
    }
    m_composer.call("highlight", {piece, m_term, occurrence});
    updateStatus();
    emit updated();
}

void PageSearch::updateStatus()
{
    if (m_term.isEmpty()) {
        m_bar.setStatus(QString());
    } else if (m_counting) {
        m_bar.setStatus(QStringLiteral("Aranıyor…"));
    } else if (m_total == 0) {
        m_bar.setStatus(QStringLiteral("Bulunamadı"));
    } else {
        m_bar.setStatus(QStringLiteral("%1 / %2 eşleşme").arg(common::number(m_current + 1), common::number(m_total)));
    }
}

} // namespace viewer
