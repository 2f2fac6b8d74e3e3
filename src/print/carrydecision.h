#pragma once

#include "print/pdfassembly.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <optional>

namespace print {

// Which blocks a printed piece's last page carries into the next piece: the index in `ids` (the
// piece's blocks in order, as named destinations of its PDF) of the first block that begins on
// page `lastPage`, every block after it lying there too. None when the page cannot be carried:
// a single page, a block after it without a place in the PDF, or a page that seems to begin
// with the rest of a block begun before. `carriedFrom`: heights on a last page that were carried
// before, in points from the page's bottom.
[[nodiscard]] std::optional<qsizetype> firstCarriedBlock(const QStringList& ids,
                                                         const QHash<QString, PdfAnchor>& anchors, int lastPage,
                                                         const QList<double>& carriedFrom);

// Two layouts of the same pieces, begun differently, that lay a page out alike: page
// `earlierPage` of the earlier layout and page `laterPage` of the later one.
struct PageMatch
{
    int earlierPage = 0;
    int laterPage = 0;
};

// The first page of a later layout (`later`: its PDF's named destinations) that the earlier
// one also lays out: the same blocks, each at the same height, and no others. From there on
// the two go on alike, a page beginning where the same content left off; none when no page
// matches.
[[nodiscard]] std::optional<PageMatch> matchingPage(const QHash<QString, PdfAnchor>& earlier,
                                                    const QHash<QString, PdfAnchor>& later);

} // namespace print
