#pragma once

#include "calendar.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

using EVP_PKEY = struct evp_pkey_st;

namespace ledgergen {

struct PkeyFree
{
    void operator()(EVP_PKEY* key) const;
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;

// Who signs, as the signature block names them.
struct Signer
{
    std::string subject;
    std::string issuer;
    std::string claimedRole;
};

// Which key the taxpayer's seal has: RSA, or EC on a curve (256, 384, 521), and how an ECDSA value is written.
struct KeyChoice
{
    int curve = 0;         // 0: RSA
    bool rawValue = false; // ECDSA: r‖s as XML-DSig prescribes; otherwise DER, as real e-seals write it
};

// A signer's key with the certificate issued to it.
struct Identity
{
    const EVP_PKEY* key = nullptr;
    KeyChoice choice;
    std::string certificate;  // DER
    std::string serialNumber; // decimal, as XAdES writes it
    Signer names;
    std::string signatureMethod() const;
};

// Test keys made when ledgergen is built (never committed) and the certificates issued with them. The
// certificates are made here, from the seed, so that one seed always gives the same bytes; a test root with
// the issuer's name stands for each certificate authority.
class Pki
{
public:
    Pki();
    ~Pki();

    // The taxpayer's seal or e-signature, and GİB's (RSA), valid from a year before `from` for five years.
    Identity taxpayer(const Signer& names, uint64_t seed, Date from, KeyChoice key = {});
    Identity gib(const Signer& names, uint64_t seed, Date from);

    // PEM of the self-signed test root named `issuer`, for a verifier's root folder.
    std::string rootPem(const std::string& issuer) const;

    // RSA-SHA256 (PKCS #1 v1.5), or ECDSA with the SHA-2 that fits the curve; deterministic either way.
    static std::string sign(const Identity& signer, std::string_view data);
    static std::string sha256(std::string_view data);
    static std::string modulus(const EVP_PKEY* key);

private:
    Identity issue(const EVP_PKEY* key, const Signer& names, uint64_t serialSeed, Date from) const;

    Pkey m_root;
    Pkey m_taxpayer;
    Pkey m_gib;
    Pkey m_ec256;
    Pkey m_ec384;
    Pkey m_ec521;
};

} // namespace ledgergen
