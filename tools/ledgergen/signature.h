#pragma once

#include "calendar.h"
#include "pki.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ledgergen {

class Rng;

// One XAdES-BES signature block, signed for real: its SignedProperties and the signed data are digested,
// its SignedInfo is signed with the signer's test key.
struct SignatureData
{
    std::string id; // suffix shared by every Id of the block
    std::string signingTime;
    const Identity* signer = nullptr;
    std::string value; // base64, wrapped
    std::string signedPropertiesDigest;
    std::string dataDigest; // the document, or for a counter-signature the signed block's SignatureValue
};

// Id and signing time from the seed; nothing signed yet.
SignatureData makeSignature(uint64_t seed, std::string_view label, uint64_t index, const Identity& signer, Date day);
std::string makeGuid(Rng& rng);

// Signs a document whose canonical form has the given raw SHA-256.
void signDocument(SignatureData& sig, std::string_view documentDigest);
// GİB's approval: signs `target`'s SignatureValue.
void counterSign(SignatureData& sig, const SignatureData& target);

// An enveloped signature over the whole document. With a counter-signature (GİB's approval), that block goes
// into the unsigned properties; it is unsigned data, so the first signature stays valid.
void appendSignature(std::string& out, int depth, const SignatureData& sig, const SignatureData* counterSignature);

} // namespace ledgergen
