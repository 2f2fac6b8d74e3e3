#include "chart.h"

#include "random.h"
#include "text.h"

#include <algorithm>
#include <stdexcept>

namespace ledgergen {

namespace {

struct SubRow
{
    std::string_view id;
    std::string_view name;
};

struct MainRow
{
    std::string_view id;
    std::string_view name;
    std::vector<SubRow> subs;
};

const std::vector<MainRow>& fixedChart()
{
    static const std::vector<MainRow> chart = {
        {"100", "KASA", {{"100.01", "Merkez Kasa TL"}}},
        {"101", "ALINAN ÇEKLER", {}},
        {"102",
         "BANKALAR",
         {{"102.01.001", "T.C. Ziraat Bankası Kızılay Şubesi TL Hesabı"},
          {"102.01.002", "Türkiye İş Bankası Ulus Şubesi TL Hesabı"},
          {"102.01.003", "Türkiye Garanti Bankası Çankaya Şubesi TL Hesabı"},
          {"102.02.001", "Yapı Kredi Bankası POS Tahsilat Hesabı"}}},
        {"103", "VERİLEN ÇEKLER VE ÖDEME EMİRLERİ (-)", {}},
        {"108", "DİĞER HAZIR DEĞERLER", {{"108.01", "Kredi Kartı Slipleri"}}},
        {"120", "ALICILAR", {}},
        {"153", "TİCARİ MALLAR", {}},
        {"190", "DEVREDEN KDV", {}},
        {"191",
         "İNDİRİLECEK KDV",
         {{"191.01", "%20 İndirilecek KDV"}, {"191.02", "%10 İndirilecek KDV"}, {"191.03", "%1 İndirilecek KDV"}}},
        {"320", "SATICILAR", {}},
        {"335", "PERSONELE BORÇLAR", {}},
        {"360",
         "ÖDENECEK VERGİ VE FONLAR",
         {{"360.01", "Gelir Vergisi Stopajı"}, {"360.02", "Damga Vergisi"}, {"360.03", "Ödenecek KDV"}}},
        {"361",
         "ÖDENECEK SOSYAL GÜVENLİK KESİNTİLERİ",
         {{"361.01", "SGK İşçi Payı"},
          {"361.02", "SGK İşveren Payı"},
          {"361.03", "İşsizlik Sigortası İşçi Payı"},
          {"361.04", "İşsizlik Sigortası İşveren Payı"}}},
        {"391",
         "HESAPLANAN KDV",
         {{"391.01", "%20 Hesaplanan KDV"}, {"391.02", "%10 Hesaplanan KDV"}, {"391.03", "%1 Hesaplanan KDV"}}},
        {"600", "YURT İÇİ SATIŞLAR", {{"600.01", "Yurt İçi Mal Satışları"}, {"600.02", "Yurt İçi Hizmet Satışları"}}},
        {"601", "YURT DIŞI SATIŞLAR", {{"601.01", "İhracat Satışları"}}},
        {"602", "DİĞER GELİRLER", {{"602.01", "Kira Gelirleri"}, {"602.02", "Hurda Satış Gelirleri"}}},
        {"610", "SATIŞTAN İADELER (-)", {}},
        {"642", "FAİZ GELİRLERİ", {}},
        {"770",
         "GENEL YÖNETİM GİDERLERİ",
         {{"770.01", "Personel Ücretleri"},
          {"770.02", "SGK İşveren Payı Giderleri"},
          {"770.03", "Kira Giderleri"},
          {"770.04", "Elektrik Giderleri"},
          {"770.05", "Telefon ve İnternet Giderleri"},
          {"770.06", "Kırtasiye Giderleri"},
          {"770.07", "Akaryakıt Giderleri"},
          {"770.08", "Temizlik Giderleri"},
          {"770.09", "Mali Müşavirlik Hizmet Giderleri"}}},
        {"780", "FİNANSMAN GİDERLERİ", {{"780.01", "Banka Masrafları"}, {"780.02", "Kredi Faiz Giderleri"}}},
    };
    return chart;
}

constexpr std::string_view kNameFirst[] = {
    "Yıldız",   "Güneş",   "Çağdaş", "Öztürk", "Işık",  "Doğan",    "Şimşek",  "Ege",   "Karadeniz", "Anadolu",
    "Başkent",  "Akdeniz", "Gökçe",  "Özgür",  "Ilgın", "Çınar",    "Ağaoğlu", "Kuzey", "Erciyes",   "Uludağ",
    "Boğaziçi", "Yeşil",   "Aydın",  "Şahin",  "Gül",   "Türkoğlu", "Ünal",    "İlkay", "Sönmez",    "Çelik"};
constexpr std::string_view kNameTrade[] = {
    "Kırtasiye",  "Büro Malzemeleri",    "Eğitim Hizmetleri", "Yayıncılık", "Matbaacılık",
    "Bilgisayar", "Ofis Sistemleri",     "Lojistik",          "Kağıtçılık", "Gıda",
    "İnşaat",     "Ar-Ge & Danışmanlık", "Ambalaj",           "Tekstil"};
constexpr std::string_view kNameForm[] = {"Ltd. Şti.", "A.Ş.", "San. ve Tic. Ltd. Şti.", "Tic. A.Ş."};

constexpr SubRow kGoods[] = {{"153.01.001", "Defter ve Bloknotlar"}, {"153.01.002", "Fotokopi Kağıtları"},
                             {"153.01.003", "Yazı Gereçleri"},       {"153.01.004", "Dosyalama Ürünleri"},
                             {"153.01.005", "Okul Çantaları"},       {"153.01.006", "Büro Mobilyası"},
                             {"153.01.007", "Toner ve Kartuşlar"},   {"153.01.008", "Sanat Malzemeleri"}};
constexpr std::string_view kUnits[] = {"Adet", "Paket", "Koli", "Kutu"};

constexpr std::string_view kExportCustomers[] = {"Müller Bürobedarf GmbH", "Smith & Sons Stationery Ltd.",
                                                 "Al Noor Trading LLC", "Petrov Kanstovary OOO",
                                                 "Dupont Fournitures SARL"};

std::string counterpartyName(uint64_t code)
{
    const uint64_t first = code % std::size(kNameFirst);
    const uint64_t trade = (code / std::size(kNameFirst)) % std::size(kNameTrade);
    const uint64_t form = (code / (std::size(kNameFirst) * std::size(kNameTrade))) % std::size(kNameForm);
    std::string name(kNameFirst[first]);
    name += ' ';
    name += kNameTrade[trade];
    name += ' ';
    name += kNameForm[form];
    return name;
}

std::string seriesOf(std::string_view name, uint64_t salt)
{
    std::string letters = asciiUpperLetters(name);
    std::string series;
    series += letters.empty() ? 'X' : letters[0];
    series += char('A' + salt % 26);
    series += char('A' + (salt / 26) % 26);
    return series;
}

} // namespace

Chart::Chart(uint64_t seed, int domesticCustomerCount, int supplierCount)
{
    Rng rng(streamSeed(seed, "chart"));
    // Distinct names for all counterparties: a shuffled slice of every combination.
    const uint64_t combinations = std::size(kNameFirst) * std::size(kNameTrade) * std::size(kNameForm);
    std::vector<uint64_t> codes(combinations);
    for (uint64_t i = 0; i < combinations; ++i) {
        codes[i] = i;
    }
    for (uint64_t i = combinations - 1; i > 0; --i) {
        std::swap(codes[i], codes[rng.below(i + 1)]);
    }
    size_t nextCode = 0;
    auto takeName = [&] {
        return counterpartyName(codes[nextCode++ % combinations]);
    };

    for (const MainRow& row : fixedChart()) {
        const int main = int(m_mains.size());
        m_mains.push_back({std::string(row.id), std::string(row.name)});
        if (row.id == "120") {
            for (int i = 0; i < domesticCustomerCount; ++i) {
                std::string id = "120.01.";
                appendNumber(id, uint64_t(i + 1), 3);
                std::string name = takeName();
                std::string series = seriesOf(name, rng.below(676));
                m_accounts.push_back({main, id, name, series, {}});
            }
            for (size_t i = 0; i < std::size(kExportCustomers); ++i) {
                std::string id = "120.02.";
                appendNumber(id, i + 1, 3);
                m_accounts.push_back(
                    {main, id, std::string(kExportCustomers[i]), seriesOf(kExportCustomers[i], rng.below(676)), {}});
            }
        } else if (row.id == "320") {
            for (int i = 0; i < supplierCount; ++i) {
                std::string id = "320.01.";
                appendNumber(id, uint64_t(i + 1), 3);
                std::string name = takeName();
                std::string series = seriesOf(name, rng.below(676));
                m_accounts.push_back({main, id, name, series, {}});
            }
        } else if (row.id == "153") {
            for (size_t i = 0; i < std::size(kGoods); ++i) {
                m_accounts.push_back({main,
                                      std::string(kGoods[i].id),
                                      std::string(kGoods[i].name),
                                      {},
                                      std::string(kUnits[i % std::size(kUnits)])});
            }
        } else if (row.subs.empty()) {
            m_accounts.push_back({main, {}, {}, {}, {}});
        } else {
            for (const SubRow& sub : row.subs) {
                m_accounts.push_back({main, std::string(sub.id), std::string(sub.name), {}, {}});
            }
        }
    }
    // Built in code order already; kept sorted so that the kebir can rely on it.
    std::stable_sort(m_accounts.begin(), m_accounts.end(), [this](const PostingAccount& a, const PostingAccount& b) {
        return m_mains[a.main].id != m_mains[b.main].id ? m_mains[a.main].id < m_mains[b.main].id : a.subId < b.subId;
    });

    for (int i = 0; i < int(m_accounts.size()); ++i) {
        const PostingAccount& a = m_accounts[i];
        const std::string& main = m_mains[a.main].id;
        if (main == "120") {
            (a.subId.compare(0, 6, "120.01") == 0 ? domesticCustomers : exportCustomers).push_back(i);
        } else if (main == "320") {
            suppliers.push_back(i);
        } else if (main == "153") {
            goods.push_back(i);
        } else if (main == "770" && a.subId >= "770.03") {
            expenses.push_back(i);
        } else if (main == "102" && a.subId.compare(0, 6, "102.01") == 0) {
            banks.push_back(i);
        }
    }
    posBank = find("102.02.001");
}

int Chart::find(std::string_view code) const
{
    for (int i = 0; i < int(m_accounts.size()); ++i) {
        const PostingAccount& a = m_accounts[i];
        if (a.subId.empty() ? m_mains[a.main].id == code : a.subId == code) {
            return i;
        }
    }
    throw std::logic_error("hesap planında yok: " + std::string(code));
}

int Chart::mainIndex(std::string_view id) const
{
    for (int i = 0; i < int(m_mains.size()); ++i) {
        if (m_mains[i].id == id) {
            return i;
        }
    }
    throw std::logic_error("hesap planında yok: " + std::string(id));
}

} // namespace ledgergen
