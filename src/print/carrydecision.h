#pragma once

#include "print/pdfassembly.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <optional>

namespace viewer {

// Which blocks a printed piece's last page carries into the next piece: the index in `ids` (the
// piece's blocks in order, as named destinations of its PDF) of the first block that begins on
// page `lastPage`, every block after it lying there too. None when the page cannot be carried:
// a single page, a block after it without a place in the PDF, or a page that seems to begin
// with the rest of a block begun before. `carriedFrom`: heights on a last page that were carried
// before, in points from the page's bottom.
[[nodiscard]] std::optional<qsizetype> firstCarriedBlock(const QStringList& ids,
                                                         const QHash<QString, PdfAnchor>& anchors, int lastPage,
                                                         const QList<double>& carriedFrom);

} // namespace viewer
