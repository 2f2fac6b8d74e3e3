#pragma once

#include <QByteArray>
#include <QString>

namespace render {

enum class FailureKind
{
    Unreadable,
    NotWellFormed,
    StylesheetMissing,
    StylesheetInvalid,
    TransformFailed,
    Refused,
    Cancelled,
    TooLarge // the transform would need more memory than the machine has free
};

struct RenderFailure
{
    FailureKind kind = FailureKind::Unreadable;
    QString file;   // the file it is about (ledger or stylesheet), native separators
    QString reason; // Turkish, names the cause; carries libxml2/libxslt's own detail
    int line = 0;   // where known (not well-formed XML, stylesheet errors)
    int column = 0;

    // What a message to the user says: the heading and the reason, "XML biçimi bozuk (…): …".
    [[nodiscard]] QString message() const;
};

// A readable Turkish HTML page naming the file and the cause (also what renderLedger puts in
// `html` on failure). Self-contained (inline CSS), escaped.
QByteArray failurePage(const RenderFailure& failure);

// The heading of a failure page, e.g. "XML biçimi bozuk (satır 12, sütun 5)".
QString failureHeading(const RenderFailure& failure);

} // namespace render
