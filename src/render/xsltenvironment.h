#pragma once

#include "common/xmlhandles.h"
#include "render/ledgerprefix.h"

#include <QString>
#include <QStringList>

#include <libxml/tree.h>
#include <libxslt/xsltInternals.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// The process-wide libxml2/libxslt set-up and the per-call state its callbacks report into.
namespace render::detail {

// Everything the libraries say during one renderLedger call on this thread.
struct RenderSession
{
    const std::atomic_bool* cancel = nullptr;
    QStringList messages; // library messages, in order
    QString refusal;      // why a security check refused something; empty when none did
    // The folders a stylesheet may read from (document(), xsl:include, xsl:import); none when empty.
    QStringList readableFolders;
    int firstLine = 0;      // the first line number a message named
    QString pendingMessage; // a message the libraries print in pieces, until its newline
    xsltTransformContextPtr transform = nullptr;
    bool outgrown = false; // the transform held more than its OutputBound allowed, and was stopped

    [[nodiscard]] bool cancelled() const { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }
    void addMessage(const QString& message);
    void flushPending();
    // The collected messages as one text, at most `maxLines` of them.
    [[nodiscard]] QString detail(int maxLines = 12) const;
};

// Makes `session` the receiver of this thread's library messages while it lives.
class SessionScope
{
public:
    explicit SessionScope(RenderSession& session);
    ~SessionScope();
    SessionScope(const SessionScope&) = delete;
    SessionScope& operator=(const SessionScope&) = delete;

private:
    RenderSession* m_previous = nullptr;
    void* m_structuredContext = nullptr;
    xmlStructuredErrorFunc m_structured = nullptr;
    void* m_genericContext = nullptr;
    xmlGenericErrorFunc m_generic = nullptr;
};

// While it lives, a cancel request stops the running transform at its next step.
class TransformScope
{
public:
    TransformScope(RenderSession& session, xsltTransformContextPtr transform);
    ~TransformScope();
    TransformScope(const TransformScope&) = delete;
    TransformScope& operator=(const TransformScope&) = delete;

private:
    void watchForCancel();

    RenderSession& m_session;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_finished = false;
    std::thread m_watcher;
};

// While it lives, a transform on this thread that holds more than `budget` bytes of the libraries'
// memory beyond what the thread held when it began (its result tree, temporary trees, node sets)
// is stopped at its next step, and the session marked outgrown.
class OutputBound
{
public:
    OutputBound(RenderSession& session, qint64 budget);
    ~OutputBound();
    OutputBound(const OutputBound&) = delete;
    OutputBound& operator=(const OutputBound&) = delete;

private:
    qint64 m_previousLimit = 0;
};

void ensureInitialised();

enum class ParsePurpose
{
    Ledger,     // no entity declarations at all: no external entities, no expansion bombs
    Stylesheet, // internal entities substituted, external ones refused
};

enum class ParseOutcome
{
    Parsed,
    Unreadable,
    NotWellFormed,
    Refused,
    Cancelled
};

struct ParsedDocument
{
    common::XmlDoc doc; // set when parsed
    ParseOutcome outcome = ParseOutcome::Unreadable;
    QString reason; // the library's or the file system's own words
    int line = 0;
    int column = 0;
};

// Reads a local file read-only and parses it; `url` becomes the document's base URL. A
// non-null `dict` is shared with the document, as libxslt expects of the documents it loads.
// With a `prefix`, only the ledger's beginning is read, closed by the prefix's end tags.
ParsedDocument parseFile(const QString& path, const QByteArray& url, ParsePurpose purpose, xmlDictPtr dict = nullptr,
                         const LedgerPrefix* prefix = nullptr);

// The file:// URL libxml2 uses as a document's base, percent-encoded so that '#', '%' and
// spaces in folder names survive relative resolution.
QByteArray fileUrl(const QString& path);
// The local file a URI libxslt asks for names; empty when it is not a local file.
QString localFileFromUri(const QByteArray& uri);

// Whether `path` lies inside `folder`, by the check that guards the page's own requests (no "..",
// no symlink leading out). A missing file inside counts as inside: reading it fails with its reason.
bool insideFolder(const QString& path, const QString& folder);

// Per-transform security: no file writes, no folder creation, no network.
void applySecurity(xsltTransformContextPtr transform);

// Lets render threads allocate from the process's main heap; call before starting one
// (heap_glibc.cpp, heap_other.cpp).
void shareMainHeap();
// The usable size of a malloc block, for counting the libraries' memory; 0 where unknown.
std::size_t allocationSize(void* block);
// Gives the memory a finished transform freed back to the system: without it the heap keeps
// the high-water mark of the largest ledger shown so far.
void releaseFreedMemory();

// Allowed recursion: deep on render threads, libxslt's defaults elsewhere.
void markRenderThread();
bool onRenderThread();

} // namespace render::detail
