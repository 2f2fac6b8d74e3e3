#pragma once

#include "verify/verification.h"

#include <libxml/tree.h>

#include <QString>
#include <QStringList>

#include <optional>

namespace verify::detail {

class Roots;

struct SignatureCheck
{
    enum class Outcome
    {
        Valid,
        Invalid,     // checked and wrong
        Unsupported, // a shape real files never have
        Refused,     // points outside the file
        Uncheckable, // an algorithm this program cannot check: nothing proven either way
    };
    Outcome outcome = Outcome::Invalid;
    QString problem;   // Turkish: what failed and why
    QStringList notes; // signer, times, chain
    std::optional<SignerInfo> signer;
    QString signatureValue; // base64 without whitespace
};

// What the file's own signature covers: a changed document is reported in these words.
struct Subject
{
    QString changed; // e.g. "Defter imzalandıktan sonra değiştirilmiş"
};

// Once per process, from any thread.
bool initialiseXmlsec();

// The file's enveloped signature (countersigned == nullptr) or a counter-signature over the SignatureValue
// element `countersigned`.
SignatureCheck checkSignature(xmlDocPtr doc, xmlNodePtr signature, xmlNodePtr countersigned, const Roots& roots,
                              const Subject& subject);

// Helpers shared with the file inspection.
inline constexpr const char* kDsNs = "http://www.w3.org/2000/09/xmldsig#";
inline constexpr const char* kXadesNs = "http://uri.etsi.org/01903/v1.3.2#";
bool isElement(const xmlNode* node, const char* ns, const char* name);
xmlNodePtr child(const xmlNode* node, const char* ns, const char* name);
QString textOf(const xmlNode* node);

} // namespace verify::detail
