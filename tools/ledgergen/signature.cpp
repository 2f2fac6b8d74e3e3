#include "signature.h"

#include "random.h"
#include "text.h"

namespace ledgergen {

namespace {

std::string randomBytes(Rng& rng, size_t count)
{
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = char(rng.below(256));
    return bytes;
}

std::string base64(std::string_view bytes, bool wrap = true)
{
    std::string s;
    appendBase64(s, bytes, wrap);
    return s;
}

void line(std::string& out, int depth, std::string_view text)
{
    out.append(size_t(depth) * 2, ' ');
    out += text;
    out += '\n';
}

void element(std::string& out, int depth, std::string_view open, std::string_view value, std::string_view close)
{
    out.append(size_t(depth) * 2, ' ');
    out += open;
    appendEscaped(out, value);
    out += close;
    out += '\n';
}

constexpr std::string_view kSha256 = R"(<ds:DigestMethod Algorithm="http://www.w3.org/2001/04/xmlenc#sha256"/>)";

} // namespace

std::string makeGuid(Rng& rng)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string guid;
    for (int i = 0; i < 32; ++i) {
        if (i == 8 || i == 12 || i == 16 || i == 20)
            guid += '-';
        int nibble = int(rng.below(16));
        if (i == 12)
            nibble = 4; // version 4
        else if (i == 16)
            nibble = 8 | (nibble & 3); // RFC 4122 variant
        guid += hex[nibble];
    }
    return guid;
}

SignatureData makeSignature(uint64_t seed, std::string_view label, uint64_t index, const Signer& signer, Date day)
{
    Rng rng(streamSeed(seed, label, index));
    SignatureData s;
    s.id = makeGuid(rng);
    s.value = base64(randomBytes(rng, 256));
    // A DER SEQUENCE header in front, so the blob starts "MII…" as certificates do.
    std::string certificate = randomBytes(rng, 1420);
    certificate[0] = char(0x30);
    certificate[1] = char(0x82);
    certificate[2] = char((1420 - 4) >> 8);
    certificate[3] = char((1420 - 4) & 0xff);
    s.certificate = base64(certificate);
    std::string modulus = randomBytes(rng, 256);
    modulus[0] = char(uint8_t(modulus[0]) | 0x80);
    s.modulus = base64(modulus);
    s.signedPropertiesDigest = base64(randomBytes(rng, 32), false);
    s.documentDigest = base64(randomBytes(rng, 32), false);
    s.certificateDigest = base64(randomBytes(rng, 32), false);
    s.serialNumber = std::to_string(rng.between(1, 9));
    for (int i = 0; i < 18; ++i)
        s.serialNumber += char('0' + rng.below(10));
    s.signingTime = isoDate(day) + 'T';
    appendNumber(s.signingTime, uint64_t(rng.between(9, 18)), 2);
    s.signingTime += ':';
    appendNumber(s.signingTime, rng.below(60), 2);
    s.signingTime += ':';
    appendNumber(s.signingTime, rng.below(60), 2);
    s.signingTime += "+03:00";
    s.subject = signer.subject;
    s.issuer = signer.issuer;
    s.claimedRole = signer.claimedRole;
    return s;
}

namespace {

// signedValueOf: for a counter-signature, the block whose SignatureValue it signs instead of the document.
void appendBlock(std::string& out, int d, const SignatureData& sig, const SignatureData* signedValueOf,
                 const SignatureData* counterSignature)
{
    const std::string& id = sig.id;
    line(out, d, R"(<ds:Signature Id="Signature-Id-)" + id + "\">");
    line(out, d + 1, "<ds:SignedInfo>");
    line(out, d + 2, R"(<ds:CanonicalizationMethod Algorithm="http://www.w3.org/TR/2001/REC-xml-c14n-20010315"/>)");
    line(out, d + 2, R"(<ds:SignatureMethod Algorithm="http://www.w3.org/2001/04/xmldsig-more#rsa-sha256"/>)");
    line(out, d + 2,
         R"(<ds:Reference Id="Signed-Properties-Reference-Id-)" + id +
             R"(" Type="http://uri.etsi.org/01903#SignedProperties" URI="#Signed-Properties-Id-)" + id + "\">");
    line(out, d + 3, kSha256);
    element(out, d + 3, "<ds:DigestValue>", sig.signedPropertiesDigest, "</ds:DigestValue>");
    line(out, d + 2, "</ds:Reference>");
    if (signedValueOf)
        line(out, d + 2,
             R"(<ds:Reference Id="Reference-Id-)" + id +
                 R"(" Type="http://uri.etsi.org/01903#CountersignedSignature" URI="#Signature-Value-Id-)" +
                 signedValueOf->id + "\">");
    else {
        line(out, d + 2, R"(<ds:Reference Id="Reference-Id-)" + id + R"(" URI="">)");
        line(out, d + 3, "<ds:Transforms>");
        line(out, d + 4, R"(<ds:Transform Algorithm="http://www.w3.org/2000/09/xmldsig#enveloped-signature"/>)");
        line(out, d + 3, "</ds:Transforms>");
    }
    line(out, d + 3, kSha256);
    element(out, d + 3, "<ds:DigestValue>", sig.documentDigest, "</ds:DigestValue>");
    line(out, d + 2, "</ds:Reference>");
    line(out, d + 1, "</ds:SignedInfo>");
    element(out, d + 1, R"(<ds:SignatureValue Id="Signature-Value-Id-)" + id + "\">", sig.value,
            "</ds:SignatureValue>");
    line(out, d + 1, "<ds:KeyInfo>");
    line(out, d + 2, "<ds:X509Data>");
    element(out, d + 3, "<ds:X509Certificate>", sig.certificate, "</ds:X509Certificate>");
    element(out, d + 3, "<ds:X509SubjectName>", sig.subject, "</ds:X509SubjectName>");
    line(out, d + 2, "</ds:X509Data>");
    line(out, d + 2, "<ds:KeyValue>");
    line(out, d + 3, "<ds:RSAKeyValue>");
    element(out, d + 4, "<ds:Modulus>", sig.modulus, "</ds:Modulus>");
    line(out, d + 4, "<ds:Exponent>AQAB</ds:Exponent>");
    line(out, d + 3, "</ds:RSAKeyValue>");
    line(out, d + 2, "</ds:KeyValue>");
    line(out, d + 1, "</ds:KeyInfo>");
    line(out, d + 1, "<ds:Object>");
    line(out, d + 2, R"(<xades:QualifyingProperties Target="#Signature-Id-)" + id + "\">");
    line(out, d + 3, R"(<xades:SignedProperties Id="Signed-Properties-Id-)" + id + "\">");
    line(out, d + 4, "<xades:SignedSignatureProperties>");
    element(out, d + 5, "<xades:SigningTime>", sig.signingTime, "</xades:SigningTime>");
    line(out, d + 5, "<xades:SigningCertificate>");
    line(out, d + 6, "<xades:Cert>");
    line(out, d + 7, "<xades:CertDigest>");
    line(out, d + 8, kSha256);
    element(out, d + 8, "<ds:DigestValue>", sig.certificateDigest, "</ds:DigestValue>");
    line(out, d + 7, "</xades:CertDigest>");
    line(out, d + 7, "<xades:IssuerSerial>");
    element(out, d + 8, "<ds:X509IssuerName>", sig.issuer, "</ds:X509IssuerName>");
    element(out, d + 8, "<ds:X509SerialNumber>", sig.serialNumber, "</ds:X509SerialNumber>");
    line(out, d + 7, "</xades:IssuerSerial>");
    line(out, d + 6, "</xades:Cert>");
    line(out, d + 5, "</xades:SigningCertificate>");
    if (!sig.claimedRole.empty()) {
        line(out, d + 5, "<xades:SignerRole>");
        line(out, d + 6, "<xades:ClaimedRoles>");
        element(out, d + 7, "<xades:ClaimedRole>", sig.claimedRole, "</xades:ClaimedRole>");
        line(out, d + 6, "</xades:ClaimedRoles>");
        line(out, d + 5, "</xades:SignerRole>");
    }
    line(out, d + 4, "</xades:SignedSignatureProperties>");
    line(out, d + 4, "<xades:SignedDataObjectProperties>");
    line(out, d + 5, R"(<xades:DataObjectFormat ObjectReference="#Reference-Id-)" + id + "\">");
    line(out, d + 6, "<xades:MimeType>text/xml</xades:MimeType>");
    line(out, d + 5, "</xades:DataObjectFormat>");
    line(out, d + 4, "</xades:SignedDataObjectProperties>");
    line(out, d + 3, "</xades:SignedProperties>");
    if (counterSignature) {
        line(out, d + 3, "<xades:UnsignedProperties>");
        line(out, d + 4, "<xades:UnsignedSignatureProperties>");
        line(out, d + 5, "<xades:CounterSignature>");
        appendBlock(out, d + 6, *counterSignature, &sig, nullptr);
        line(out, d + 5, "</xades:CounterSignature>");
        line(out, d + 4, "</xades:UnsignedSignatureProperties>");
        line(out, d + 3, "</xades:UnsignedProperties>");
    }
    line(out, d + 2, "</xades:QualifyingProperties>");
    line(out, d + 1, "</ds:Object>");
    line(out, d, "</ds:Signature>");
}

} // namespace

void appendSignature(std::string& out, int depth, const SignatureData& sig, const SignatureData* counterSignature)
{
    appendBlock(out, depth, sig, nullptr, counterSignature);
}

} // namespace ledgergen
