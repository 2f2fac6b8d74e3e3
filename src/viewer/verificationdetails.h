#pragma once

#include "verify/verification.h"

#include <QDialog>

namespace viewer {

// What the check of a ledger found, in full: signer, times, certificates, which berat, GİB's
// approval, and what could not be checked.
class VerificationDetails : public QDialog
{
    Q_OBJECT

public:
    VerificationDetails(const verify::VerificationResult& result, QWidget* parent);

    // The text shown: the summary, then one fact per line.
    static QString text(const verify::VerificationResult& result);
};

} // namespace viewer
