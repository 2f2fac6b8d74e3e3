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

std::string helpText()
{
    return "Kullanım: ledgergen --out KLASÖR [seçenekler]\n"
           "\n"
           "Kurgusal bir mükellefin bir aylık e-Defter dosyalarını yazar: yevmiye (Y), kebir (K), beratları\n"
           "(YB, KB), GİB onaylı beratlar (GIB-…) ve defter raporu (DR).\n"
           "\n"
           "Seçenekler:\n"
           "  --out KLASÖR              Dosyaların yazılacağı klasör (gerekli; yoksa oluşturulur).\n"
           "  --entries N               Aydaki yevmiye maddesi sayısı (varsayılan 300).\n"
           "  --size MB                 Yevmiye boyutu hedefi (--entries yerine). 200 MB'ı aşan ay\n"
           "                            parçalara bölünür.\n"
           "  --seed S                  Tohum (varsayılan 1); aynı tohum aynı baytları verir.\n"
           "  --month YYYY-AA           Dönem (varsayılan 2024-03).\n"
           "  --taxpayer company|person Şirket (10 haneli VKN) ya da gerçek kişi (11 haneli TCKN);\n"
           "                            varsayılan company.\n"
           "  --branch                  Şube bilgisi ekler (Şube No, Şube Adı).\n"
           "  --big-account-lines N     Bir banka hesabına (102.02.001) tam N satır düşer; kebirde N\n"
           "                            satırlık bir hesap bloğu oluşur.\n"
           "  --part-size MB            Ayı bu boyutta parçalara böler (000001, 000002, …; en çok 200).\n"
           "                            Bir madde hiçbir zaman iki parçaya bölünmez.\n"
           "  --attachments N           İlk N faturalı maddeye yevmiyede PDF eki (extensions) koyar;\n"
           "                            varsayılan 0 (ek yok).\n"
           "  --key rsa|ecdsa|ecdsa-raw|mixed\n"
           "                            Mükellefin mührü: RSA (varsayılan); ECDSA, imza değeri gerçek\n"
           "                            mühürlerdeki gibi DER; ECDSA, değer XML-DSig'deki gibi r‖s;\n"
           "                            mixed: Temmuz'dan önceki aylar RSA, Temmuz'dan sonrakiler ECDSA\n"
           "                            (DER). GİB'in karşı imzası her zaman RSA.\n"
           "  --curve P-256|P-384|P-521 ECDSA anahtarının eğrisi (varsayılan P-384, gerçek mühürlerdeki gibi).\n"
           "  --roots KLASÖR            İmzaların dayandığı test kök sertifikalarını KLASÖR'e yazar\n"
           "                            (verazidedaze-verify --roots KLASÖR ile zincir denetimi için).\n"
           "  --help                    Bu yardımı gösterir.\n"
           "\n"
           "MB = 1.048.576 bayt. Kesirli değerler kabul edilir (--part-size 0.5).\n";
}

ParsedOptions parseOptions(const std::vector<std::string>& args)
{
    Options o;
    bool haveOut = false;
    bool haveEntries = false;
    bool haveSize = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--help" || name == "-h") {
            o.help = true;
            return {o, {}};
        }
        if (name == "--branch") {
            o.branch = true;
            continue;
        }
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            const bool known = name == "--out" || name == "--entries" || name == "--size" || name == "--seed" ||
                               name == "--month" || name == "--taxpayer" || name == "--big-account-lines" ||
                               name == "--part-size" || name == "--attachments" || name == "--roots" ||
                               name == "--key" || name == "--curve";
            return {std::nullopt, known ? name + " bir değer bekliyor." : "Bilinmeyen seçenek: " + name};
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
            return {std::nullopt, "Bilinmeyen seçenek: " + name};
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
