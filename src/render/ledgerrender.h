#pragma once

#include "common/documentkind.h"
#include "common/result.h"
#include "render/documentpieces.h"
#include "render/failure.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>

class QObject;
class QThread;

namespace render {

struct RenderRequest
{
    QString ledgerPath;                       // local file path
    QString fallbackFolder;                   // the program's data folder
    const std::atomic_bool* cancel = nullptr; // when set true, give up early (result: Cancelled)
    // When set, an HTML page comes back cut into pieces (RenderResult::pieces) instead of whole.
    std::optional<PieceLimits> pieces;
    // Bytes the render may use; unset: availableMemory() when the render starts.
    std::optional<qint64> availableMemory;
    // The program's own stylesheet (of the same name in `fallbackFolder`, or the one for the
    // ledger's kind when the name is not one of ours) instead of the one beside the ledger.
    bool programStylesheets = false;
};

// Milliseconds per phase, for logs and benchmarks.
struct RenderTimings
{
    qint64 parse = 0;     // reading and parsing the ledger
    qint64 compile = 0;   // finding, parsing and compiling the stylesheet
    qint64 transform = 0; // applying it
    qint64 serialise = 0; // writing the result (or the tree page) as bytes
};

struct RenderResult
{
    QByteArray html;     // UTF-8: the transform's output, the XML-tree page, or the failure page
    QByteArray mimeType; // "text/html", or "text/plain"/"application/xml" for such xsl:output methods
    // The output's <title> text (whitespace-normalised); empty when it has none, and for the
    // XML-tree and failure pages, whose location is the file's path.
    QString title;
    QString stylesheetPath;                                    // the stylesheet applied, empty when none
    common::DocumentKind kind = common::DocumentKind::Unknown; // by the root element, once parsed
    std::optional<RenderFailure> failure;                      // the detail behind failed() and cancelled()
    RenderTimings timings;
    std::optional<PiecedDocument> pieces; // set instead of `html` when pieces were asked for
    bool partial = false;                 // rendered from the ledger's beginning only
    [[nodiscard]] bool ok() const { return !failure; }
    [[nodiscard]] bool cancelled() const { return failure && failure->kind == FailureKind::Cancelled; }
    [[nodiscard]] bool failed() const { return failure && failure->kind != FailureKind::Cancelled; }
    // The same, as every piece of work that can fail or be cancelled says it; a failure's error
    // is its message().
    [[nodiscard]] common::Outcome outcome() const;
};

// Synchronous and thread-safe (libxml2/libxslt initialised once, process-wide). Deep
// stylesheet recursion needs a big stack: run it on a thread from createRenderThread(); on any
// other thread libxslt's own (much lower) recursion limits apply, so a deep stylesheet fails
// with a page instead of overflowing a small stack.
RenderResult renderLedger(const RenderRequest& request);
// The same, handing the result to `deliver` (on this thread) before the engine's trees are freed:
// the result goes on its way while this thread tidies up.
void renderLedger(const RenderRequest& request, const std::function<void(RenderResult)>& deliver);

// The ledger's beginning alone, about `budget` bytes of whole records, rendered the same way and
// marked partial: a first screenful long before a large ledger is rendered whole. Nothing when
// the ledger is small enough, or shaped so, that rendering it whole is the quicker way.
std::optional<RenderResult> renderLedgerBeginning(const RenderRequest& request, qint64 budget);

// The memory a render of `ledgerBytes` of ledger needs at its peak (the ledger's tree, the
// result's tree and the page written from it); a render is refused (FailureKind::TooLarge) before
// reading when this exceeds the memory available.
qint64 estimatedRenderMemory(qint64 ledgerBytes);

// Bytes this process can still allocate without the machine swapping: the system's available
// memory, and no more than an address-space limit leaves. Nothing when the platform cannot say.
std::optional<qint64> availableMemory();

// A thread (not started) whose stack holds the recursion the engine allows; runs `work`.
// On glibc the first call also lets all threads share the main heap (see heap_glibc.cpp).
QThread* createRenderThread(std::function<void()> work, QObject* parent = nullptr);

} // namespace render
