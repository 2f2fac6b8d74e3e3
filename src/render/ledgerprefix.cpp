#include "render/ledgerprefix.h"

#include "common/xmlhandles.h"
#include "common/xmlpreflight.h"

#include <QFile>

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <cstring>
#include <vector>

namespace render::detail {

namespace {

constexpr char kRecordName[] = "entryHeader";
constexpr qint64 kChunk = 256 * 1024;

struct Scan
{
    qint64 budget = 0;
    std::vector<QByteArray> open; // qualified names of the elements open now
    int recordDepth = -1;         // depth of the open record, -1 outside one
    std::optional<LedgerPrefix> cut;
    bool refused = false;
    xmlParserCtxtPtr ctxt = nullptr;
};

QByteArray qualified(const xmlChar* prefix, const xmlChar* localname)
{
    QByteArray name(reinterpret_cast<const char*>(localname));
    if (prefix) {
        name.prepend(QByteArray(reinterpret_cast<const char*>(prefix)) + ':');
    }
    return name;
}

void cutHere(Scan& scan, bool insideRecord)
{
    LedgerPrefix prefix;
    prefix.bytes = xmlByteConsumed(scan.ctxt);
    for (auto it = scan.open.rbegin(); it != scan.open.rend(); ++it) {
        prefix.closing += "</" + *it + '>';
    }
    prefix.insideRecord = insideRecord;
    scan.cut = prefix;
    xmlStopParser(scan.ctxt);
}

void startElement(void* context, const xmlChar* localname, const xmlChar* prefix, const xmlChar*, int, const xmlChar**,
                  int, int, const xmlChar**)
{
    auto* scan = static_cast<Scan*>(static_cast<xmlParserCtxtPtr>(context)->_private);
    if (scan->cut) {
        return;
    }
    if (scan->recordDepth < 0 && std::strcmp(reinterpret_cast<const char*>(localname), kRecordName) == 0) {
        scan->recordDepth = int(scan->open.size());
    }
    scan->open.push_back(qualified(prefix, localname));
}

void endElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*)
{
    auto* scan = static_cast<Scan*>(static_cast<xmlParserCtxtPtr>(context)->_private);
    if (scan->cut || scan->open.empty()) {
        return;
    }
    scan->open.pop_back();
    const int depth = int(scan->open.size());
    const qint64 consumed = xmlByteConsumed(scan->ctxt);
    if (depth == scan->recordDepth) {
        scan->recordDepth = -1;
        if (consumed >= scan->budget) {
            cutHere(*scan, false);
        }
    } else if (scan->recordDepth >= 0 && depth == scan->recordDepth + 1 && consumed >= 2 * scan->budget) {
        cutHere(*scan, true);
    }
}

void refuseSubset(void* context, const xmlChar*, const xmlChar*, const xmlChar*)
{
    auto* ctxt = static_cast<xmlParserCtxtPtr>(context);
    static_cast<Scan*>(ctxt->_private)->refused = true;
    xmlStopParser(ctxt);
}

} // namespace

std::optional<LedgerPrefix> findLedgerPrefix(const QString& path, qint64 budget)
{
    // Read no further than this: a first record running longer makes no quicker first screen. A pipe
    // would block the open below and a hostile shape the parser; the whole render refuses them.
    const qint64 reach = 4 * budget;
    if (budget <= 0 || !common::preflightXmlFile(path, {}, reach).ok()) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const qint64 size = file.size();
    // Rendering a small file whole costs less than rendering it twice.
    if (size < 4 * budget) {
        return std::nullopt;
    }

    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = startElement;
    sax.endElementNs = endElement;
    sax.internalSubset = refuseSubset;
    Scan scan;
    scan.budget = budget;
    const common::XmlParserContext owner(xmlCreatePushParserCtxt(&sax, nullptr, nullptr, 0, nullptr));
    xmlParserCtxtPtr ctxt = owner.get();
    if (ctxt == nullptr) {
        return std::nullopt;
    }
    xmlCtxtUseOptions(ctxt, XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    ctxt->_private = &scan;
    scan.ctxt = ctxt;
    QByteArray chunk;
    while (!scan.cut && !scan.refused && ctxt->disableSAX == 0 && file.pos() < reach) {
        chunk = file.read(qMin(kChunk, reach - file.pos()));
        if (chunk.isEmpty()) {
            break;
        }
        if (xmlParseChunk(ctxt, chunk.constData(), int(chunk.size()), 0) != 0) {
            break;
        }
    }
    // A cut near the end saves nothing.
    if (scan.refused || !scan.cut || scan.cut->bytes > size * 9 / 10) {
        return std::nullopt;
    }
    return scan.cut;
}

} // namespace render::detail
