#include "digest.h"

#include "documents.h"

#include <openssl/evp.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace ledgergen {

namespace {

// Canonical form sorts attributes by name: decimals comes before unitRef. The swap keeps the length.
constexpr std::string_view kUnitRef = "unitRef=\"";
constexpr std::string_view kTryWritten = " unitRef=\"try\" decimals=\"INF\"";
constexpr std::string_view kTryCanonical = " decimals=\"INF\" unitRef=\"try\"";
constexpr std::string_view kCountWritten = " unitRef=\"countable\" decimals=\"INF\"";
constexpr std::string_view kCountCanonical = " decimals=\"INF\" unitRef=\"countable\"";

} // namespace

DocumentDigest::DocumentDigest() : m_ctx(EVP_MD_CTX_new())
{
    reset();
}

DocumentDigest::~DocumentDigest()
{
    EVP_MD_CTX_free(m_ctx);
}

void DocumentDigest::reset()
{
    EVP_DigestInit_ex(m_ctx, EVP_sha256(), nullptr);
}

void DocumentDigest::update(std::string_view bytes)
{
    EVP_DigestUpdate(m_ctx, bytes.data(), bytes.size());
}

void DocumentDigest::head(std::string_view written)
{
    std::string canonical;
    Documents::canonicalHead(canonical, written);
    body(canonical);
}

void DocumentDigest::body(std::string_view written)
{
    static const std::boyer_moore_horspool_searcher unitRef(kUnitRef.begin(), kUnitRef.end());
    size_t done = 0;
    for (;;) {
        const auto hit = std::search(written.begin() + std::ptrdiff_t(done), written.end(), unitRef);
        if (hit == written.end()) {
            break;
        }
        const size_t at = size_t(hit - written.begin());
        const size_t start = at > 0 ? at - 1 : 0; // the space before the attribute
        const std::string_view rest = written.substr(start);
        std::string_view replacement;
        size_t length = 0;
        if (at == 0) {
        } else if (rest.starts_with(kTryWritten)) {
            replacement = kTryCanonical;
            length = kTryWritten.size();
        } else if (rest.starts_with(kCountWritten)) {
            replacement = kCountCanonical;
            length = kCountWritten.size();
        }
        if (length == 0) {
            update(written.substr(done, at + kUnitRef.size() - done));
            done = at + kUnitRef.size();
            continue;
        }
        update(written.substr(done, start - done));
        update(replacement);
        done = start + length;
    }
    update(written.substr(done));
}

std::string DocumentDigest::finish(std::string_view whitespaceBeforeSignature, std::string_view rootName)
{
    update(whitespaceBeforeSignature);
    update("\n</");
    update(rootName);
    update(">");
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_ctx, digest, &length);
    reset();
    return std::string(reinterpret_cast<char*>(digest), length);
}

std::string DocumentDigest::ofDocument(std::string_view written, std::string_view whitespaceBeforeSignature,
                                       std::string_view rootName)
{
    const size_t headEnd = Documents::headLength(written);
    DocumentDigest digest;
    digest.head(written.substr(0, headEnd));
    digest.body(written.substr(headEnd));
    return digest.finish(whitespaceBeforeSignature, rootName);
}

} // namespace ledgergen
