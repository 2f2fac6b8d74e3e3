#include "generator.h"
#include "options.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ledgergen::ParsedOptions parsed = ledgergen::parseOptions(args);
    if (!parsed.options) {
        std::fprintf(stderr, "ledgergen: %s\n--help ile seçenekleri görün.\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options->help) {
        std::fputs(ledgergen::helpText().c_str(), stdout);
        return 0;
    }
    const ledgergen::Outcome outcome = ledgergen::generateMonth(*parsed.options);
    for (const std::string& warning : outcome.warnings) {
        std::fprintf(stderr, "ledgergen: uyarı: %s\n", warning.c_str());
    }
    if (!outcome.ok) {
        std::fprintf(stderr, "ledgergen: %s\n", outcome.error.c_str());
        return 1;
    }
    for (const ledgergen::WrittenFile& file : outcome.files) {
        std::printf("%12llu  %s\n", static_cast<unsigned long long>(file.bytes), file.name.c_str());
    }
    return 0;
}
