// The piece cutter on arbitrary HTML: every piece makes a page, and the pieces' search counts add
// up to no more than the matches in the whole text.
#include "fuzzsupport.h"
#include "render/documentpieces.h"
#include "render/documentsearch.h"

#include <libxml/HTMLparser.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
    htmlDocPtr doc = htmlReadMemory(reinterpret_cast<const char*>(data + 1), int(size - 1), nullptr, "UTF-8", options);
    if (doc == nullptr) {
        return 0;
    }
    const int scale = 1 + data[0] % 16;
    const render::PiecedDocument pieces =
        render::cutIntoPieces(doc, render::PieceLimits{4 * scale, 10 * scale, 20 * scale},
                              (data[0] & 0x80) ? render::Completeness::Partial : render::Completeness::Whole);
    xmlFreeDoc(doc);
    fuzz::require(pieces.weights.size() == pieces.count() && pieces.hashes.size() == pieces.count(),
                  "pieces.weights.size() == pieces.count() && pieces.hashes.size() == pieces.count()");
    for (qsizetype i = 0; i < pieces.count(); ++i) {
        (void)render::countMatches(pieces.page(i), QStringLiteral("a"));
    }
    return 0;
}
