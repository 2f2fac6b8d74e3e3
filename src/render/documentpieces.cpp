#include "render/documentpieces.h"

#include "common/turkishformat.h"
#include "common/xmlhandles.h"
#include "render/pageprotocol.h"

#include <libxml/HTMLtree.h>
#include <libxml/tree.h>
#include <libxml/xmlIO.h>

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace render {

namespace {

bool isElement(const xmlNode* node)
{
    return node->type == XML_ELEMENT_NODE;
}

QByteArray nameOf(const xmlNode* node)
{
    return QByteArray(reinterpret_cast<const char*>(node->name)).toLower();
}

// An element's weight, once weighed: kept in the node's application pointer, since a hash of
// millions of nodes took longer to fill and to free than the pieces took to write.
int weightOf(const xmlNode* node)
{
    return int(reinterpret_cast<std::intptr_t>(node->_private));
}

int elementChildren(const xmlNode* node)
{
    int count = 0;
    for (const xmlNode* child = node->children; child; child = child->next) {
        count += isElement(child) ? 1 : 0;
    }
    return count;
}

// Blocks whose children may go to different pieces. Cells hold blocks; a row may be entered only
// when it is a single cell, as layout tables use it; cutting anything else (a row of cells, a
// paragraph) would break what it means.
bool isCuttable(const xmlNode* node)
{
    static const QSet<QByteArray> containers(cuttableContainers().cbegin(), cuttableContainers().cend());
    const QByteArray name = nameOf(node);
    return containers.contains(name) || (name == "tr" && elementChildren(node) == 1);
}

xmlNode* childNamed(xmlNode* parent, const char* name)
{
    for (xmlNode* child = parent ? parent->children : nullptr; child; child = child->next) {
        if (isElement(child) && nameOf(child) == name) {
            return child;
        }
    }
    return nullptr;
}

// Siblings of one kind: the same element name and the same class.
QByteArray kindOf(const xmlNode* node)
{
    QByteArray kind = nameOf(node);
    if (const common::XmlChars cls{xmlGetProp(node, reinterpret_cast<const xmlChar*>("class"))}) {
        kind += '.';
        kind += reinterpret_cast<const char*>(cls.get());
    }
    return kind;
}

// A block that a piece opens: its start tag, what precedes its repeated children (shown again
// in every piece it continues in) and what follows them (shown once, after the last).
struct Frame
{
    xmlNode* element = nullptr;
    std::vector<xmlNode*> lead;
    std::vector<xmlNode*> trail;
    std::vector<Frame*> path; // the frames it lies in, outermost first, itself last
    int index = 0;            // written as the frame mark, for printing to find it again in every piece
    bool opened = false;
};

struct Item
{
    enum Kind
    {
        Unit,
        Trail
    };
    Kind kind = Unit;
    std::vector<xmlNode*> nodes; // a unit: its element and the spacing after it
    Frame* frame = nullptr;      // a unit: the frame it lies in; a trail: the frame it closes
    int weight = 0;
};

class Cutter
{
public:
    Cutter(xmlDocPtr document, const PieceLimits& limits, Completeness completeness)
        : m_document(document), m_limits(limits), m_partial(completeness == Completeness::Partial)
    {}

    PiecedDocument run();

private:
    int weigh(xmlNode* node);
    void expand(Frame* frame);
    void addUnits(Frame* frame, const std::vector<xmlNode*>& children, qsizetype first, qsizetype last);
    void writeWholeDocument(PiecedDocument& result, xmlNode* html);
    Frame* makeFrame(xmlNode* element, Frame* parent);

    void write(const QByteArray& bytes) { xmlOutputBufferWrite(m_out, int(bytes.size()), bytes.constData()); }
    void writeNode(xmlNode* node) { htmlNodeDumpFormatOutput(m_out, m_document, node, "UTF-8", 0); }
    // `repeat` marks an opening shown again: "top" for the page's own header, "inner" for a
    // block's (column headers), nullptr for a first showing.
    void writeStartTag(xmlNode* element, const char* repeat, const Frame* frame = nullptr);
    void writeEndTag(xmlNode* element);
    void writeLead(Frame* frame);
    QByteArray serialiseHead(xmlNode* html, xmlNode* head, xmlNode* body);
    QByteArray serialisePiece(qsizetype first, qsizetype last, bool isLast);

    xmlDocPtr m_document;
    PieceLimits m_limits;
    bool m_partial;
    std::vector<std::unique_ptr<Frame>> m_frames;
    std::vector<Item> m_items;
    Frame* m_body = nullptr;
    xmlOutputBufferPtr m_out = nullptr;
    QByteArray* m_target = nullptr;
};

int Cutter::weigh(xmlNode* node)
{
    // Iterative post-order: a document may nest deeper than a comfortable C stack.
    int total = 0;
    std::vector<std::pair<xmlNode*, bool>> stack{{node, false}};
    while (!stack.empty()) {
        auto [current, visited] = stack.back();
        stack.pop_back();
        if (!isElement(current)) {
            continue;
        }
        if (!visited) {
            stack.push_back({current, true});
            for (xmlNode* child = current->children; child; child = child->next) {
                stack.push_back({child, false});
            }
            continue;
        }
        int weight = 1;
        for (xmlNode* child = current->children; child; child = child->next) {
            weight += isElement(child) ? weightOf(child) : 0;
        }
        current->_private = reinterpret_cast<void*>(std::intptr_t(weight));
        total = weight;
    }
    return total;
}

Frame* Cutter::makeFrame(xmlNode* element, Frame* parent)
{
    auto frame = std::make_unique<Frame>();
    frame->element = element;
    frame->index = int(m_frames.size());
    if (parent) {
        frame->path = parent->path;
    }
    frame->path.push_back(frame.get());
    m_frames.push_back(std::move(frame));
    return m_frames.back().get();
}

// The element name carrying most of the weight among `children`; empty when none is an element.
QByteArray heaviestName(const std::vector<xmlNode*>& children)
{
    QHash<QByteArray, long> weightByName;
    for (xmlNode* child : children) {
        if (isElement(child)) {
            weightByName[nameOf(child)] += weightOf(child);
        }
    }
    QByteArray repeated;
    long heaviest = -1;
    for (auto it = weightByName.cbegin(); it != weightByName.cend(); ++it) {
        if (it.value() > heaviest) {
            heaviest = it.value();
            repeated = it.key();
        }
    }
    return repeated;
}

// The first and last child of the run of `repeated` blocks. The run ends before the earliest
// block from which on no class was met before it: those close the run (totals).
std::pair<qsizetype, qsizetype> repeatedRun(const std::vector<xmlNode*>& children, const QByteArray& repeated)
{
    const auto isRepeated = [&](qsizetype i) {
        return isElement(children[i]) && nameOf(children[i]) == repeated;
    };
    qsizetype first = -1;
    qsizetype last = -1;
    QHash<QByteArray, qsizetype> firstOfKind;
    for (qsizetype i = 0; i < qsizetype(children.size()); ++i) {
        if (isRepeated(i)) {
            first = first < 0 ? i : first;
            last = i;
            firstOfKind.insert(kindOf(children[i]), qMin(firstOfKind.value(kindOf(children[i]), i), i));
        }
    }
    qsizetype runEnd = last; // the last element of the run proper
    qsizetype earliestFirst = last + 1;
    for (qsizetype i = last; i > first; --i) {
        if (!isRepeated(i)) {
            continue;
        }
        earliestFirst = qMin(earliestFirst, firstOfKind.value(kindOf(children[i])));
        if (earliestFirst < i) {
            break;
        }
        runEnd = i - 1;
    }
    while (runEnd > first && !isRepeated(runEnd)) {
        --runEnd;
    }
    return {first, runEnd};
}

void Cutter::expand(Frame* frame)
{
    std::vector<xmlNode*> children;
    for (xmlNode* child = frame->element->children; child; child = child->next) {
        children.push_back(child);
    }

    // What repeats is the element name carrying most of the weight, from its first to its last
    // occurrence; what comes before leads every piece. Classes vary among the repeated blocks
    // (a short account, a long one), so they do not decide the run; but a last few of classes
    // not met earlier in the run close it (totals) and come after it, once.
    const QByteArray repeated = heaviestName(children);
    if (repeated.isNull()) {
        frame->lead = children;
        return;
    }
    const auto [first, last] = repeatedRun(children, repeated);
    frame->lead.assign(children.begin(), children.begin() + first);
    frame->trail.assign(children.begin() + last + 1, children.end());
    addUnits(frame, children, first, last);
    m_items.push_back({Item::Trail, {}, frame, 0});
}

// The children from `first` to `last` as units, or, too heavy and cuttable, as frames of their own.
void Cutter::addUnits(Frame* frame, const std::vector<xmlNode*>& children, qsizetype first, qsizetype last)
{
    for (qsizetype i = first; i <= last; ++i) {
        xmlNode* child = children[i];
        if (!isElement(child)) {
            if (!m_items.empty() && m_items.back().kind == Item::Unit) {
                m_items.back().nodes.push_back(child); // spacing between blocks
            }
            continue;
        }
        const int weight = weightOf(child);
        if (weight > m_limits.unitWeight && isCuttable(child)) {
            expand(makeFrame(child, frame));
            continue;
        }
        // Marked so that printing can carry whole blocks from one piece to the next.
        xmlSetProp(child, reinterpret_cast<const xmlChar*>(protocol::kUnit), reinterpret_cast<const xmlChar*>(""));
        m_items.push_back({Item::Unit, {child}, frame, weight});
    }
}

// Cuts every text below `root` longer than `limit` bytes, at a character's start, and says how
// much is left out.
void shortenLongTexts(xmlNode* root, int limit)
{
    for (xmlNode* node = root; node;) {
        if ((node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) && node->content &&
            xmlStrlen(node->content) > limit) {
            const QByteArray text(reinterpret_cast<const char*>(node->content));
            int end = limit;
            while (end > 0 && (uchar(text.at(end)) & 0xC0) == 0x80) {
                --end;
            }
            const qsizetype left = QString::fromUtf8(text.mid(end)).size();
            const QByteArray shown =
                text.left(end) + QStringLiteral(" … [metnin kalan %1 karakteri, sayfaya dökülemeyecek kadar uzun "
                                                "olduğundan gösterilmiyor]")
                                     .arg(common::number(left))
                                     .toUtf8();
            xmlNodeSetContentLen(node, reinterpret_cast<const xmlChar*>(shown.constData()), int(shown.size()));
        }
        if (node->children && node->type == XML_ELEMENT_NODE) {
            node = node->children;
            continue;
        }
        while (node != root && !node->next) {
            node = node->parent;
        }
        node = node == root ? nullptr : node->next;
    }
}

// Consecutive items grouped into pieces: each piece's first and last item, and its weight.
struct Grouping
{
    std::vector<std::pair<qsizetype, qsizetype>> ranges;
    QList<int> weights;
};

// Where the last piece of a document in several begins, and its weight. That piece, the one with
// the totals, is laid out in advance and kept: it gets only the last quarter-piece of blocks
// after `start`, or, when even its last block is heavier than that, the block alone.
std::pair<qsizetype, int> lastPieceStart(const std::vector<Item>& items, qsizetype start, int pieceWeight)
{
    const qsizetype end = qsizetype(items.size());
    qsizetype lastStart = end;
    int lastWeight = 0;
    for (qsizetype i = end - 1; i > start; --i) {
        if (items[i].kind != Item::Unit) {
            continue;
        }
        if (lastWeight + items[i].weight > pieceWeight / 4) {
            break;
        }
        lastWeight += items[i].weight;
        lastStart = i;
    }
    for (qsizetype i = end - 1; lastStart == end && i > start; --i) {
        if (items[i].kind == Item::Unit) {
            return {i, items[i].weight};
        }
    }
    return {lastStart, lastWeight};
}

// Units fill pieces up to `pieceWeight`; a trail stays with the unit before it.
Grouping groupIntoPieces(const std::vector<Item>& items, int pieceWeight)
{
    Grouping grouping;
    qsizetype start = 0;
    int weight = 0;
    for (qsizetype i = 0; i < qsizetype(items.size()); ++i) {
        const Item& item = items[i];
        if (item.kind == Item::Unit && weight > 0 && weight + item.weight > pieceWeight) {
            grouping.ranges.push_back({start, i - 1});
            grouping.weights.append(weight);
            start = i;
            weight = 0;
        }
        weight += item.weight;
    }
    if (!grouping.ranges.empty()) {
        const auto [lastStart, lastWeight] = lastPieceStart(items, start, pieceWeight);
        if (lastStart < qsizetype(items.size()) && weight - lastWeight > 0) {
            grouping.ranges.push_back({start, lastStart - 1});
            grouping.weights.append(weight - lastWeight);
            start = lastStart;
            weight = lastWeight;
        }
    }
    grouping.ranges.push_back({start, qsizetype(items.size()) - 1});
    grouping.weights.append(qMax(weight, 1));
    return grouping;
}

QString titleOf(xmlNode* head)
{
    xmlNode* title = head ? childNamed(head, "title") : nullptr;
    if (!title) {
        return {};
    }
    const common::XmlChars text(xmlNodeGetContent(title));
    return QString::fromUtf8(reinterpret_cast<const char*>(text.get())).simplified();
}

PiecedDocument Cutter::run()
{
    PiecedDocument result;
    result.printWeight = m_limits.printWeight;
    xmlNode* html = xmlDocGetRootElement(m_document);
    xmlNode* head = html && nameOf(html) == "html" ? childNamed(html, "head") : nullptr;
    xmlNode* body = html && nameOf(html) == "html" ? childNamed(html, "body") : nullptr;
    result.title = titleOf(head);

    const common::XmlOutputBuffer out(xmlOutputBufferCreateIO(
        [](void* context, const char* bytes, int length) {
            // Closing the buffer writes once more, when the last target is long gone.
            if (QByteArray* target = static_cast<Cutter*>(context)->m_target) {
                target->append(bytes, length);
            }
            return length;
        },
        nullptr, this, nullptr));
    m_out = out.get();

    if (!body) {
        writeWholeDocument(result, html);
        return result;
    }

    shortenLongTexts(body, m_limits.longestText);
    result.head = serialiseHead(html, head, body);
    weigh(body);
    m_body = makeFrame(body, nullptr);
    expand(m_body);

    const Grouping grouping = groupIntoPieces(m_items, m_limits.pieceWeight);
    result.weights = grouping.weights;
    for (qsizetype piece = 0; piece < qsizetype(grouping.ranges.size()); ++piece) {
        const auto [first, last] = grouping.ranges[piece];
        const bool isLast = piece + 1 == qsizetype(grouping.ranges.size());
        result.fragments.append(serialisePiece(first, last, isLast));
        result.hashes.append(qHash(result.fragments.constLast()));
        result.blocks.append(int(std::count_if(m_items.begin() + first, m_items.begin() + last + 1,
                                               [](const Item& item) { return item.kind == Item::Unit; })));
    }
    result.tail = "</body></html>\n";
    return result;
}

// Not a page with a body (text output, a fragment): one piece, as it is.
void Cutter::writeWholeDocument(PiecedDocument& result, xmlNode* html)
{
    QByteArray whole;
    m_target = &whole;
    for (xmlNode* node = m_document->children; node; node = node->next) {
        writeNode(node);
    }
    xmlOutputBufferFlush(m_out);
    m_target = nullptr;
    result.fragments.append(whole);
    result.weights.append(html ? weigh(html) : 1);
    result.hashes.append(qHash(whole));
    result.blocks.append(0);
}

QByteArray Cutter::serialiseHead(xmlNode* html, xmlNode* head, xmlNode* body)
{
    QByteArray bytes;
    m_target = &bytes;
    if (const xmlDtd* dtd = m_document->intSubset) {
        QByteArray doctype = "<!DOCTYPE " + QByteArray(reinterpret_cast<const char*>(dtd->name));
        if (dtd->ExternalID) {
            doctype += " PUBLIC \"" + QByteArray(reinterpret_cast<const char*>(dtd->ExternalID)) + '"';
        }
        if (dtd->SystemID) {
            doctype += (dtd->ExternalID ? " \"" : " SYSTEM \"") +
                       QByteArray(reinterpret_cast<const char*>(dtd->SystemID)) + '"';
        }
        write(doctype + ">\n");
    }
    writeStartTag(html, nullptr);
    if (head) {
        writeNode(head);
    }
    writeStartTag(body, nullptr);
    xmlOutputBufferFlush(m_out);
    m_target = nullptr;
    return bytes;
}

void Cutter::writeStartTag(xmlNode* element, const char* repeat, const Frame* frame)
{
    QByteArray tag = '<' + nameOf(element);
    for (xmlAttr* attribute = element->properties; attribute; attribute = attribute->next) {
        QByteArray name(reinterpret_cast<const char*>(attribute->name));
        if (attribute->ns && attribute->ns->prefix) {
            name = QByteArray(reinterpret_cast<const char*>(attribute->ns->prefix)) + ':' + name;
        }
        const common::XmlChars value(xmlNodeListGetString(m_document, attribute->children, 1));
        QByteArray text(value ? reinterpret_cast<const char*>(value.get()) : "");
        text.replace('&', "&amp;").replace('"', "&quot;").replace('<', "&lt;");
        tag += ' ' + name + "=\"" + text + '"';
    }
    if (repeat) {
        tag += QByteArray(" ") + protocol::kRepeat + "=\"" + repeat + '"';
    }
    if (frame) {
        tag += QByteArray(" ") + protocol::kFrame + "=\"" + QByteArray::number(frame->index) + '"';
    }
    write(tag + '>');
}

void Cutter::writeEndTag(xmlNode* element)
{
    write("</" + nameOf(element) + '>');
}

void Cutter::writeLead(Frame* frame)
{
    // Column definitions draw nothing; everything else shown again is marked as a repeat.
    for (xmlNode* node : frame->lead) {
        const QByteArray name = isElement(node) ? nameOf(node) : QByteArray();
        if (!frame->opened || !isElement(node) || name == "col" || name == "colgroup") {
            if (frame->opened && !isElement(node)) {
                continue;
            }
            writeNode(node);
            continue;
        }
        writeStartTag(node, frame == m_body ? protocol::kRepeatTop : protocol::kRepeatInner);
        for (xmlNode* child = node->children; child; child = child->next) {
            writeNode(child);
        }
        writeEndTag(node);
    }
    frame->opened = true;
}

QByteArray Cutter::serialisePiece(qsizetype first, qsizetype last, bool isLast)
{
    QByteArray bytes;
    m_target = &bytes;
    std::vector<Frame*> open; // below the body
    writeLead(m_body);

    auto closeTo = [&](qsizetype depth) {
        while (qsizetype(open.size()) > depth) {
            writeEndTag(open.back()->element);
            open.pop_back();
        }
    };
    for (qsizetype i = first; i <= last; ++i) {
        const Item& item = m_items[i];
        const std::vector<Frame*>& path = item.frame->path; // path[0] is the body
        qsizetype common = 0;
        while (common < qsizetype(open.size()) && common + 1 < qsizetype(path.size()) &&
               open[common] == path[common + 1]) {
            ++common;
        }
        if (item.kind == Item::Trail) {
            if (item.frame == m_body) {
                continue; // the body's closing blocks come last of all
            }
            closeTo(qsizetype(path.size()) - 1);
            if (!m_partial) {
                for (xmlNode* node : item.frame->trail) {
                    writeNode(node);
                }
            }
            continue;
        }
        closeTo(common);
        for (qsizetype depth = common + 1; depth < qsizetype(path.size()); ++depth) {
            writeStartTag(path[depth]->element, nullptr, path[depth]);
            writeLead(path[depth]);
            open.push_back(path[depth]);
        }
        for (xmlNode* node : item.nodes) {
            writeNode(node);
        }
    }
    closeTo(0);
    if (isLast && !m_partial) {
        for (xmlNode* node : m_body->trail) {
            writeNode(node);
        }
    }
    xmlOutputBufferFlush(m_out);
    m_target = nullptr;
    return bytes;
}

} // namespace

const QList<QByteArray>& cuttableContainers()
{
    static const QList<QByteArray> names = {"body",       "div", "section", "article", "main",   "table", "tbody",
                                            "tfoot",      "ul",  "ol",      "dl",      "center", "form",  "fieldset",
                                            "blockquote", "td",  "th",      "li",      "dd"};
    return names;
}

PiecedDocument cutIntoPieces(_xmlDoc* document, const PieceLimits& limits, Completeness completeness)
{
    if (!document) {
        return {};
    }
    return Cutter(document, limits, completeness).run();
}

} // namespace render
