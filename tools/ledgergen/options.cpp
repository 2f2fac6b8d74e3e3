#include "options.h"

#include <algorithm>
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

// "2024-01..2024-12"; the range runs forwards.
bool parseRange(const std::string& text, Options& o)
{
    const size_t dots = text.find("..");
    if (dots == std::string::npos || !parseMonth(text.substr(0, dots), o.year, o.month) ||
        !parseMonth(text.substr(dots + 2), o.lastYear, o.lastMonth)) {
        return false;
    }
    return o.year * 12 + o.month <= o.lastYear * 12 + o.lastMonth;
}

// "dr-amount" or "dr-amount@2024-02"; without a month, the month is chosen once the range is known.
bool parseFault(const std::string& text, Fault& fault)
{
    const size_t at = text.find('@');
    const std::string name = text.substr(0, at);
    const std::vector<std::string>& names = faultNames();
    const auto found = std::find(names.begin(), names.end(), name);
    if (found == names.end()) {
        return false;
    }
    fault.kind = FaultKind(found - names.begin());
    return at == std::string::npos || parseMonth(text.substr(at + 1), fault.year, fault.month);
}

int monthIndex(int year, int month)
{
    return year * 12 + month - 1;
}

// Faults go to the second month of a range (so that a month before it can show what carries on), else to the
// only month; each must be one a set check can find there.
std::string resolveFaults(Options& o)
{
    const int first = monthIndex(o.year, o.month);
    const int last = monthIndex(o.lastYear, o.lastMonth);
    for (size_t i = 0; i < o.faults.size(); ++i) {
        Fault& f = o.faults[i];
        const std::string name = faultNames()[size_t(f.kind)];
        if (f.month == 0) {
            const int chosen = first < last ? first + 1 : first;
            f.year = chosen / 12;
            f.month = chosen % 12 + 1;
        }
        const int at = monthIndex(f.year, f.month);
        if (at < first || at > last) {
            return "--fault " + name + ": ay yazılan aralıkta değil.";
        }
        const bool carried = f.kind == FaultKind::SerialGap || f.kind == FaultKind::NumberOverlap;
        // Serials and numbers restart with the year, so the month before must be of the same year.
        if (carried && (at == first || f.month == 1)) {
            return "--fault " + name + ": aralığın ya da yılın ilk ayına eklenemez; aynı yıldan önceki bir ay gerekir.";
        }
        if (f.kind == FaultKind::MissingPart && o.partBytes == 0 && o.sizeBytes <= kMaxPartBytes) {
            return "--fault missing-part parçalara bölünmüş bir ay ister: --part-size verin.";
        }
        for (size_t j = 0; j < i; ++j) {
            if (o.faults[j].kind == f.kind && o.faults[j].year == f.year && o.faults[j].month == f.month) {
                return "--fault " + name + " aynı aya iki kez verildi.";
            }
        }
    }
    return {};
}

} // namespace

const std::vector<std::string>& faultNames()
{
    static const std::vector<std::string> names = {
        "missing-part", "missing-berat",    "dr-amount",  "dr-count",   "berat-entry-count", "berat-size",
        "tax-line",     "unbalanced-entry", "entry-date", "serial-gap", "number-overlap",    "kebir-line-missing"};
    return names;
}

ParsedOptions parseOptions(const std::vector<GivenOption>& given)
{
    Options o;
    bool haveOut = false;
    bool haveEntries = false;
    bool haveSize = false;
    bool haveMonth = false;
    bool haveMonths = false;
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
            o.lastYear = o.year;
            o.lastMonth = o.month;
            haveMonth = true;
        } else if (name == "--months") {
            if (!parseRange(value, o)) {
                return bad("YYYY-AA..YYYY-AA, ör. 2024-01..2024-12");
            }
            haveMonths = true;
        } else if (name == "--fault") {
            Fault fault;
            if (!parseFault(value, fault)) {
                std::string all;
                for (const std::string& known : faultNames()) {
                    all += (all.empty() ? "" : ", ") + known;
                }
                return bad("AD[@YYYY-AA]; adlar: " + all);
            }
            o.faults.push_back(fault);
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
    if (haveMonth && haveMonths) {
        return {std::nullopt, "--month ve --months birlikte kullanılamaz."};
    }
    if (const std::string problem = resolveFaults(o); !problem.empty()) {
        return {std::nullopt, problem};
    }
    if (!haveOut) {
        return {std::nullopt, "--out gerekli: dosyaların yazılacağı klasörü verin."};
    }
    return {o, {}};
}

} // namespace ledgergen
