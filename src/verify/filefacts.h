#pragma once

#include "verify/signaturecheck.h"
#include "verify/verification.h"

#include <QString>

#include <atomic>
#include <optional>

namespace verify::detail {

class Roots;

using Facts = FileFacts;

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
