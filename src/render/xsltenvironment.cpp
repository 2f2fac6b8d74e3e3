#include "render/xsltenvironment.h"

#include "common/paths.h"
#include "common/xmlpreflight.h"
#include "render/urlmapping.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <libexslt/exslt.h>
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>
#include <libxslt/documents.h>
#include <libxslt/extensions.h>
#include <libxslt/extra.h>
#include <libxslt/functions.h>
#include <libxslt/security.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltutils.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <mutex>
#include <optional>
#include <utility>

namespace render::detail {

namespace {

thread_local RenderSession* tl_session = nullptr;
thread_local bool tl_renderThread = false;

constexpr int kMaxMessages = 200;
constexpr int kMaxMessageLength = 4000;
constexpr std::chrono::milliseconds kCancelPollInterval{50};

// The libraries' memory this thread holds (allocated here, less what was freed here), and the
// most it may hold before the transform running on it is stopped.
thread_local qint64 tl_heldBytes = 0;
thread_local qint64 tl_heldLimit = std::numeric_limits<qint64>::max();

xsltSecurityPrefsPtr g_securityPrefs = nullptr;
xmlExternalEntityLoader g_defaultEntityLoader = nullptr;

QString formatVarargs(const char* format, va_list args)
{
    char buffer[1024];
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(buffer, sizeof buffer, format, args);
    QString text;
    if (needed < 0) {
        text = QString::fromUtf8(format);
    } else if (needed < int(sizeof buffer)) {
        text = QString::fromUtf8(buffer, needed);
    } else {
        QByteArray big(needed + 1, '\0');
        std::vsnprintf(big.data(), big.size(), format, copy);
        text = QString::fromUtf8(big.constData(), needed);
    }
    va_end(copy);
    return text;
}

// libxslt reports through one process-wide function; it hands each thread's messages to the
// session running on that thread.
void genericError(void*, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const QString text = formatVarargs(format, args);
    va_end(args);
    if (tl_session == nullptr) {
        std::fputs(text.toLocal8Bit().constData(), stderr);
        return;
    }
    tl_session->pendingMessage += text;
    if (tl_session->pendingMessage.contains(u'\n')) {
        tl_session->flushPending();
    }
}

QString describeError(const xmlError* error)
{
    QString message = QString::fromUtf8(error->message ? error->message : "").trimmed();
    if (error->line > 0 && error->int2 > 0) {
        return QStringLiteral("satır %1, sütun %2: %3").arg(error->line).arg(error->int2).arg(message);
    }
    if (error->line > 0) {
        return QStringLiteral("satır %1: %2").arg(error->line).arg(message);
    }
    return message;
}

void structuredError(void*, xmlErrorPtr error)
{
    if (tl_session != nullptr && error != nullptr) {
        tl_session->addMessage(describeError(error));
    }
}

void noteRefusal(const QString& what)
{
    if (tl_session == nullptr) {
        return;
    }
    if (tl_session->refusal.isEmpty()) {
        tl_session->refusal = what;
    }
    tl_session->addMessage(what);
}

int forbidWriteFile(xsltSecurityPrefsPtr, xsltTransformContextPtr, const char* value)
{
    noteRefusal(QStringLiteral("Stil sayfasının dosya yazması engellendi: %1").arg(QString::fromUtf8(value)));
    return 0;
}

int forbidCreateDirectory(xsltSecurityPrefsPtr, xsltTransformContextPtr, const char* value)
{
    noteRefusal(QStringLiteral("Stil sayfasının klasör oluşturması engellendi: %1").arg(QString::fromUtf8(value)));
    return 0;
}

int forbidReadNetwork(xsltSecurityPrefsPtr, xsltTransformContextPtr, const char* value)
{
    noteRefusal(QStringLiteral("Stil sayfasının ağdan okuması engellendi: %1").arg(QString::fromUtf8(value)));
    return 0;
}

int forbidWriteNetwork(xsltSecurityPrefsPtr, xsltTransformContextPtr, const char* value)
{
    noteRefusal(QStringLiteral("Stil sayfasının ağa yazması engellendi: %1").arg(QString::fromUtf8(value)));
    return 0;
}

// What xsl:import, xsl:include and document() load: local files only, read-only, with no
// external entities.
xmlDocPtr loadForXslt(const xmlChar* uri, xmlDictPtr dict, int, void*, xsltLoadType)
{
    const QByteArray uriText(reinterpret_cast<const char*>(uri));
    const QString path = localFileFromUri(uriText);
    if (path.isEmpty()) {
        noteRefusal(QStringLiteral("Yerel olmayan adres yüklenmedi: %1").arg(QString::fromUtf8(uriText)));
        return nullptr;
    }
    // A stylesheet reaches its own folder and the ledger's: what it reads lands in a page the
    // user may print and pass on.
    const QStringList folders = tl_session != nullptr ? tl_session->readableFolders : QStringList();
    if (std::none_of(folders.begin(), folders.end(), [&](const QString& f) { return insideFolder(path, f); })) {
        noteRefusal(QStringLiteral("Stil sayfası defterin klasörü dışındaki bir dosyayı okumak istedi, okunmadı: %1")
                        .arg(QDir::toNativeSeparators(path)));
        return nullptr;
    }
    // document('') reads the stylesheet itself, which may declare internal entities (&nbsp;), so
    // every loaded file gets the stylesheet rules: internal entities only, within libxml2's limits.
    ParsedDocument parsed = parseFile(path, uriText, ParsePurpose::Stylesheet, dict);
    // A file that cannot be read is no empty document: the page would quietly lack what it holds.
    if (parsed.outcome == ParseOutcome::Refused) {
        noteRefusal(parsed.reason);
    } else if (parsed.outcome != ParseOutcome::Parsed && parsed.outcome != ParseOutcome::Cancelled) {
        noteRefusal(QStringLiteral("Stil sayfasının okumak istediği dosya okunamadı: %1: %2")
                        .arg(QDir::toNativeSeparators(path), parsed.reason));
    }
    return parsed.doc.release();
}

// Defence in depth behind XML_PARSE_NONET: nothing parsed in this process fetches from a network.
xmlParserInputPtr localOnlyEntityLoader(const char* url, const char* id, xmlParserCtxtPtr context)
{
    if (url != nullptr && localFileFromUri(QByteArray(url)).isEmpty()) {
        noteRefusal(QStringLiteral("Dış varlık yüklenmedi: %1").arg(QString::fromUtf8(url)));
        return nullptr;
    }
    return g_defaultEntityLoader(url, id, context);
}

void stopOutgrownTransform()
{
    tl_heldLimit = std::numeric_limits<qint64>::max();
    if (tl_session == nullptr || tl_session->transform == nullptr) {
        return;
    }
    tl_session->outgrown = true;
    xsltTransformContextPtr transform = tl_session->transform;
    transform->state = XSLT_STATE_STOPPED;
    if (transform->xpathCtxt != nullptr) {
        transform->xpathCtxt->opCount = 1;
        transform->xpathCtxt->opLimit = 1;
    }
}

void hold(qint64 bytes)
{
    tl_heldBytes += bytes;
    if (tl_heldBytes > tl_heldLimit) {
        stopOutgrownTransform();
    }
}

void* countedMalloc(size_t size)
{
    void* block = std::malloc(size);
    if (block != nullptr) {
        hold(qint64(allocationSize(block)));
    }
    return block;
}

void* countedRealloc(void* old, size_t size)
{
    const qint64 before = old != nullptr ? qint64(allocationSize(old)) : 0;
    void* block = std::realloc(old, size);
    if (block != nullptr) {
        hold(qint64(allocationSize(block)) - before);
    }
    return block;
}

void countedFree(void* block)
{
    if (block != nullptr) {
        tl_heldBytes -= qint64(allocationSize(block));
    }
    std::free(block);
}

char* countedStrdup(const char* text)
{
    const size_t size = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(countedMalloc(size));
    if (copy != nullptr) {
        std::memcpy(copy, text, size);
    }
    return copy;
}

void initialiseLibraries()
{
    // Plain malloc underneath, so blocks allocated before this, or freed by others, stay valid.
    xmlGcMemSetup(countedFree, countedMalloc, countedMalloc, countedRealloc, countedStrdup);
    xmlInitParser();
    xsltInit();
    exsltRegisterAll();
    // Stylesheets written for Windows use Microsoft's spelling of exsl:node-set.
    xsltRegisterExtModuleFunction(BAD_CAST "node-set", BAD_CAST "urn:schemas-microsoft-com:xslt", xsltFunctionNodeSet);
    xsltSetGenericErrorFunc(nullptr, genericError);
    xsltSetLoaderFunc(loadForXslt);

    g_securityPrefs = xsltNewSecurityPrefs();
    xsltSetSecurityPrefs(g_securityPrefs, XSLT_SECPREF_WRITE_FILE, forbidWriteFile);
    xsltSetSecurityPrefs(g_securityPrefs, XSLT_SECPREF_CREATE_DIRECTORY, forbidCreateDirectory);
    xsltSetSecurityPrefs(g_securityPrefs, XSLT_SECPREF_READ_NETWORK, forbidReadNetwork);
    xsltSetSecurityPrefs(g_securityPrefs, XSLT_SECPREF_WRITE_NETWORK, forbidWriteNetwork);
    // The default prefs guard what compiling a stylesheet loads (xsl:import, xsl:include).
    xsltSetDefaultSecurityPrefs(g_securityPrefs);

    g_defaultEntityLoader = xmlGetExternalEntityLoader();
    xmlSetExternalEntityLoader(localOnlyEntityLoader);
}

struct ParseGuard
{
    ParsePurpose purpose = ParsePurpose::Ledger;
    QString refusal;
    bool haveError = false;
    QString errorMessage;
    int errorLine = 0;
    int errorColumn = 0;
};

struct FileInput
{
    QFile file;
    bool cancelled = false;
    bool failed = false;
    QString error;
    // When reading only a ledger's beginning: how much of the file is left to give, then what
    // closes the document.
    qint64 remaining = -1;
    QByteArray closing;
};

int readFailed(FileInput& input)
{
    const std::error_code code(errno, std::generic_category());
    input.failed = true;
    input.error = code ? common::describeFileError(code) : input.file.errorString();
    return -1;
}

// The rest of a prefix read: the file up to the cut, then the closing tags.
int readPrefix(FileInput& input, char* buffer, int length)
{
    if (input.remaining > 0) {
        errno = 0;
        const qint64 count = input.file.read(buffer, qMin<qint64>(length, input.remaining));
        if (count < 0) {
            return readFailed(input);
        }
        input.remaining -= count;
        return int(count);
    }
    const int count = int(qMin<qsizetype>(length, input.closing.size()));
    std::memcpy(buffer, input.closing.constData(), size_t(count));
    input.closing.remove(0, count);
    return count;
}

int readInput(void* context, char* buffer, int length)
{
    auto* input = static_cast<FileInput*>(context);
    if (tl_session != nullptr && tl_session->cancelled()) {
        input->cancelled = true;
        return -1;
    }
    if (input->remaining >= 0) {
        return readPrefix(*input, buffer, length);
    }
    errno = 0;
    const qint64 count = input->file.read(buffer, length);
    if (count < 0) {
        return readFailed(*input);
    }
    return int(count);
}

int closeInput(void*)
{
    return 0;
}

ParseGuard* guardOf(void* context)
{
    return static_cast<ParseGuard*>(static_cast<xmlParserCtxtPtr>(context)->_private);
}

// Ledgers never declare entities, so any declaration is an attack (an external entity or an
// expansion bomb); stylesheets may use internal ones.
void checkEntityDecl(void* context, const xmlChar* name, int type, const xmlChar* publicId, const xmlChar* systemId,
                     xmlChar* content)
{
    ParseGuard* guard = guardOf(context);
    const bool external = type == XML_EXTERNAL_GENERAL_PARSED_ENTITY || type == XML_EXTERNAL_GENERAL_UNPARSED_ENTITY ||
                          type == XML_EXTERNAL_PARAMETER_ENTITY;
    if (guard->purpose == ParsePurpose::Stylesheet && !external) {
        xmlSAX2EntityDecl(context, name, type, publicId, systemId, content);
        return;
    }
    const QString entity = QString::fromUtf8(reinterpret_cast<const char*>(name));
    guard->refusal = external ? QStringLiteral("Belge dış varlık (external entity) tanımlıyor: %1").arg(entity)
                              : QStringLiteral("Belge varlık (entity) tanımlıyor: %1; e-Defter dosyaları varlık "
                                               "tanımlamaz, genişletme saldırısı olabilir")
                                    .arg(entity);
    xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
}

void refuseUnparsedEntityDecl(void* context, const xmlChar* name, const xmlChar*, const xmlChar*, const xmlChar*)
{
    guardOf(context)->refusal = QStringLiteral("Belge dış varlık (unparsed entity) tanımlıyor: %1")
                                    .arg(QString::fromUtf8(reinterpret_cast<const char*>(name)));
    xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
}

void captureParseError(void* context, xmlErrorPtr error)
{
    ParseGuard* guard = guardOf(context);
    if (error->level >= XML_ERR_ERROR && !guard->haveError) {
        guard->haveError = true;
        guard->errorMessage = QString::fromUtf8(error->message ? error->message : "").trimmed();
        guard->errorLine = error->line;
        guard->errorColumn = error->int2;
    }
    structuredError(nullptr, error);
}

} // namespace

void RenderSession::addMessage(const QString& message)
{
    const QString text = message.trimmed();
    if (text.isEmpty() || messages.size() >= kMaxMessages) {
        return;
    }
    if (firstLine == 0) {
        static const QRegularExpression linePattern(QStringLiteral("\\b(?:line|satır) (\\d+)"));
        const QRegularExpressionMatch match = linePattern.match(text);
        if (match.hasMatch()) {
            firstLine = match.captured(1).toInt();
        }
    }
    messages.append(text.size() > kMaxMessageLength ? text.left(kMaxMessageLength) + QStringLiteral(" …") : text);
}

void RenderSession::flushPending()
{
    const qsizetype lastNewline = pendingMessage.lastIndexOf(u'\n');
    const QString complete = lastNewline < 0 ? pendingMessage : pendingMessage.left(lastNewline);
    pendingMessage = lastNewline < 0 ? QString() : pendingMessage.mid(lastNewline + 1);
    for (const QString& line : complete.split(u'\n')) {
        addMessage(line);
    }
}

QString RenderSession::detail(int maxLines) const
{
    QStringList shown = messages.mid(0, maxLines);
    if (messages.size() > maxLines) {
        shown.append(QStringLiteral("… (%1 ileti daha)").arg(messages.size() - maxLines));
    }
    return shown.join(u'\n');
}

SessionScope::SessionScope(RenderSession& session)
{
    ensureInitialised();
    m_previous = tl_session;
    m_structuredContext = xmlStructuredErrorContext;
    m_structured = xmlStructuredError;
    m_genericContext = xmlGenericErrorContext;
    m_generic = xmlGenericError;
    tl_session = &session;
    xmlSetStructuredErrorFunc(nullptr, structuredError);
    xmlSetGenericErrorFunc(nullptr, genericError);
}

SessionScope::~SessionScope()
{
    if (tl_session != nullptr) {
        tl_session->flushPending();
    }
    xmlSetStructuredErrorFunc(m_structuredContext, m_structured);
    xmlSetGenericErrorFunc(m_genericContext, m_generic);
    tl_session = m_previous;
}

TransformScope::TransformScope(RenderSession& session, xsltTransformContextPtr transform) : m_session(session)
{
    m_session.transform = transform;
    if (m_session.cancel != nullptr) {
        m_watcher = std::thread(&TransformScope::watchForCancel, this);
    }
}

TransformScope::~TransformScope()
{
    if (m_watcher.joinable()) {
        {
            const std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_wake.notify_one();
        m_watcher.join();
    }
    m_session.transform = nullptr;
}

// libxslt checks its state between instructions, so setting it from here stops the transform
// soon after a cancel request, at no cost to the transform itself. One XPath expression can run
// for minutes without reaching the next instruction (//*[count(//*) > 0]); libxml2 counts the
// steps of an expression only under a limit, and exceeding it ends the expression with an error.
void TransformScope::watchForCancel()
{
    std::unique_lock lock(m_mutex);
    while (!m_finished) {
        if (m_session.cancelled()) {
            xsltTransformContextPtr transform = m_session.transform;
            transform->state = XSLT_STATE_STOPPED;
            if (transform->xpathCtxt != nullptr) {
                transform->xpathCtxt->opCount = 1;
                transform->xpathCtxt->opLimit = 1;
            }
            return;
        }
        m_wake.wait_for(lock, kCancelPollInterval);
    }
}

OutputBound::OutputBound(RenderSession& session, qint64 budget) : m_previousLimit(tl_heldLimit)
{
    session.outgrown = false;
    tl_heldLimit = budget >= std::numeric_limits<qint64>::max() - tl_heldBytes ? std::numeric_limits<qint64>::max()
                                                                               : tl_heldBytes + budget;
}

OutputBound::~OutputBound()
{
    tl_heldLimit = m_previousLimit;
}

void ensureInitialised()
{
    static std::once_flag once;
    std::call_once(once, initialiseLibraries);
}

// Before any parsing, whether the file is one to read at all: a regular file, of a shape the
// parser survives. Nothing when it is; else what it is instead.
std::optional<ParsedDocument> refusedBeforeParsing(const QString& path, ParsePurpose purpose,
                                                   const LedgerPrefix* prefix)
{
    common::XmlShapeLimits limits;
    limits.allowDoctype = purpose == ParsePurpose::Stylesheet;
    const common::XmlPreflight preflight = common::preflightXmlFile(
        path, limits, prefix ? prefix->bytes : -1, tl_session != nullptr ? tl_session->cancel : nullptr);
    if (preflight.ok()) {
        return std::nullopt;
    }
    ParsedDocument result;
    result.reason = preflight.problem;
    if (preflight.verdict == common::XmlPreflight::Verdict::Cancelled) {
        result.outcome = ParseOutcome::Cancelled;
    } else if (preflight.verdict != common::XmlPreflight::Verdict::Unreadable &&
               preflight.verdict != common::XmlPreflight::Verdict::NotRegularFile) {
        result.outcome = ParseOutcome::Refused;
    }
    return result;
}

// A parser reading `input`, guarded by `guard`: entity declarations checked, the first error kept.
common::XmlParserContext guardedParser(FileInput& input, const QByteArray& url, xmlDictPtr dict, ParseGuard& guard)
{
    common::XmlParserContext owner(
        xmlCreateIOParserCtxt(nullptr, nullptr, readInput, closeInput, &input, XML_CHAR_ENCODING_NONE));
    xmlParserCtxtPtr ctxt = owner.get();
    if (ctxt == nullptr) {
        return owner;
    }
    if (dict != nullptr) {
        xmlDictFree(ctxt->dict);
        ctxt->dict = dict;
        xmlDictReference(dict);
    }
    // Base64 attachments in ledgers exceed libxml2's 10 MB text-node limit; with every entity
    // declaration refused, lifting it opens no expansion attack. A ledger's indentation is
    // dropped, as the XML parser ledger stylesheets were written for drops it by default: a fifth
    // less memory and time on a large journal, and the same output from our stylesheets.
    const int options = guard.purpose == ParsePurpose::Ledger ? XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_HUGE |
                                                                    XML_PARSE_COMPACT | XML_PARSE_NOBLANKS
                                                              : XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_NOENT;
    xmlCtxtUseOptions(ctxt, options);
    ctxt->linenumbers = 1;
    ctxt->_private = &guard;
    ctxt->sax->entityDecl = checkEntityDecl;
    ctxt->sax->unparsedEntityDecl = refuseUnparsedEntityDecl;
    ctxt->sax->serror = captureParseError;
    if (ctxt->input != nullptr && ctxt->input->filename == nullptr) {
        ctxt->input->filename = reinterpret_cast<const char*>(xmlStrdup(BAD_CAST url.constData()));
    }
    return owner;
}

// What a finished parse came to; the document goes to the result only when it is whole.
ParsedDocument parseOutcome(common::XmlDoc doc, bool wellFormed, const ParseGuard& guard, const FileInput& input,
                            const QByteArray& url)
{
    ParsedDocument result;
    if (!guard.refusal.isEmpty()) {
        result.outcome = ParseOutcome::Refused;
        result.reason = guard.refusal;
    } else if (input.cancelled) {
        result.outcome = ParseOutcome::Cancelled;
    } else if (input.failed) {
        result.outcome = ParseOutcome::Unreadable;
        result.reason = input.error;
    } else if (!wellFormed || doc == nullptr) {
        result.outcome = ParseOutcome::NotWellFormed;
        result.reason = guard.haveError ? guard.errorMessage : QStringLiteral("Belge boş ya da eksik");
        result.line = guard.errorLine;
        result.column = guard.errorColumn;
    } else {
        result.outcome = ParseOutcome::Parsed;
        if (doc->URL == nullptr) {
            doc->URL = xmlStrdup(BAD_CAST url.constData());
        }
        result.doc = std::move(doc);
    }
    return result;
}

ParsedDocument parseFile(const QString& path, const QByteArray& url, ParsePurpose purpose, xmlDictPtr dict,
                         const LedgerPrefix* prefix)
{
    if (std::optional<ParsedDocument> refused = refusedBeforeParsing(path, purpose, prefix)) {
        return std::move(*refused);
    }
    ParsedDocument result;
    FileInput input;
    if (prefix) {
        input.remaining = prefix->bytes;
        input.closing = prefix->closing;
    }
    input.file.setFileName(path);
    errno = 0;
    if (!input.file.open(QIODevice::ReadOnly)) {
        const std::error_code code(errno, std::generic_category());
        result.reason = code ? common::describeFileError(code) : input.file.errorString();
        return result;
    }

    ParseGuard guard;
    guard.purpose = purpose;
    const common::XmlParserContext ctxt = guardedParser(input, url, dict, guard);
    if (ctxt == nullptr) {
        result.reason = input.cancelled ? QString() : QStringLiteral("Ayrıştırıcı başlatılamadı");
        result.outcome = input.cancelled ? ParseOutcome::Cancelled : ParseOutcome::Unreadable;
        return result;
    }
    xmlParseDocument(ctxt.get());

    if (!guard.haveError && ctxt->lastError.code != XML_ERR_OK) {
        guard.errorMessage = QString::fromUtf8(ctxt->lastError.message ? ctxt->lastError.message : "").trimmed();
        guard.errorLine = ctxt->lastError.line;
        guard.errorColumn = ctxt->lastError.int2;
        guard.haveError = !guard.errorMessage.isEmpty();
    }
    common::XmlDoc doc(std::exchange(ctxt->myDoc, nullptr));
    return parseOutcome(std::move(doc), ctxt->wellFormed != 0, guard, input, url);
}

QByteArray fileUrl(const QString& path)
{
    return QUrl::fromLocalFile(path).toEncoded();
}

QString localFileFromUri(const QByteArray& uri)
{
    if (uri.startsWith("file:") || uri.startsWith("FILE:")) {
        const QUrl url = QUrl::fromEncoded(uri);
        return url.isLocalFile() ? url.toLocalFile() : QString();
    }
    if (startsWithUrlScheme(QString::fromUtf8(uri))) {
        return {}; // http:, ftp:, data: and the like
    }
    return QUrl::fromPercentEncoding(uri);
}

bool insideFolder(const QString& path, const QString& folder)
{
    const QString relative = QDir(folder).relativeFilePath(QDir::cleanPath(path));
    if (relative == u".." || relative.startsWith(QStringLiteral("../")) || QDir::isAbsolutePath(relative)) {
        return false;
    }
    // Missing, a folder, a pipe, a link that leads nowhere or round in a loop: reading it fails and says why.
    std::error_code error;
    if (std::filesystem::status(common::toFsPath(path), error).type() != std::filesystem::file_type::regular) {
        return true;
    }
    return resourcePathInFolder(folder, QString::fromUtf8(QUrl::toPercentEncoding(relative, "/"))).has_value();
}

void applySecurity(xsltTransformContextPtr transform)
{
    xsltSetCtxtSecurityPrefs(g_securityPrefs, transform);
}

void markRenderThread()
{
    tl_renderThread = true;
}

bool onRenderThread()
{
    return tl_renderThread;
}

} // namespace render::detail
