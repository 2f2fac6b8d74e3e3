#pragma once

#include "options.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ledgergen {

struct WrittenFile
{
    std::string name;
    uint64_t bytes = 0;
};

struct Outcome
{
    bool ok = false;
    std::string error; // Turkish, for the user
    std::vector<WrittenFile> files;
    std::vector<std::string> warnings;
};

// Writes the whole set for one month into options.outDir.
Outcome generateMonth(const Options& options);

} // namespace ledgergen
