#pragma once

#include "common/documentkind.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace ledger {
class Tally;
}

// Is this the ledger GİB approved, unchanged since it was signed? Checks one e-Defter file's signature, its
// berats or ledger beside it, and GİB's approval. No widgets: safe to call on a worker thread, any number at
// once. Nothing is ever fetched: a signature that points outside its own file is refused.
namespace verify {

enum class Status
{
    Verified,      // signature valid and nothing that was checked failed
    Unsigned,      // no signature: a draft
    Failed,        // something was checked and is wrong: changed, not matching, unsupported, refused, weak
    CouldNotCheck, // not checked: unreadable, not XML, too big, cancelled, or an algorithm we cannot check
};

using FileKind = common::DocumentKind;

// One signer as the embedded certificate and the signed properties name them.
struct SignerInfo
{
    QString subject;        // the certificate's subject, most specific part first
    QString identityNumber; // the subject's SERIALNUMBER: VKN or TCKN
    QString issuer;
    QString certificateSerial; // decimal
    QDateTime validFrom;
    QDateTime validUntil;
    QDateTime signingTime;      // xades:SigningTime; invalid when absent
    QString key;                // the certificate's key, e.g. "ECDSA P-384", "RSA 2048 bit"
    QString signatureAlgorithm; // e.g. "ECDSA-SHA384"; the signature's URI for one we do not know
};

struct VerifyOptions
{
    // Root (or issuing) certificates trusted for the chain check, PEM or DER, one per file. Empty:
    // defaultRootsFolder(). A missing or empty folder means the chain is not checked, and results say so.
    QString rootsFolder;
    // For a ledger, check its berats and GİB's approval beside it; for a berat, its ledger.
    bool checkCompanions = true;
    // Bigger files are not read (parts are at most 200 MB; the parsed tree takes about eight times the file).
    qint64 maxFileBytes = qint64(512) * 1024 * 1024;
    // Keep what a set check compares of each file (FileContent), the sums of its lines included: taken from
    // the tree the signature check parses, so that the file is read once.
    bool keepContent = false;
    // Told of each file of a folder once it has been checked, and of the bytes of a file read so far while
    // it is parsed (every few MB), on the checking thread.
    std::function<void(const QString& path)> fileChecked;
    std::function<void(const QString& path, qint64 bytes)> fileReading;
};

// What a file states of itself, read from its tree.
struct FileFacts
{
    QString root;        // local name of the root element
    QString entriesType; // journal, ledger, trialbalance
    QString uniqueId;    // documentInfo/uniqueID
    QString taxpayerId;  // VKN or TCKN of the context
    QString periodStart; // YYYY-MM-DD
    QString periodEnd;
    qint64 entryCount = -1;                     // a ledger's entries (entryHeader)
    qint64 statedEntries = -1;                  // a journal berat's numberOfEntries
    QString ledgerSignatureValue;               // a berat's copy of its ledger's signature value, without whitespace
    QString statedSize;                         // a berat's measurableQuantity as written (MB, two decimals)
    QString fiscalYearStart;                    // YYYY-MM-DD; numbers and serials start again there
    QList<std::pair<QString, QString>> company; // the company's details as labelled for a message: name, phone, …
};

// What a file states, beyond its verdict, for comparing it with the rest of its set.
struct FileContent
{
    qint64 bytes = 0;
    FileFacts facts;
    QString ownSignatureValue;
    // The lines added up: a ledger's, a defter raporu's, a berat's tax lines. Null when not read whole.
    std::shared_ptr<const ledger::Tally> tally;
};

struct VerificationResult
{
    QString path;
    FileKind kind = FileKind::Unknown;
    Status status = Status::CouldNotCheck;
    QString summary; // one Turkish line that starts with its mark, e.g. "✔ İmza geçerli · Beratıyla eşleşiyor"
    QStringList details; // one fact per line for a details window: signer, times, certificates, berat, gaps
    std::optional<SignerInfo> signer;
    std::optional<SignerInfo> approver;         // GİB's counter-signature (the file's own, or its GIB- berat's)
    QStringList companions;                     // berats of a ledger, or the ledger of a berat, that were checked
    std::shared_ptr<const FileContent> content; // with VerifyOptions::keepContent, when the file could be read
};

// A folder entry that could not be opened at all: a symbolic link in a loop or to nothing, a file
// without read permission. It is among the files too, as not checked.
struct UnreadableEntry
{
    QString path;
    QString reason; // Turkish
};

struct FolderResult
{
    QList<VerificationResult> files; // every e-Defter file by name; each ledger with its berats after it
    QStringList ledgersWithoutBerat; // paths
    QStringList beratsWithoutLedger; // paths
    QList<UnreadableEntry> unreadable;
    Status status = Status::Verified; // the worst of files (Failed before CouldNotCheck before Unsigned)
};

// `cancel` is read between steps (and while reading the file); a cancelled check returns CouldNotCheck.
// The signature check of one file is a single step: about 20 s of one core for a 200 MB journal.
VerificationResult verifyFile(const QString& path, const VerifyOptions& options = {},
                              const std::atomic_bool* cancel = nullptr);
FolderResult verifyFolder(const QString& folder, const VerifyOptions& options = {},
                          const std::atomic_bool* cancel = nullptr);

// <config>/verazidedaze/kokler, e.g. ~/.config/verazidedaze/kokler on Linux.
QString defaultRootsFolder();
// "✔", "○", "✘", "⚠".
QString markOf(Status status);
// As scripts read it: "verified", "unsigned", "failed", "could-not-check".
QString statusKey(Status status);
// The worse of two: Failed, then CouldNotCheck, then Unsigned, then Verified.
Status worse(Status a, Status b);

} // namespace verify
