#include "taxpayer.h"

namespace ledgergen {

std::string withVknCheckDigit(const std::string& nineDigits)
{
    int sum = 0;
    for (int i = 0; i < 9; ++i) {
        const int t = (nineDigits[i] - '0' + 9 - i) % 10;
        int v = (t * (1 << (9 - i))) % 9;
        if (t != 0 && v == 0) {
            v = 9;
        }
        sum += v;
    }
    return nineDigits + char('0' + (10 - sum % 10) % 10);
}

std::string withTcknCheckDigits(const std::string& nineDigits)
{
    int odd = 0;
    int even = 0;
    for (int i = 0; i < 9; ++i) {
        (i % 2 == 0 ? odd : even) += nineDigits[i] - '0';
    }
    const int tenth = ((odd * 7 - even) % 10 + 10) % 10;
    const int eleventh = (odd + even + tenth) % 10;
    return nineDigits + char('0' + tenth) + char('0' + eleventh);
}

Taxpayer makeTaxpayer(bool person, bool branch, int fiscalYear)
{
    Taxpayer t;
    t.person = person;
    const std::string year = std::to_string(fiscalYear);
    if (person) {
        t.id = withTcknCheckDigits("284619375");
        t.name = "Şükrü Çağlar Öztürk";
        t.nameDative = "Şükrü Çağlar Öztürk'e";
        t.phone = "2324418265";
        t.email = "sukru.ozturk@example.com.tr";
        t.web = "-";
        t.address = {"14/2", "Kıbrıs Şehitleri Caddesi", "Alsancak Mahallesi", "İzmir", "35220", "Türkiye"};
        t.nace = "47.62.01";
        t.invoiceSeries = "SCO";
        t.certificateSubject = "CN=Şükrü Çağlar Öztürk, SERIALNUMBER=" + t.id + ", C=TR";
        t.certificateIssuer =
            "CN=Nitelikli Elektronik Sertifika Hizmet Sağlayıcısı - Sürüm 1, O=Örnek ESHS A.Ş., L=İstanbul, C=TR";
        t.clerks = {"Şükrü Öztürk", "Gülşen Işık"};
    } else {
        t.id = withVknCheckDigit("284061937");
        t.name = "ÇAĞLAYAN KIRTASİYE VE BÜRO ÜRÜNLERİ TİCARET LİMİTED ŞİRKETİ";
        t.nameDative = "ÇAĞLAYAN KIRTASİYE VE BÜRO ÜRÜNLERİ TİCARET LİMİTED ŞİRKETİ'ne";
        t.phone = "3124172930";
        t.fax = "3124172931";
        t.email = "muhasebe@caglayankirtasiye.com.tr";
        t.web = "www.caglayankirtasiye.com.tr";
        t.address = {"27", "Atatürk Bulvarı", "Kızılay Mahallesi Güvenpark İşhanı Kat 3", "Ankara", "06420", "Türkiye"};
        t.nace = "46.49.08";
        t.invoiceSeries = "CKB";
        t.certificateSubject = "CN=" + t.name + ", SERIALNUMBER=" + t.id + ", L=Ankara, C=TR";
        t.certificateIssuer = "CN=Mali Mühür Elektronik Sertifika Hizmet Sağlayıcısı - Sürüm 2, OU=Kamu Sertifikasyon "
                              "Merkezi, O=TÜBİTAK, L=Gebze - Kocaeli, C=TR";
        t.clerks = {"AYŞE ÇELİK", "MURAT ŞAHİN", "GÜLŞEN ÖZDEMİR"};
    }
    if (branch) {
        t.branchNo = person ? "0001" : "0003";
        t.branchName = person ? "Karşıyaka Şubesi" : "Kadıköy Şubesi";
    }
    t.sourceApplication = withVknCheckDigit("731502846") + "##Örnek Yazılım A.Ş.##Örnek e-Defter##4.2.1";
    t.accountant.name = "SMMM Hülya Güneş Doğru";
    t.accountant.address = {"8", "Necatibey Caddesi", "Sıhhiye", "Ankara", "06430", "Türkiye"};
    t.accountant.engagement = "Serbest Muhasebeci Mali Müşavirlik Sözleşmesi, 02.01." + year + ", " + year + "/017";
    t.accountant.phone = "3122298841";
    t.accountant.fax = "3122298842";
    t.accountant.email = "hulya.dogru@example.com.tr";
    return t;
}

} // namespace ledgergen
