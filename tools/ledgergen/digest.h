#pragma once

#include <string>
#include <string_view>

using EVP_MD_CTX = struct evp_md_ctx_st;

namespace ledgergen {

// The SHA-256 a verifier computes for a document's URI="" reference (enveloped signature, inclusive C14N 1.0),
// taken from the bytes Documents writes as they stream out, without parsing them again: those bytes are
// already canonical apart from the XML declaration, the order of a few namespace declarations and
// attributes, and one empty element, which are rewritten here.
class DocumentDigest
{
public:
    DocumentDigest();
    ~DocumentDigest();
    DocumentDigest(const DocumentDigest&) = delete;
    DocumentDigest& operator=(const DocumentDigest&) = delete;

    void reset();
    // Everything up to and including the schema reference of the XBRL part, as one piece.
    void head(std::string_view written);
    // Any later bytes before the signature.
    void body(std::string_view written);
    // The signature and the text after the root's end tag drop out; the whitespace around the signature and
    // the end tag stay. Returns the raw digest.
    std::string finish(std::string_view whitespaceBeforeSignature, std::string_view rootName);

    // A whole small document written up to (not including) its signature's indentation.
    static std::string ofDocument(std::string_view written, std::string_view whitespaceBeforeSignature,
                                  std::string_view rootName);

private:
    void update(std::string_view bytes);

    EVP_MD_CTX* m_ctx = nullptr;
};

} // namespace ledgergen
