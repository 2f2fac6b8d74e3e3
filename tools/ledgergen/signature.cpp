#include "signature.h"

#include "random.h"
#include "text.h"

namespace ledgergen {

namespace {

// The taxpayer's block is the root's child; GİB's sits six levels inside it.
constexpr int kDepth = 1;
constexpr int kCounterDepth = kDepth + 6;

// Namespaces in scope at every signature (declared on the root), as canonical form writes them on the first
// element of a signed fragment.
constexpr std::string_view kApexNamespaces =
    R"( xmlns:ds="http://www.w3.org/2000/09/xmldsig#" xmlns:edefter="http://www.edefter.gov.tr")"
    R"( xmlns:xades="http://uri.etsi.org/01903/v1.3.2#" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance")";

std::string base64(std::string_view bytes, bool wrap = true)
{
    std::string s;
    appendBase64(s, bytes, wrap);
    return s;
}

// Writes a block either as it goes into the file or, for digests and signing, in canonical form: empty
// elements spelled out and the namespaces in scope on the fragment's first element.
class Xml
{
public:
    Xml(std::string& out, bool canonical) : m_out(out), m_canonical(canonical) {}

    bool canonical() const { return m_canonical; }
    std::string_view apex() const { return m_canonical ? kApexNamespaces : std::string_view(); }

    void line(int depth, std::string_view text)
    {
        m_out.append(size_t(depth) * 2, ' ');
        m_out += text;
        m_out += '\n';
    }

    void empty(int depth, std::string_view tag, std::string_view attributes)
    {
        m_out.append(size_t(depth) * 2, ' ');
        m_out += '<';
        m_out += tag;
        m_out += attributes;
        if (m_canonical) {
            m_out += "></";
            m_out += tag;
            m_out += ">\n";
        } else {
            m_out += "/>\n";
        }
    }

    void element(int depth, std::string_view open, std::string_view value, std::string_view close)
    {
        m_out.append(size_t(depth) * 2, ' ');
        m_out += open;
        appendEscaped(m_out, value);
        m_out += close;
        m_out += '\n';
    }

private:
    std::string& m_out;
    bool m_canonical;
};

// The fragment alone: without the indentation before it and the line break after it.
std::string fragment(std::string text)
{
    text.erase(0, text.find_first_not_of(' '));
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

void digestMethod(Xml& x, int depth)
{
    x.empty(depth, "ds:DigestMethod", R"( Algorithm="http://www.w3.org/2001/04/xmlenc#sha256")");
}

std::string certificateDigest(const SignatureData& sig)
{
    return base64(Pki::sha256(sig.signer->certificate), false);
}

// target: for a counter-signature, the block whose SignatureValue it signs instead of the document.
void signedInfo(Xml& x, int d, const SignatureData& sig, const SignatureData* target)
{
    const std::string& id = sig.id;
    x.line(d, "<ds:SignedInfo" + std::string(x.apex()) + ">");
    x.empty(d + 1, "ds:CanonicalizationMethod", R"( Algorithm="http://www.w3.org/TR/2001/REC-xml-c14n-20010315")");
    x.empty(d + 1, "ds:SignatureMethod", " Algorithm=\"" + sig.signer->signatureMethod() + '"');
    x.line(d + 1, R"(<ds:Reference Id="Signed-Properties-Reference-Id-)" + id +
                      R"(" Type="http://uri.etsi.org/01903#SignedProperties" URI="#Signed-Properties-Id-)" + id +
                      "\">");
    digestMethod(x, d + 2);
    x.element(d + 2, "<ds:DigestValue>", sig.signedPropertiesDigest, "</ds:DigestValue>");
    x.line(d + 1, "</ds:Reference>");
    if (target) {
        x.line(d + 1, R"(<ds:Reference Id="Reference-Id-)" + id +
                          R"(" Type="http://uri.etsi.org/01903#CountersignedSignature" URI="#Signature-Value-Id-)" +
                          target->id + "\">");
        x.line(d + 2, "<ds:Transforms>");
        x.empty(d + 3, "ds:Transform", R"( Algorithm="http://www.w3.org/TR/2001/REC-xml-c14n-20010315#WithComments")");
        x.line(d + 2, "</ds:Transforms>");
    } else {
        x.line(d + 1, R"(<ds:Reference Id="Reference-Id-)" + id + R"(" URI="">)");
        x.line(d + 2, "<ds:Transforms>");
        x.empty(d + 3, "ds:Transform", R"( Algorithm="http://www.w3.org/2000/09/xmldsig#enveloped-signature")");
        x.line(d + 2, "</ds:Transforms>");
    }
    digestMethod(x, d + 2);
    x.element(d + 2, "<ds:DigestValue>", sig.dataDigest, "</ds:DigestValue>");
    x.line(d + 1, "</ds:Reference>");
    x.line(d, "</ds:SignedInfo>");
}

void signedProperties(Xml& x, int d, const SignatureData& sig)
{
    const Signer& names = sig.signer->names;
    x.line(d, "<xades:SignedProperties" + std::string(x.apex()) + R"( Id="Signed-Properties-Id-)" + sig.id + "\">");
    x.line(d + 1, "<xades:SignedSignatureProperties>");
    x.element(d + 2, "<xades:SigningTime>", sig.signingTime, "</xades:SigningTime>");
    x.line(d + 2, "<xades:SigningCertificate>");
    x.line(d + 3, "<xades:Cert>");
    x.line(d + 4, "<xades:CertDigest>");
    digestMethod(x, d + 5);
    x.element(d + 5, "<ds:DigestValue>", certificateDigest(sig), "</ds:DigestValue>");
    x.line(d + 4, "</xades:CertDigest>");
    x.line(d + 4, "<xades:IssuerSerial>");
    x.element(d + 5, "<ds:X509IssuerName>", names.issuer, "</ds:X509IssuerName>");
    x.element(d + 5, "<ds:X509SerialNumber>", sig.signer->serialNumber, "</ds:X509SerialNumber>");
    x.line(d + 4, "</xades:IssuerSerial>");
    x.line(d + 3, "</xades:Cert>");
    x.line(d + 2, "</xades:SigningCertificate>");
    if (!names.claimedRole.empty()) {
        x.line(d + 2, "<xades:SignerRole>");
        x.line(d + 3, "<xades:ClaimedRoles>");
        x.element(d + 4, "<xades:ClaimedRole>", names.claimedRole, "</xades:ClaimedRole>");
        x.line(d + 3, "</xades:ClaimedRoles>");
        x.line(d + 2, "</xades:SignerRole>");
    }
    x.line(d + 1, "</xades:SignedSignatureProperties>");
    x.line(d + 1, "<xades:SignedDataObjectProperties>");
    x.line(d + 2, R"(<xades:DataObjectFormat ObjectReference="#Reference-Id-)" + sig.id + "\">");
    x.line(d + 3, "<xades:MimeType>text/xml</xades:MimeType>");
    x.line(d + 2, "</xades:DataObjectFormat>");
    x.line(d + 1, "</xades:SignedDataObjectProperties>");
    x.line(d, "</xades:SignedProperties>");
}

void sign(SignatureData& sig, int depth, const SignatureData* target)
{
    std::string text;
    Xml properties(text, true);
    signedProperties(properties, depth + 3, sig);
    sig.signedPropertiesDigest = base64(Pki::sha256(fragment(std::move(text))), false);
    text.clear();
    Xml info(text, true);
    signedInfo(info, depth + 1, sig, target);
    sig.value = base64(Pki::sign(*sig.signer, fragment(std::move(text))));
}

// signedValueOf: for a counter-signature, the block whose SignatureValue it signs instead of the document.
void appendBlock(std::string& out, int d, const SignatureData& sig, const SignatureData* signedValueOf,
                 const SignatureData* counterSignature)
{
    const std::string& id = sig.id;
    Xml x(out, false);
    x.line(d, R"(<ds:Signature Id="Signature-Id-)" + id + "\">");
    signedInfo(x, d + 1, sig, signedValueOf);
    x.element(d + 1, R"(<ds:SignatureValue Id="Signature-Value-Id-)" + id + "\">", sig.value, "</ds:SignatureValue>");
    x.line(d + 1, "<ds:KeyInfo>");
    x.line(d + 2, "<ds:X509Data>");
    x.element(d + 3, "<ds:X509Certificate>", base64(sig.signer->certificate), "</ds:X509Certificate>");
    x.element(d + 3, "<ds:X509SubjectName>", sig.signer->names.subject, "</ds:X509SubjectName>");
    x.line(d + 2, "</ds:X509Data>");
    // Real EC seals name their key by the certificate alone.
    if (sig.signer->choice.curve == 0) {
        x.line(d + 2, "<ds:KeyValue>");
        x.line(d + 3, "<ds:RSAKeyValue>");
        x.element(d + 4, "<ds:Modulus>", base64(Pki::modulus(sig.signer->key)), "</ds:Modulus>");
        x.line(d + 4, "<ds:Exponent>AQAB</ds:Exponent>");
        x.line(d + 3, "</ds:RSAKeyValue>");
        x.line(d + 2, "</ds:KeyValue>");
    }
    x.line(d + 1, "</ds:KeyInfo>");
    x.line(d + 1, "<ds:Object>");
    x.line(d + 2, R"(<xades:QualifyingProperties Target="#Signature-Id-)" + id + "\">");
    signedProperties(x, d + 3, sig);
    if (counterSignature) {
        x.line(d + 3, "<xades:UnsignedProperties>");
        x.line(d + 4, "<xades:UnsignedSignatureProperties>");
        x.line(d + 5, "<xades:CounterSignature>");
        appendBlock(out, d + 6, *counterSignature, &sig, nullptr);
        x.line(d + 5, "</xades:CounterSignature>");
        x.line(d + 4, "</xades:UnsignedSignatureProperties>");
        x.line(d + 3, "</xades:UnsignedProperties>");
    }
    x.line(d + 2, "</xades:QualifyingProperties>");
    x.line(d + 1, "</ds:Object>");
    x.line(d, "</ds:Signature>");
}

} // namespace

std::string makeGuid(Rng& rng)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string guid;
    for (int i = 0; i < 32; ++i) {
        if (i == 8 || i == 12 || i == 16 || i == 20) {
            guid += '-';
        }
        int nibble = int(rng.below(16));
        if (i == 12) {
            nibble = 4; // version 4
        } else if (i == 16) {
            nibble = 8 | (nibble & 3); // RFC 4122 variant
        }
        guid += hex[nibble];
    }
    return guid;
}

SignatureData makeSignature(uint64_t seed, std::string_view label, uint64_t index, const Identity& signer, Date day)
{
    Rng rng(streamSeed(seed, label, index));
    SignatureData s;
    s.id = makeGuid(rng);
    s.signingTime = isoDate(day) + 'T';
    appendNumber(s.signingTime, uint64_t(rng.between(9, 18)), 2);
    s.signingTime += ':';
    appendNumber(s.signingTime, rng.below(60), 2);
    s.signingTime += ':';
    appendNumber(s.signingTime, rng.below(60), 2);
    s.signingTime += "+03:00";
    s.signer = &signer;
    return s;
}

void signDocument(SignatureData& sig, std::string_view documentDigest)
{
    sig.dataDigest = base64(documentDigest, false);
    sign(sig, kDepth, nullptr);
}

void counterSign(SignatureData& sig, const SignatureData& target)
{
    std::string value;
    Xml x(value, true);
    x.element(0,
              "<ds:SignatureValue" + std::string(kApexNamespaces) + R"( Id="Signature-Value-Id-)" + target.id + "\">",
              target.value, "</ds:SignatureValue>");
    sig.dataDigest = base64(Pki::sha256(fragment(std::move(value))), false);
    sign(sig, kCounterDepth, &target);
}

void appendSignature(std::string& out, int depth, const SignatureData& sig, const SignatureData* counterSignature)
{
    appendBlock(out, depth, sig, nullptr, counterSignature);
}

} // namespace ledgergen
