#include "render/ledgerrender.h"
#include "render/pages.h"
#include "render/renderlimits.h"
#include "render/xsltenvironment.h"

#include "common/documentkind.h"
#include "common/xmlhandles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
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
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:[/\\\\]"));
    QString relative;
    if (href.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
        location.beside = QUrl(href).toLocalFile();
    } else if (href.contains(scheme) && !href.contains(drive)) {
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

// Which of the program's stylesheets shows this kind of ledger; empty when the kind is unknown.
QString stylesheetForKind(xmlDocPtr doc)
{
    const xmlNodePtr root = xmlDocGetRootElement(doc);
    if (root == nullptr) {
        return {};
    }
    const QString rootName = QString::fromUtf8(reinterpret_cast<const char*>(root->name));
    QString entriesType;
    if (common::kindNeedsEntriesType(rootName)) {
        const xmlNodePtr type = childElement(
            childElement(childElement(childElement(root, "xbrl"), "accountingEntries"), "documentInfo"), "entriesType");
        const common::XmlChars content(type ? xmlNodeGetContent(type) : nullptr);
        entriesType = QString::fromUtf8(reinterpret_cast<const char*>(content.get())).trimmed();
    }
    return common::stylesheetFor(common::documentKind(rootName, entriesType));
}

// The program's own stylesheet for the ledger: the one of the name it asks for, when that is one
// of ours, else the one for its kind. Nothing found leaves the location without a path.
StylesheetLocation programStylesheet(const std::optional<QString>& href, xmlDocPtr doc, const QString& fallbackFolder)
{
    const QStringList& ours = common::programStylesheets();
    QString name = href ? QFileInfo(QUrl::fromPercentEncoding(href->toUtf8())).fileName().toLower() : QString();
    if (!ours.contains(name)) {
        name = stylesheetForKind(doc);
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
    xmlChar* content = xmlNodeGetContent(node);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(content)).simplified();
    xmlFree(content);
    return text;
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
    xmlFree(style->encoding);
    style->encoding = xmlStrdup(BAD_CAST "UTF-8");
}

int appendToByteArray(void* context, const char* buffer, int length)
{
    static_cast<QByteArray*>(context)->append(buffer, length);
    return length;
}

QByteArray serialise(xmlDocPtr result, xsltStylesheetPtr style)
{
    QByteArray bytes;
    xmlOutputBufferPtr buffer = xmlOutputBufferCreateIO(appendToByteArray, nullptr, &bytes, nullptr);
    if (buffer == nullptr) {
        return bytes;
    }
    xsltSaveResultTo(buffer, result, style);
    xmlOutputBufferClose(buffer);
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

QString sizeText(qint64 bytes);

constexpr qint64 kOutputPerLedgerByte = 20;
constexpr qint64 kOutputMargin = qint64(256) << 20;

// The compiled stylesheet, or nullptr with the failure set in `result`.
xsltStylesheetPtr compileStylesheet(RenderResult& result, detail::RenderSession& session, const QString& path)
{
    session.messages.clear();
    session.firstLine = 0;
    detail::ParsedDocument parsed = detail::parseFile(path, detail::fileUrl(path), ParsePurpose::Stylesheet);
    switch (parsed.outcome) {
    case ParseOutcome::Parsed:
        break;
    case ParseOutcome::Unreadable:
        setFailure(result, FailureKind::Unreadable, path,
                   QStringLiteral("Stil sayfası açılamadı: %1").arg(parsed.reason));
        return nullptr;
    case ParseOutcome::NotWellFormed:
        setFailure(result, FailureKind::StylesheetInvalid, path,
                   QStringLiteral("Stil sayfası geçerli bir XML değil: %1").arg(parsed.reason), parsed.line,
                   parsed.column);
        return nullptr;
    case ParseOutcome::Refused:
        setFailure(result, FailureKind::Refused, path, parsed.reason);
        return nullptr;
    case ParseOutcome::Cancelled:
        setFailure(result, FailureKind::Cancelled, path, {});
        return nullptr;
    }
    xsltStylesheetPtr style = xsltParseStylesheetDoc(parsed.doc);
    session.flushPending();
    if (style == nullptr) {
        xmlFreeDoc(parsed.doc);
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
        for (auto doc = m_docs.rbegin(); doc != m_docs.rend(); ++doc) {
            xmlFreeDoc(*doc);
        }
        if (m_style != nullptr) {
            xsltFreeStylesheet(m_style);
        }
    }
    void drop(xmlDocPtr doc)
    {
        if (m_deferred) {
            m_docs.push_back(doc);
        } else {
            xmlFreeDoc(doc);
        }
    }
    void drop(xsltStylesheetPtr style)
    {
        if (m_deferred) {
            m_style = style;
        } else {
            xsltFreeStylesheet(style);
        }
    }

private:
    const bool m_deferred;
    std::vector<xmlDocPtr> m_docs;
    xsltStylesheetPtr m_style = nullptr;
};

// Runs the stylesheet. Unless the leftovers are deferred, the source document is freed as soon
// as the result exists, so it and the serialised page never share memory with the (much larger)
// source tree.
RenderResult transformAndSerialise(RenderResult result, detail::RenderSession& session, xmlDocPtr doc,
                                   xsltStylesheetPtr style, const QString& ledgerPath,
                                   const std::optional<PieceLimits>& pieces, Leftovers& leftovers, qint64 budget)
{
    QElapsedTimer timer;
    timer.start();
    session.messages.clear();
    session.firstLine = 0;
    xsltTransformContextPtr transform = xsltNewTransformContext(style, doc);
    detail::applySecurity(transform);
    if (detail::onRenderThread()) {
        transform->maxTemplateDepth = detail::kMaxTemplateDepth;
        transform->maxTemplateVars = detail::kMaxTemplateVars;
    }
    xmlDocPtr output = nullptr;
    {
        detail::TransformScope scope(session, transform);
        detail::OutputBound bound(session, budget);
        output = xsltApplyStylesheetUser(style, doc, nullptr, nullptr, nullptr, transform);
    }
    const bool stateOk = transform->state == XSLT_STATE_OK;
    xsltFreeTransformContext(transform);
    leftovers.drop(doc);
    session.flushPending();
    result.timings.transform = timer.restart();

    const QString stylesheetNote = QStringLiteral("Stil sayfası: %1").arg(native(result.stylesheetPath));
    if (session.cancelled()) {
        xmlFreeDoc(output);
        return failed(result, FailureKind::Cancelled, ledgerPath, {});
    }
    if (session.outgrown) {
        xmlFreeDoc(output);
        return failed(result, FailureKind::TransformFailed, ledgerPath,
                      stylesheetNote + QStringLiteral("\nStil sayfasının çıktısı %1 sınırını aştı (defterin %2 "
                                                      "katı artı %3, en çok boş belleğin yarısı); bilgisayar "
                                                      "yavaşlamasın ve program kapanmasın diye durduruldu.")
                                           .arg(sizeText(budget))
                                           .arg(kOutputPerLedgerByte)
                                           .arg(sizeText(kOutputMargin)));
    }
    // A refused load fails the page even where the stylesheet would carry on without it.
    if (!session.refusal.isEmpty()) {
        xmlFreeDoc(output);
        const QString reason =
            session.messages.contains(session.refusal) ? session.detail() : session.refusal + u'\n' + session.detail();
        return failed(result, FailureKind::Refused, result.stylesheetPath, stylesheetNote + u'\n' + reason);
    }
    if (output == nullptr || !stateOk) {
        xmlFreeDoc(output);
        const QString detail =
            session.messages.isEmpty() ? QStringLiteral("Stil sayfası işlemi durdurdu.") : session.detail();
        return failed(result, FailureKind::TransformFailed, ledgerPath, stylesheetNote + u'\n' + detail);
    }

    result.title = resultTitle(output);
    result.mimeType = mimeTypeOf(output, style);
    outputAsUtf8(style);
    if (pieces && result.mimeType == "text/html") {
        result.pieces = cutIntoPieces(output, *pieces, result.partial ? Completeness::Partial : Completeness::Whole);
    } else {
        result.html = serialise(output, style);
    }
    leftovers.drop(output);
    result.timings.serialise = timer.elapsed();
    if (!result.pieces && isBlank(result.html)) {
        return failed(result, FailureKind::TransformFailed, ledgerPath,
                      stylesheetNote + QStringLiteral("\nStil sayfası bu belge için hiçbir çıktı üretmedi."));
    }
    return result;
}

RenderResult renderStylesheetless(RenderResult result, xmlDocPtr doc, const QString& ledgerPath)
{
    QElapsedTimer timer;
    timer.start();
    result.html = detail::xmlTreePage(doc, ledgerPath);
    result.mimeType = "text/html";
    xmlFreeDoc(doc);
    result.timings.serialise = timer.elapsed();
    return result;
}

// "850 MB", "2,3 GB"
QString sizeText(qint64 bytes)
{
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    constexpr double kMiB = 1024.0 * 1024.0;
    if (bytes < qint64(1024) * 1024 * 1024) {
        return QStringLiteral("%1 MB").arg(qRound64(bytes / kMiB));
    }
    return QStringLiteral("%1 GB").arg(turkish.toString(bytes / (kMiB * 1024.0), 'f', 1));
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
        .arg(sizeText(ledgerBytes), sizeText(needed), sizeText(*available));
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
    switch (parsed.outcome) {
    case ParseOutcome::Parsed:
        break;
    case ParseOutcome::Unreadable:
        return failed(result, FailureKind::Unreadable, ledgerPath,
                      QStringLiteral("Dosya açılamadı: %1").arg(parsed.reason));
    case ParseOutcome::NotWellFormed:
        return failed(result, FailureKind::NotWellFormed, ledgerPath, parsed.reason, parsed.line, parsed.column);
    case ParseOutcome::Refused:
        return failed(result, FailureKind::Refused, ledgerPath, parsed.reason);
    case ParseOutcome::Cancelled:
        return failed(result, FailureKind::Cancelled, ledgerPath, {});
    }
    xmlDocPtr doc = parsed.doc;

    const std::optional<QString> href = stylesheetHref(doc);
    StylesheetLocation location;
    if (request.programStylesheets) {
        location = programStylesheet(href, doc, request.fallbackFolder);
    }
    // A ledger of no kind we know is shown as it asks, whatever the choice.
    const bool ours = !location.beside.isEmpty();
    if (!ours) {
        if (!href) {
            return renderStylesheetless(std::move(result), doc, ledgerPath);
        }
        location = locateStylesheet(*href, ledgerPath, request.fallbackFolder);
    }
    if (location.path.isEmpty()) {
        xmlFreeDoc(doc);
        if (!location.refusal.isEmpty()) {
            return failed(result, FailureKind::Refused, ledgerPath, location.refusal);
        }
        QString reason = ours ? QStringLiteral("Programın kendi stil sayfası yok: %1").arg(native(location.fallback))
                              : QStringLiteral("Belgenin istediği stil sayfası \"%1\" defterin yanında yok: %2")
                                    .arg(*href, native(location.beside));
        if (!location.fallback.isEmpty() && !ours) {
            reason += QStringLiteral("\nProgram klasöründe de yok: %1").arg(native(location.fallback));
        }
        return failed(result, FailureKind::StylesheetMissing, location.beside, reason);
    }
    result.stylesheetPath = native(location.path);
    session.readableFolders = {QFileInfo(ledgerPath).absolutePath()};
    if (location.path == location.fallback) {
        session.readableFolders.append(request.fallbackFolder);
    }
    xsltStylesheetPtr style = compileStylesheet(result, session, location.path);
    result.timings.compile = timer.elapsed();
    if (style == nullptr) {
        xmlFreeDoc(doc);
        return result;
    }
    if (session.cancelled()) {
        xmlFreeDoc(doc);
        xsltFreeStylesheet(style);
        return failed(result, FailureKind::Cancelled, ledgerPath, {});
    }
    result = transformAndSerialise(
        std::move(result), session, doc, style, ledgerPath, request.pieces, leftovers,
        outputBudget(ledgerBytes, request.availableMemory ? request.availableMemory : availableMemory()));
    leftovers.drop(style);
    return result;
}

} // namespace

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
