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
    std::vector<std::string> planted; // one line per planted fault: its name, file and place
};

// Writes the whole set of every month of the range into options.outDir, numbers carried on from month to month.
Outcome generateMonths(const Options& options);

} // namespace ledgergen
