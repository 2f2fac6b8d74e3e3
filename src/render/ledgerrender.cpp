#include "render/ledgerrender.h"

#include "common/turkishformat.h"
#include "common/xmlhandles.h"
#include "render/pages.h"
#include "render/renderlimits.h"
#include "render/urlmapping.h"
#include "render/xsltenvironment.h"

#include "common/documentkind.h"
#include "common/xmlhandles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <vector>

#include <libxml/xmlIO.h>
#include <libxslt/imports.h>
#include <libxslt/transform.h>
#include <libxslt/xsltutils.h>

namespace render {

namespace {

using detail::ParseOutcome;
using detail::ParsePurpose;

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

void setFailure(RenderResult& result, FailureKind kind, const QString& file, const QString& reason, int line = 0,
                int column = 0)
{
    RenderFailure failure{kind, native(file), reason, line, column};
    result.html = failurePage(failure);
    result.mimeType = "text/html";
    result.title.clear();
    result.failure = std::move(failure);
}

RenderResult failed(RenderResult& result, FailureKind kind, const QString& file, const QString& reason, int line = 0,
                    int column = 0)
{
    setFailure(result, kind, file, reason, line, column);
    return std::move(result);
}

QString unescapeXmlText(QString text)
{
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
    return text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
}

// The href of the document's xml-stylesheet instruction, when it names an XSLT stylesheet;
// its pseudo-attributes are read as libxslt reads them.
std::optional<QString> stylesheetHref(xmlDocPtr doc)
{
    static const QRegularExpression pseudoAttribute(
        QStringLiteral("([A-Za-z_:][-A-Za-z0-9._:]*)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')"));
    static const QStringList xsltTypes{QStringLiteral("text/xsl"), QStringLiteral("text/xml"),
                                       QStringLiteral("application/xml"), QStringLiteral("application/xslt+xml"),
                                       QStringLiteral("application/xml+xslt")};
    for (xmlNodePtr node = doc->children; node != nullptr && node->type != XML_ELEMENT_NODE; node = node->next) {
        if (node->type != XML_PI_NODE || !xmlStrEqual(node->name, BAD_CAST "xml-stylesheet")) {
            continue;
        }
        QString type;
        std::optional<QString> href;
        auto matches = pseudoAttribute.globalMatch(QString::fromUtf8(reinterpret_cast<const char*>(node->content)));
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            const QString value = unescapeXmlText(match.captured(2) + match.captured(3));
            if (match.captured(1) == u"type") {
                type = value.trimmed();
            } else if (match.captured(1) == u"href") {
                href = value.trimmed();
            }
        }
        if (href && !href->isEmpty() && xsltTypes.contains(type, Qt::CaseInsensitive)) {
            return href;
        }
    }
    return std::nullopt;
}

struct StylesheetLocation
{
    QString path;     // the file to load; empty when neither place has it
    QString beside;   // where the instruction points, beside the ledger
    QString fallback; // the same name in the program's data folder
    QString refusal;  // set when the instruction names something that is not a local file
};

StylesheetLocation locateStylesheet(const QString& href, const QString& ledgerPath, const QString& fallbackFolder)
{
    StylesheetLocation location;
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:[/\\\\]"));
    QString relative;
    if (href.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
        location.beside = QUrl(href).toLocalFile();
    } else if (startsWithUrlScheme(href) && !href.contains(drive)) {
        location.refusal = QStringLiteral("Stil sayfası yerel bir dosya değil, yüklenmedi: %1").arg(href);
        return location;
    } else {
        relative = QUrl::fromPercentEncoding(href.toUtf8());
        location.beside = QDir::isAbsolutePath(relative)
                              ? relative
                              : QDir::cleanPath(QFileInfo(ledgerPath).absolutePath() + u'/' + relative);
    }
    if (!detail::insideFolder(location.beside, QFileInfo(ledgerPath).absolutePath())) {
        location.refusal =
            QStringLiteral("Stil sayfası defterin klasörünün dışında, yüklenmedi: %1").arg(native(location.beside));
        return location;
    }
    // A folder, a pipe or a link loop of that name is no reason to look elsewhere: reading it says what it is.
    const QFileInfo beside(location.beside);
    if (beside.exists() || beside.isSymLink()) {
        location.path = location.beside;
        return location;
    }
    const QString name = QFileInfo(location.beside).fileName();
    if (!fallbackFolder.isEmpty() && !name.isEmpty()) {
        location.fallback = QDir::cleanPath(fallbackFolder + u'/' + name);
        if (QFileInfo(location.fallback).isFile()) {
            location.path = location.fallback;
        }
    }
    return location;
}

// The first child element of `parent` named `localName` (any namespace).
xmlNodePtr childElement(xmlNodePtr parent, const char* localName)
{
    for (xmlNodePtr node = parent ? parent->children : nullptr; node != nullptr; node = node->next) {
        if (node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, BAD_CAST localName)) {
            return node;
        }
    }
    return nullptr;
}

// The document's kind by its root element (and a defter's entriesType).
common::DocumentKind kindOf(xmlDocPtr doc)
{
    const xmlNodePtr root = xmlDocGetRootElement(doc);
    if (root == nullptr) {
        return common::DocumentKind::Unknown;
    }
    const QString rootName = QString::fromUtf8(reinterpret_cast<const char*>(root->name));
    const QString rootNamespace =
        root->ns ? QString::fromUtf8(reinterpret_cast<const char*>(root->ns->href)) : QString();
    QString entriesType;
    if (common::kindNeedsEntriesType(rootName)) {
        const xmlNodePtr type = childElement(
            childElement(childElement(childElement(root, "xbrl"), "accountingEntries"), "documentInfo"), "entriesType");
        const common::XmlChars content(type ? xmlNodeGetContent(type) : nullptr);
        entriesType = QString::fromUtf8(reinterpret_cast<const char*>(content.get())).trimmed();
    }
    return common::documentKind(rootNamespace, rootName, entriesType);
}

// The program's own stylesheet for the ledger: the one of the name it asks for, when that is one
// of ours, else the one for its kind. Nothing found leaves the location without a path.
StylesheetLocation programStylesheet(const std::optional<QString>& href, xmlDocPtr doc, const QString& fallbackFolder)
{
    const QStringList& ours = common::programStylesheets();
    QString name = href ? QFileInfo(QUrl::fromPercentEncoding(href->toUtf8())).fileName().toLower() : QString();
    if (!ours.contains(name)) {
        name = common::stylesheetFor(kindOf(doc));
    }
    StylesheetLocation location;
    if (name.isEmpty()) {
        return location;
    }
    location.beside = location.fallback = QDir::cleanPath(fallbackFolder + u'/' + name);
    if (QFileInfo(location.fallback).isFile()) {
        location.path = location.fallback;
    }
    return location;
}

QString nodeText(xmlNodePtr node)
{
    const common::XmlChars content(xmlNodeGetContent(node));
    return QString::fromUtf8(reinterpret_cast<const char*>(content.get())).simplified();
}

bool isNamed(xmlNodePtr node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && xmlStrcasecmp(node->name, BAD_CAST name) == 0;
}

// The page's <title>, read from the result tree: html/title or html/head/title.
QString resultTitle(xmlDocPtr result)
{
    xmlNodePtr root = xmlDocGetRootElement(result);
    if (root == nullptr || !isNamed(root, "html")) {
        return {};
    }
    for (xmlNodePtr child = root->children; child != nullptr; child = child->next) {
        if (isNamed(child, "title")) {
            return nodeText(child);
        }
        if (!isNamed(child, "head")) {
            continue;
        }
        for (xmlNodePtr inner = child->children; inner != nullptr; inner = inner->next) {
            if (isNamed(inner, "title")) {
                return nodeText(inner);
            }
        }
    }
    return {};
}

QByteArray mimeTypeOf(xmlDocPtr result, xsltStylesheetPtr style)
{
    const xmlChar* method = nullptr;
    XSLT_GET_IMPORT_PTR(method, style, method)
    if (method != nullptr && xmlStrEqual(method, BAD_CAST "text")) {
        return "text/plain";
    }
    if (result->type == XML_HTML_DOCUMENT_NODE) {
        return "text/html";
    }
    xmlNodePtr root = xmlDocGetRootElement(result);
    return root != nullptr && isNamed(root, "html") ? "text/html" : "application/xml";
}

// The web view gets UTF-8 whatever the stylesheet asks for; libxslt then also writes UTF-8
// into the HTML meta tag and the XML declaration, so the page never contradicts itself.
void outputAsUtf8(xsltStylesheetPtr style)
{
    const xmlChar* encoding = nullptr;
    XSLT_GET_IMPORT_PTR(encoding, style, encoding)
    if (encoding == nullptr || xmlStrcasecmp(encoding, BAD_CAST "UTF-8") == 0) {
        return;
    }
    const common::XmlChars previous(std::exchange(style->encoding, xmlStrdup(BAD_CAST "UTF-8"))); // freed here
}

int appendToByteArray(void* context, const char* buffer, int length)
{
    static_cast<QByteArray*>(context)->append(buffer, length);
    return length;
}

QByteArray serialise(xmlDocPtr result, xsltStylesheetPtr style)
{
    QByteArray bytes;
    {
        // Closed before the bytes are returned: closing writes what is still buffered.
        const common::XmlOutputBuffer buffer(xmlOutputBufferCreateIO(appendToByteArray, nullptr, &bytes, nullptr));
        if (buffer) {
            xsltSaveResultTo(buffer.get(), result, style);
        }
    }
    return bytes;
}

bool isBlank(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t') {
            return false;
        }
    }
    return true;
}

constexpr qint64 kOutputPerLedgerByte = 20;
constexpr qint64 kOutputMargin = qint64(256) << 20;

// Sets the failure for a file the parser did not turn into a document; `what` says which.
void setParseFailure(RenderResult& result, const detail::ParsedDocument& parsed, const QString& path, ParsePurpose what)
{
    const bool ledger = what == ParsePurpose::Ledger;
    switch (parsed.outcome) {
    case ParseOutcome::Parsed:
        return;
    case ParseOutcome::Unreadable:
        setFailure(result, FailureKind::Unreadable, path,
                   (ledger ? QStringLiteral("Dosya açılamadı: %1") : QStringLiteral("Stil sayfası açılamadı: %1"))
                       .arg(parsed.reason));
        return;
    case ParseOutcome::NotWellFormed:
        if (ledger) {
            setFailure(result, FailureKind::NotWellFormed, path, parsed.reason, parsed.line, parsed.column);
        } else {
            setFailure(result, FailureKind::StylesheetInvalid, path,
                       QStringLiteral("Stil sayfası geçerli bir XML değil: %1").arg(parsed.reason), parsed.line,
                       parsed.column);
        }
        return;
    case ParseOutcome::Refused:
        setFailure(result, FailureKind::Refused, path, parsed.reason);
        return;
    case ParseOutcome::Cancelled:
        setFailure(result, FailureKind::Cancelled, path, {});
        return;
    }
}

// The compiled stylesheet, or nothing with the failure set in `result`.
common::XsltStylesheet compileStylesheet(RenderResult& result, detail::RenderSession& session, const QString& path)
{
    session.messages.clear();
    session.firstLine = 0;
    detail::ParsedDocument parsed = detail::parseFile(path, detail::fileUrl(path), ParsePurpose::Stylesheet);
    if (parsed.outcome != ParseOutcome::Parsed) {
        setParseFailure(result, parsed, path, ParsePurpose::Stylesheet);
        return nullptr;
    }
    common::XsltStylesheet style(xsltParseStylesheetDoc(parsed.doc.get()));
    session.flushPending();
    if (style) {
        parsed.doc.release(); // the stylesheet's now, freed with it
    } else {
        const FailureKind kind = session.refusal.isEmpty() ? FailureKind::StylesheetInvalid : FailureKind::Refused;
        setFailure(result, kind, path, session.detail(), session.firstLine);
    }
    return style;
}

// The trees a render leaves behind: freed as soon as they are dropped, or, when deferred, when
// this goes. Freeing millions of nodes, and the allocator's tidying up after it, cost a large
// ledger's render a tenth of its time: a caller that can hand the result on first defers it.
class Leftovers
{
public:
    explicit Leftovers(bool deferred) : m_deferred(deferred) {}
    Leftovers(const Leftovers&) = delete;
    Leftovers& operator=(const Leftovers&) = delete;
    ~Leftovers()
    {
        // The trees, the last made first, and then the stylesheet.
        while (!m_docs.empty()) {
            m_docs.pop_back();
        }
    }
    void drop(common::XmlDoc doc)
    {
        if (m_deferred) {
            m_docs.push_back(std::move(doc));
        }
    }
    void drop(common::XsltStylesheet style)
    {
        if (m_deferred) {
            m_style = std::move(style);
        }
    }

private:
    const bool m_deferred;
    common::XsltStylesheet m_style;
    std::vector<common::XmlDoc> m_docs;
};

struct Transformed
{
    common::XmlDoc output; // nothing when the transform produced none
    bool stateOk = false;  // the transform ran to its end
};

// Applies the stylesheet, stopped by a cancel request or by holding more than `budget` bytes.
Transformed applyStylesheet(detail::RenderSession& session, xmlDocPtr doc, xsltStylesheetPtr style, qint64 budget)
{
    session.messages.clear();
    session.firstLine = 0;
    const common::XsltTransformContext transform(xsltNewTransformContext(style, doc));
    detail::applySecurity(transform.get());
    if (detail::onRenderThread()) {
        transform->maxTemplateDepth = detail::kMaxTemplateDepth;
        transform->maxTemplateVars = detail::kMaxTemplateVars;
    }
    Transformed transformed;
    {
        detail::TransformScope scope(session, transform.get());
        detail::OutputBound bound(session, budget);
        transformed.output.reset(xsltApplyStylesheetUser(style, doc, nullptr, nullptr, nullptr, transform.get()));
    }
    transformed.stateOk = transform->state == XSLT_STATE_OK;
    return transformed;
}

// The first line of a transform's failure: which stylesheet failed.
QString stylesheetNoteOf(const RenderResult& result)
{
    return QStringLiteral("Stil sayfası: %1").arg(native(result.stylesheetPath));
}

// Sets the failure when the transform gave no page to show (`produced` false, or stopped, or
// refused something on the way) and says whether it did.
bool setTransformFailure(RenderResult& result, const detail::RenderSession& session, bool produced,
                         const QString& ledgerPath, qint64 budget)
{
    const QString stylesheetNote = stylesheetNoteOf(result);
    if (session.cancelled()) {
        setFailure(result, FailureKind::Cancelled, ledgerPath, {});
    } else if (session.outgrown) {
        setFailure(result, FailureKind::TransformFailed, ledgerPath,
                   stylesheetNote + QStringLiteral("\nStil sayfasının çıktısı %1 sınırını aştı (defterin %2 "
                                                   "katı artı %3, en çok boş belleğin yarısı); bilgisayar "
                                                   "yavaşlamasın ve program kapanmasın diye durduruldu.")
                                        .arg(common::sizeText(budget))
                                        .arg(kOutputPerLedgerByte)
                                        .arg(common::sizeText(kOutputMargin)));
    } else if (!session.refusal.isEmpty()) {
        // A refused load fails the page even where the stylesheet would carry on without it.
        const QString reason =
            session.messages.contains(session.refusal) ? session.detail() : session.refusal + u'\n' + session.detail();
        setFailure(result, FailureKind::Refused, result.stylesheetPath, stylesheetNote + u'\n' + reason);
    } else if (!produced) {
        const QString detail =
            session.messages.isEmpty() ? QStringLiteral("Stil sayfası işlemi durdurdu.") : session.detail();
        setFailure(result, FailureKind::TransformFailed, ledgerPath, stylesheetNote + u'\n' + detail);
    } else {
        return false;
    }
    return true;
}

// The result tree as the page: its title and type, and its bytes, whole or in pieces.
void writeOutput(RenderResult& result, xmlDocPtr output, xsltStylesheetPtr style,
                 const std::optional<PieceLimits>& pieces)
{
    result.title = resultTitle(output);
    result.mimeType = mimeTypeOf(output, style);
    outputAsUtf8(style);
    if (pieces && result.mimeType == "text/html") {
        result.pieces = cutIntoPieces(output, *pieces, result.partial ? Completeness::Partial : Completeness::Whole);
    } else {
        result.html = serialise(output, style);
    }
}

// Runs the stylesheet. Unless the leftovers are deferred, the source document is freed as soon
// as the result exists, so it and the serialised page never share memory with the (much larger)
// source tree.
RenderResult transformAndSerialise(RenderResult result, detail::RenderSession& session, common::XmlDoc doc,
                                   xsltStylesheetPtr style, const QString& ledgerPath,
                                   const std::optional<PieceLimits>& pieces, Leftovers& leftovers, qint64 budget)
{
    QElapsedTimer timer;
    timer.start();
    Transformed transformed = applyStylesheet(session, doc.get(), style, budget);
    leftovers.drop(std::move(doc));
    session.flushPending();
    result.timings.transform = timer.restart();
    if (setTransformFailure(result, session, transformed.output && transformed.stateOk, ledgerPath, budget)) {
        return result;
    }
    writeOutput(result, transformed.output.get(), style, pieces);
    leftovers.drop(std::move(transformed.output));
    result.timings.serialise = timer.elapsed();
    if (!result.pieces && isBlank(result.html)) {
        return failed(result, FailureKind::TransformFailed, ledgerPath,
                      stylesheetNoteOf(result) + QStringLiteral("\nStil sayfası bu belge için hiçbir çıktı üretmedi."));
    }
    return result;
}

RenderResult renderStylesheetless(RenderResult result, common::XmlDoc doc, const QString& ledgerPath)
{
    QElapsedTimer timer;
    timer.start();
    result.html = detail::xmlTreePage(doc.get(), ledgerPath);
    result.mimeType = "text/html";
    doc.reset();
    result.timings.serialise = timer.elapsed();
    return result;
}
// What a transform may hold beyond the ledger's tree, in the libraries' memory: its result tree,
// temporary trees, node sets and variables. A stylesheet recursing once per line holds its variables
// at every level (50,000 lines of a compact 1.5 MB kebir needed more than 94 MB); one that loops over
// the whole document inside such a loop grows without end, and is stopped instead of taking the machine.
qint64 outputBudget(qint64 ledgerBytes, std::optional<qint64> available)
{
    const qint64 bound = kOutputPerLedgerByte * qMax<qint64>(0, ledgerBytes) + kOutputMargin;
    return available ? qMin(bound, *available / 2) : bound;
}

// The reason a ledger of `ledgerBytes` is not rendered with `available` bytes free; empty when it fits.
QString tooLargeReason(qint64 ledgerBytes, std::optional<qint64> available)
{
    const qint64 needed = estimatedRenderMemory(ledgerBytes);
    if (!available || needed <= *available) {
        return {};
    }
    return QStringLiteral("Defter %1; göstermek için yaklaşık %2 bellek gerekiyor, bu bilgisayarda şu an %3 boş. "
                          "Bilgisayar yavaşlamasın ve program kapanmasın diye defter okunmadı.")
        .arg(common::sizeText(ledgerBytes), common::sizeText(needed), common::sizeText(*available));
}

struct StylesheetChoice
{
    StylesheetLocation location;
    bool ours = false;           // the program's own, for the ledger's kind
    std::optional<QString> href; // what the ledger's instruction names
};

// The program's own stylesheet when asked for and the ledger's kind is known; else the one the
// ledger names. Neither: no href, and the ledger is shown as a tree.
StylesheetChoice chooseStylesheet(const RenderRequest& request, xmlDocPtr doc, const QString& ledgerPath)
{
    StylesheetChoice choice;
    choice.href = stylesheetHref(doc);
    if (request.programStylesheets) {
        choice.location = programStylesheet(choice.href, doc, request.fallbackFolder);
    }
    // A ledger of no kind we know is shown as it asks, whatever the choice.
    choice.ours = !choice.location.beside.isEmpty();
    if (!choice.ours && choice.href) {
        choice.location = locateStylesheet(*choice.href, ledgerPath, request.fallbackFolder);
    }
    return choice;
}

RenderResult stylesheetNotFound(RenderResult& result, const StylesheetChoice& choice, const QString& ledgerPath)
{
    const StylesheetLocation& location = choice.location;
    if (!location.refusal.isEmpty()) {
        return failed(result, FailureKind::Refused, ledgerPath, location.refusal);
    }
    QString reason = choice.ours ? QStringLiteral("Programın kendi stil sayfası yok: %1").arg(native(location.fallback))
                                 : QStringLiteral("Belgenin istediği stil sayfası \"%1\" defterin yanında yok: %2")
                                       .arg(*choice.href, native(location.beside));
    if (!location.fallback.isEmpty() && !choice.ours) {
        reason += QStringLiteral("\nProgram klasöründe de yok: %1").arg(native(location.fallback));
    }
    return failed(result, FailureKind::StylesheetMissing, location.beside, reason);
}

RenderResult render(const RenderRequest& request, const detail::LedgerPrefix* prefix, Leftovers& leftovers)
{
    RenderResult result;
    result.partial = prefix != nullptr;
    detail::RenderSession session;
    session.cancel = request.cancel;
    detail::SessionScope scope(session);
    const QString ledgerPath = QFileInfo(request.ledgerPath).absoluteFilePath();
    if (session.cancelled()) {
        return failed(result, FailureKind::Cancelled, ledgerPath, {});
    }
    const qint64 ledgerBytes = prefix != nullptr ? prefix->bytes : QFileInfo(ledgerPath).size();
    const QString tooLarge =
        tooLargeReason(ledgerBytes, request.availableMemory ? request.availableMemory : availableMemory());
    if (!tooLarge.isEmpty()) {
        return failed(result, FailureKind::TooLarge, ledgerPath, tooLarge);
    }

    QElapsedTimer timer;
    timer.start();
    detail::ParsedDocument parsed =
        detail::parseFile(ledgerPath, detail::fileUrl(ledgerPath), ParsePurpose::Ledger, nullptr, prefix);
    result.timings.parse = timer.restart();
    if (parsed.outcome != ParseOutcome::Parsed) {
        setParseFailure(result, parsed, ledgerPath, ParsePurpose::Ledger);
        return result;
    }
    result.kind = kindOf(parsed.doc.get());
    const StylesheetChoice choice = chooseStylesheet(request, parsed.doc.get(), ledgerPath);
    if (!choice.ours && !choice.href) {
        return renderStylesheetless(std::move(result), std::move(parsed.doc), ledgerPath);
    }
    if (choice.location.path.isEmpty()) {
        return stylesheetNotFound(result, choice, ledgerPath);
    }
    result.stylesheetPath = native(choice.location.path);
    session.readableFolders = {QFileInfo(ledgerPath).absolutePath()};
    if (choice.location.path == choice.location.fallback) {
        session.readableFolders.append(request.fallbackFolder);
    }
    common::XsltStylesheet style = compileStylesheet(result, session, choice.location.path);
    result.timings.compile = timer.elapsed();
    if (!style) {
        return result;
    }
    if (session.cancelled()) {
        return failed(result, FailureKind::Cancelled, ledgerPath, {});
    }
    result = transformAndSerialise(
        std::move(result), session, std::move(parsed.doc), style.get(), ledgerPath, request.pieces, leftovers,
        outputBudget(ledgerBytes, request.availableMemory ? request.availableMemory : availableMemory()));
    leftovers.drop(std::move(style));
    return result;
}
} // namespace

common::Outcome RenderResult::outcome() const
{
    if (!failure) {
        return common::Outcome::done();
    }
    return cancelled() ? common::Outcome::stopped() : common::Outcome::failure(failure->message());
}

// Measured in the viewer (process tree, web engine included): a 13 MB journal peaks at 490 MB,
// 50 MB at 910 MB, 200 MB at 2.2 GB: 9 to 11 times the file beyond what the program already
// holds. The margin covers the stylesheet and the library's own bookkeeping.
qint64 estimatedRenderMemory(qint64 ledgerBytes)
{
    constexpr qint64 kBytesPerLedgerByte = 10;
    constexpr qint64 kMargin = qint64(64) << 20;
    return kBytesPerLedgerByte * qMax<qint64>(0, ledgerBytes) + kMargin;
}

RenderResult renderLedger(const RenderRequest& request)
{
    Leftovers now(false);
    RenderResult result = render(request, nullptr, now);
    detail::releaseFreedMemory();
    return result;
}

void renderLedger(const RenderRequest& request, const std::function<void(RenderResult)>& deliver)
{
    {
        Leftovers later(true);
        deliver(render(request, nullptr, later));
    }
    detail::releaseFreedMemory();
}

std::optional<RenderResult> renderLedgerBeginning(const RenderRequest& request, qint64 budget)
{
    const std::optional<detail::LedgerPrefix> prefix = detail::findLedgerPrefix(request.ledgerPath, budget);
    if (!prefix) {
        return std::nullopt;
    }
    Leftovers now(false);
    return render(request, &*prefix, now);
}

} // namespace render
