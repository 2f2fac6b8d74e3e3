#include "options.h"

#include <charconv>
#include <cmath>

namespace ledgergen {

namespace {

template <typename T>
bool parseWhole(const std::string& text, T& value)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

// Megabytes (MiB) as a positive decimal, "0.5" or "200".
bool parseMegabytes(const std::string& text, uint64_t& bytes)
{
    double mb = 0;
    if (!parseWhole(text, mb) || !std::isfinite(mb) || mb <= 0 || mb > 1e6) {
        return false;
    }
    bytes = uint64_t(std::llround(mb * double(kMiB)));
    return bytes > 0;
}

bool parseMonth(const std::string& text, int& year, int& month)
{
    if (text.size() != 7 || text[4] != '-') {
        return false;
    }
    return parseWhole(text.substr(0, 4), year) && parseWhole(text.substr(5, 2), month) && year >= 2000 &&
           year <= 2099 && month >= 1 && month <= 12;
}

} // namespace

ParsedOptions parseOptions(const std::vector<GivenOption>& given)
{
    Options o;
    bool haveOut = false;
    bool haveEntries = false;
    bool haveSize = false;
    for (const GivenOption& option : given) {
        const std::string name = "--" + option.name;
        const std::string& value = option.value;
        if (name == "--branch") {
            o.branch = true;
            continue;
        }
        auto bad = [&](const std::string& expected) {
            return ParsedOptions{std::nullopt, name + " için geçersiz değer: \"" + value + "\" (" + expected + ")"};
        };
        if (name == "--out") {
            if (value.empty()) {
                return bad("klasör yolu");
            }
            o.outDir = std::filesystem::path(std::u8string(value.begin(), value.end()));
            haveOut = true;
        } else if (name == "--roots") {
            if (value.empty()) {
                return bad("klasör yolu");
            }
            o.rootsDir = std::filesystem::path(std::u8string(value.begin(), value.end()));
        } else if (name == "--entries") {
            if (!parseWhole(value, o.entries) || o.entries < 1 || o.entries > 100000000) {
                return bad("1 ile 100.000.000 arası tam sayı");
            }
            haveEntries = true;
        } else if (name == "--size") {
            if (!parseMegabytes(value, o.sizeBytes)) {
                return bad("pozitif MB");
            }
            haveSize = true;
        } else if (name == "--seed") {
            if (!parseWhole(value, o.seed)) {
                return bad("negatif olmayan tam sayı");
            }
        } else if (name == "--month") {
            if (!parseMonth(value, o.year, o.month)) {
                return bad("YYYY-AA, ör. 2024-03");
            }
        } else if (name == "--taxpayer") {
            if (value != "company" && value != "person") {
                return bad("company ya da person");
            }
            o.person = value == "person";
        } else if (name == "--big-account-lines") {
            if (!parseWhole(value, o.bigAccountLines) || o.bigAccountLines > 10000000) {
                return bad("0 ile 10.000.000 arası tam sayı");
            }
        } else if (name == "--part-size") {
            if (!parseMegabytes(value, o.partBytes) || o.partBytes > kMaxPartBytes) {
                return bad("0'dan büyük, en çok 200 MB");
            }
        } else if (name == "--attachments") {
            if (!parseWhole(value, o.attachments) || o.attachments > 10000) {
                return bad("0 ile 10.000 arası tam sayı");
            }
        } else if (name == "--key") {
            if (value == "rsa") {
                o.key = Options::Key::Rsa;
            } else if (value == "ecdsa") {
                o.key = Options::Key::Ecdsa;
            } else if (value == "ecdsa-raw") {
                o.key = Options::Key::EcdsaRaw;
            } else if (value == "mixed") {
                o.key = Options::Key::Mixed;
            } else {
                return bad("rsa, ecdsa, ecdsa-raw ya da mixed");
            }
        } else if (name == "--curve") {
            if (value != "P-256" && value != "P-384" && value != "P-521") {
                return bad("P-256, P-384 ya da P-521");
            }
            o.curve = std::stoi(value.substr(2));
        } else {
            return {std::nullopt, "bilinmeyen seçenek: " + name};
        }
    }
    if (haveEntries && haveSize) {
        return {std::nullopt, "--entries ve --size birlikte kullanılamaz."};
    }
    if (!haveOut) {
        return {std::nullopt, "--out gerekli: dosyaların yazılacağı klasörü verin."};
    }
    return {o, {}};
}

} // namespace ledgergen
