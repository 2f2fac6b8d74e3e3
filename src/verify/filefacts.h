#pragma once

#include "verify/signaturecheck.h"
#include "verify/verification.h"

#include <QString>

#include <atomic>
#include <optional>

namespace verify::detail {

class Roots;

// What a berat states about its ledger, and what the ledger itself says.
struct Facts
{
    QString root;        // local name of the root element
    QString entriesType; // journal, ledger, trialbalance
    QString uniqueId;    // documentInfo/uniqueID
    QString taxpayerId;  // VKN or TCKN of the context
    QString periodStart;
    QString periodEnd;
    qint64 entryCount = -1;       // a ledger's entries (entryHeader)
    qint64 statedEntries = -1;    // a journal berat's numberOfEntries
    QString ledgerSignatureValue; // a berat's copy of its ledger's signature value, without whitespace
    QString statedSize;           // a berat's measurableQuantity
    QString fiscalYearStart;
    QList<std::pair<QString, QString>> company;
};

struct Inspection
{
    QString path;
    FileKind kind = FileKind::Unknown;
    // Set when the file could not be read as an e-Defter file at all.
    std::optional<Status> unreadable;
    QString problem;
    Facts facts;
    bool signed_ = false;
    std::optional<SignatureCheck> own;
    std::optional<SignatureCheck> counter; // GİB's approval
    bool counterPresent = false;
    QString ownSignatureValue;                  // read even when the signature is not checked
    std::shared_ptr<const ledger::Tally> tally; // with VerifyOptions::keepContent
};

// Reads the file (cancellable while reading) and, with checkSignatures, checks its signatures. Without, it
// reads only the facts and the signature value, as a stream.
Inspection inspect(const QString& path, const VerifyOptions& options, const Roots& roots,
                   const std::atomic_bool* cancel, bool checkSignatures);

} // namespace verify::detail
