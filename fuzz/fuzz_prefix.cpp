// The ledger-prefix cutter on arbitrary files: when a well-formed ledger gets a beginning, that
// beginning with its closing tags is well-formed too.
#include "fuzzsupport.h"
#include "render/ledgerprefix.h"

#include <libxml/parser.h>

namespace {

bool wellFormed(const QByteArray& bytes)
{
    xmlDocPtr doc = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE);
    xmlFreeDoc(doc);
    return doc != nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) {
        return 0;
    }
    const qint64 budget = 16 + (data[0] | (data[1] << 8)) % 4096;
    const QByteArray bytes = fuzz::bytesOf(data + 2, size - 2);
    const QString path = fuzz::writeFile(QStringLiteral("defter.xml"), bytes);
    const std::optional<render::detail::LedgerPrefix> prefix = render::detail::findLedgerPrefix(path, budget);
    if (!prefix) {
        return 0;
    }
    fuzz::require(prefix->bytes > 0 && prefix->bytes <= bytes.size(),
                  "prefix->bytes > 0 && prefix->bytes <= bytes.size()");
    if (wellFormed(bytes)) {
        fuzz::require(wellFormed(bytes.left(prefix->bytes) + prefix->closing),
                      "wellFormed(bytes.left(prefix->bytes) + prefix->closing)");
    }
    return 0;
}
