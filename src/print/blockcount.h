#pragma once

#include "print/pdfassembly.h"

#include <QHash>
#include <QList>
#include <QStringList>

namespace print {

// What a document's printed pages hold of the blocks it was given.
struct BlockCount
{
    int given = 0;       // the document's blocks
    int missing = 0;     // of them, not on the pages
    int firstPiece = -1; // the first piece missing one, from 0
};

// Counts the blocks of a document in pieces on its pages. `given`: each piece's blocks, as the
// document was cut. `laidOut`: the names each piece's blocks had in its layout, in order (''
// for a block without a name a PDF can hold: counted, but not looked for). `parts`: the pages,
// and `anchors` the named places in each part's file. A block is on the pages when its name
// is on one of the parts' pages; a piece that laid fewer blocks out than it was given is
// missing the difference.
[[nodiscard]] BlockCount countBlocks(const QList<int>& given, const QHash<int, QStringList>& laidOut,
                                     const QList<PdfPart>& parts, const QList<QHash<QString, PdfAnchor>>& anchors);

// The user's message for blocks missing from the pages; empty when none is.
[[nodiscard]] QString missingBlocksMessage(const BlockCount& count);

} // namespace print
