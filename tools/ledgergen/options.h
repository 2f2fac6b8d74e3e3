#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ledgergen {

constexpr uint64_t kMiB = 1024 * 1024;
// Ledgers above this size must be split into parts.
constexpr uint64_t kMaxPartBytes = 200 * kMiB;

// A fault planted in an otherwise sound set, for testing a set check: each one only such a check can catch.
enum class FaultKind
{
    MissingPart,
    MissingBerat,
    DrAmount,
    DrCount,
    BeratEntryCount,
    BeratSize,
    TaxLine,
    UnbalancedEntry,
    EntryDate,
    SerialGap,
    NumberOverlap,
    KebirLineMissing,
};

struct Fault
{
    FaultKind kind = FaultKind::DrAmount;
    int year = 0; // the month it is planted in
    int month = 0;
};

// The names the command line takes, in FaultKind's order.
const std::vector<std::string>& faultNames();

struct Options
{
    std::filesystem::path outDir;
    std::filesystem::path rootsDir; // empty: the test roots are not written
    uint64_t entries = 300;         // used when sizeBytes is 0
    uint64_t sizeBytes = 0;         // target size of the month's journal
    uint64_t partBytes = 0;         // 0: split only above kMaxPartBytes
    uint64_t seed = 1;
    // The first month written and the last (the same month unless --months gives a range).
    int year = 2024;
    int month = 3;
    int lastYear = 2024;
    int lastMonth = 3;
    std::vector<Fault> faults;
    bool person = false;
    bool branch = false;
    uint64_t bigAccountLines = 0;
    uint64_t attachments = 0;
    // The taxpayer's seal: RSA, ECDSA (value DER as real seals write it, or r‖s), or RSA before July and ECDSA
    // from July on. GİB's counter-signature stays RSA.
    enum class Key
    {
        Rsa,
        Ecdsa,
        EcdsaRaw,
        Mixed,
    };
    Key key = Key::Rsa;
    int curve = 384; // of an EC key: 256, 384 or 521
};

// An option as given on the command line, without its dashes; a switch has no value.
struct GivenOption
{
    std::string name;
    std::string value;
};

struct ParsedOptions
{
    std::optional<Options> options;
    std::string error; // Turkish, for the user
};

// Checks the values of the options given, in their order (a later one wins).
ParsedOptions parseOptions(const std::vector<GivenOption>& given);

} // namespace ledgergen
