// Search folding and counting: folding is stable, and a page's matches are found in any text.
#include "fuzzsupport.h"
#include "render/documentsearch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const qsizetype split = bytes.indexOf('\0');
    const QString term = QString::fromUtf8(split < 0 ? bytes.left(8) : bytes.left(split));
    const QByteArray html = split < 0 ? bytes : bytes.mid(split + 1);
    const QString folded = render::foldForSearch(term);
    fuzz::require(render::foldForSearch(folded) == folded, "render::foldForSearch(folded) == folded");
    const int count = render::countMatches(html, term);
    fuzz::require(count >= 0, "count >= 0");
    const QList<int> perPiece = render::countMatchesPerPiece({html, html}, term);
    fuzz::require(perPiece.size() == 2 && perPiece[0] == count && perPiece[1] == count,
                  "perPiece.size() == 2 && perPiece[0] == count && perPiece[1] == count");
    return 0;
}
