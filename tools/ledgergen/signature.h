#pragma once

#include "calendar.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ledgergen {

class Rng;

// The values of one XAdES-BES signature block. They have the real shape and lengths (RSA-2048, SHA-256) but
// are random: nothing here verifies, which is all a viewer needs.
struct SignatureData
{
    std::string id; // suffix shared by every Id of the block
    std::string value;
    std::string certificate;
    std::string modulus;
    std::string signedPropertiesDigest;
    std::string documentDigest;
    std::string certificateDigest;
    std::string serialNumber;
    std::string signingTime;
    std::string subject;
    std::string issuer;
    std::string claimedRole; // empty: none
};

struct Signer
{
    std::string subject;
    std::string issuer;
    std::string claimedRole;
};

SignatureData makeSignature(uint64_t seed, std::string_view label, uint64_t index, const Signer& signer, Date day);
std::string makeGuid(Rng& rng);

// An enveloped signature over the whole document. With a counter-signature (GİB's approval), that block goes
// into the unsigned properties and signs this block's SignatureValue.
void appendSignature(std::string& out, int depth, const SignatureData& sig, const SignatureData* counterSignature);

} // namespace ledgergen
