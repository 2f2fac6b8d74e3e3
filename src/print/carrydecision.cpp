#include "print/carrydecision.h"

#include <QMap>

#include <algorithm>

namespace print {

namespace {

// Heights closer than this are the same: a table's first row may sit a pixel lower (its cell's
// padding) than where a repeated header leaves it on later pages.
constexpr double kLeeway = 1.0;

bool near(double y, double other)
{
    return qAbs(y - other) < kLeeway;
}

} // namespace

std::optional<qsizetype> firstCarriedBlock(const QStringList& ids, const QHash<QString, PdfAnchor>& anchors,
                                           int lastPage, const QList<double>& carriedFrom)
{
    if (lastPage < 1) {
        return std::nullopt;
    }
    std::optional<qsizetype> first;
    QHash<int, double> pageTop; // where the first block begins, page by page
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const auto anchor = anchors.constFind(ids.at(i));
        if (anchor == anchors.cend() || ids.at(i).isEmpty()) {
            if (first) {
                return std::nullopt;
            }
            continue;
        }
        if (!pageTop.contains(anchor->page)) {
            pageTop.insert(anchor->page, anchor->y);
        }
        if (!first && anchor->page == lastPage) {
            first = i;
        }
    }
    if (!first) {
        return std::nullopt;
    }
    // A cheap look before the sure check, which costs a second layout: the page may begin with
    // the rest of a block that began before, which cannot be carried. Not so when its first
    // block begins where blocks begin on another page (under repeated column headers, say),
    // higher than any, or where a page carried before began.
    const double y = anchors.value(ids.at(*first)).y; // from the page's bottom
    bool top = true;
    bool matched = std::any_of(carriedFrom.cbegin(), carriedFrom.cend(), [y](double other) { return near(y, other); });
    for (int page = 0; page < lastPage; ++page) {
        const auto other = pageTop.constFind(page);
        if (other == pageTop.cend()) {
            continue;
        }
        top = top && y > *other - kLeeway;
        matched = matched || near(y, *other);
    }
    if (!top && !matched) {
        return std::nullopt;
    }
    return first;
}

std::optional<PageMatch> matchingPage(const QHash<QString, PdfAnchor>& earlier, const QHash<QString, PdfAnchor>& later)
{
    QMap<int, QStringList> laterPages; // in page order
    for (auto it = later.cbegin(); it != later.cend(); ++it) {
        laterPages[it->page].append(it.key());
    }
    QHash<int, int> earlierCounts;
    for (const PdfAnchor& anchor : earlier) {
        ++earlierCounts[anchor.page];
    }
    for (auto page = laterPages.cbegin(); page != laterPages.cend(); ++page) {
        const PdfAnchor first = earlier.value(page->constFirst());
        if (first.page < 0 || earlierCounts.value(first.page) != page->size()) {
            continue;
        }
        const bool same = std::all_of(page->cbegin(), page->cend(), [&](const QString& id) {
            const auto there = earlier.constFind(id);
            return there != earlier.cend() && there->page == first.page && near(there->y, later.value(id).y);
        });
        if (same) {
            return PageMatch{first.page, page.key()};
        }
    }
    return std::nullopt;
}

} // namespace print
