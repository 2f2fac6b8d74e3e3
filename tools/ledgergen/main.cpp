#include "generator.h"
#include "options.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kUsage = 2;

QString description()
{
    return QStringLiteral(
        "Kurgusal bir mükellefin bir ya da birkaç aylık e-Defter dosyalarını yazar: yevmiye (Y), kebir (K),\n"
        "beratları (YB, KB), GİB onaylı beratlar (GIB-…) ve defter raporu (DR, 2019'dan itibaren).\n"
        "\n"
        "Denetim araçlarını sınamak için --fault ile sete hata eklenir; her eklenen hata için standart\n"
        "çıktıya bir satır yazılır: \"Hata eklendi: AD · DOSYA · YER\". Değişen dosyalar yeniden imzalanır\n"
        "(beratlar defterin yeni imza değerini taşır): her imza geçerli kalır, hatayı setin bütün olarak\n"
        "denetlenmesi bulur. Adlar:\n"
        "  missing-part        bölünmüş ayın yevmiye parçası 000002 yazılmaz (--part-size gerekir)\n"
        "  missing-berat       ayın yevmiye beratı (YB; GİB onaylısı değil) yazılmaz\n"
        "  dr-amount           defter raporunda bir satırın tutarı 1,00 fazla\n"
        "  dr-count            defter raporunda bir satırın işlem sayısı 1 fazla\n"
        "  berat-entry-count   yevmiye beratında madde sayısı 1 fazla (GİB kopyasında da)\n"
        "  berat-size          yevmiye beratında defter boyutu 0,50 MB fazla (GİB kopyasında da)\n"
        "  tax-line            yevmiye beratında bir vergi satırı 1,00 fazla (GİB kopyasında da)\n"
        "  unbalanced-entry    yevmiyede bir maddenin bir satırı 1,00 fazla, borç ≠ alacak (madde\n"
        "                      toplamları satırlara uyar; kebir ve defter raporu değişmez)\n"
        "  entry-date          yevmiyede bir madde (ve satırları) sonraki ayın ilk gününe tarihli\n"
        "  serial-gap          o aydan başlayarak yevmiye seri numarası bir atlar\n"
        "  number-overlap      ayın ilk madde numarası önceki ayın son maddesini yineler\n"
        "  kebir-line-missing  kebirde bir satır yazılmaz (hesap toplamları kalan satırlara uyar)\n"
        "\n"
        "MB = 1.048.576 bayt. Kesirli değerler kabul edilir (--part-size 0.5).");
}

QList<QCommandLineOption> optionList()
{
    const auto valued = [](const char* name, const char* value, const char* text) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(text), QString::fromUtf8(value));
    };
    return {
        valued("out", "KLASÖR", "Dosyaların yazılacağı klasör (gerekli; yoksa oluşturulur)."),
        valued("entries", "N", "Aydaki yevmiye maddesi sayısı (varsayılan 300)."),
        valued("size", "MB", "Yevmiye boyutu hedefi (--entries yerine). 200 MB'ı aşan ay parçalara bölünür."),
        valued("seed", "S", "Tohum (varsayılan 1); aynı tohum aynı baytları verir."),
        valued("month", "YYYY-AA", "Dönem (varsayılan 2024-03)."),
        valued("months", "YYYY-AA..YYYY-AA",
               "Aralıktaki her ayı yazar (--month yerine): seri numaraları, madde ve satır numaraları aydan aya "
               "sürer, her yıl baştan başlar. Öteki seçenekler her aya uygulanır."),
        valued("fault", "AD[@YYYY-AA]",
               "Sete bir hata ekler (birden çok kez verilebilir). Ay verilmezse aralığın ikinci ayı, tek ayda o ay. "
               "Adlar yukarıda."),
        valued("taxpayer", "company|person",
               "Şirket (10 haneli VKN) ya da gerçek kişi (11 haneli TCKN); varsayılan company."),
        QCommandLineOption(QStringLiteral("branch"), QStringLiteral("Şube bilgisi ekler (Şube No, Şube Adı).")),
        valued("big-account-lines", "N",
               "Bir banka hesabına (102.02.001) tam N satır düşer; kebirde N satırlık bir hesap bloğu oluşur."),
        valued("part-size", "MB",
               "Ayı bu boyutta parçalara böler (000001, 000002, …; en çok 200). Bir madde hiçbir zaman iki "
               "parçaya bölünmez."),
        valued("attachments", "N",
               "İlk N faturalı maddeye yevmiyede PDF eki (extensions) koyar; varsayılan 0 (ek "
               "yok)."),
        valued("key", "rsa|ecdsa|ecdsa-raw|mixed",
               "Mükellefin mührü: RSA (varsayılan); ECDSA, imza değeri gerçek mühürlerdeki gibi DER; ECDSA, değer "
               "XML-DSig'deki gibi r‖s; mixed: Temmuz'dan önceki aylar RSA, Temmuz'dan sonrakiler ECDSA (DER). "
               "GİB'in karşı imzası her zaman RSA."),
        valued("curve", "P-256|P-384|P-521", "ECDSA anahtarının eğrisi (varsayılan P-384, gerçek mühürlerdeki gibi)."),
        valued("roots", "KLASÖR",
               "İmzaların dayandığı test kök sertifikalarını KLASÖR'e yazar (verazidedaze-verify --roots KLASÖR ile "
               "zincir denetimi için)."),
    };
}

void write(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int usageError(const QString& problem)
{
    write(stderr, QStringLiteral("ledgergen: %1\n--help ile kullanımı görün.\n").arg(problem));
    return kUsage;
}

// The two errors a user meets are worded as the other tools word them; Qt's text for the rest.
QString parseProblem(const QCommandLineParser& parser, const QStringList& arguments)
{
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty()) {
        const QString& name = unknown.constFirst();
        return QStringLiteral("bilinmeyen seçenek: %1%2")
            .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
    }
    // Qt takes whatever follows an option as its value, so a value can be missing only at the end.
    if (const QString last = arguments.constLast(); last.startsWith(u'-') && !last.contains(u'=')) {
        return QStringLiteral("%1 bir değer bekliyor.").arg(last);
    }
    return parser.errorText();
}

// The options in the order given, each with its value, for the checks of the values.
std::vector<ledgergen::GivenOption> givenOptions(const QCommandLineParser& parser)
{
    std::vector<ledgergen::GivenOption> given;
    QHash<QString, qsizetype> seen;
    for (const QString& name : parser.optionNames()) {
        const QStringList values = parser.values(name);
        const qsizetype index = seen[name]++;
        given.push_back({name.toStdString(), index < values.size() ? values.at(index).toStdString() : std::string()});
    }
    return given;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ledgergen"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LEDGERGEN_VERSION));
    // Qt's own words in the help ("Kullanım", "Seçenekler") are Turkish when its catalog is installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Turkish, QLocale::Turkey), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&qtTexts);
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions(optionList());
    const QStringList arguments = application.arguments();
    if (!parser.parse(arguments)) {
        return usageError(parseProblem(parser, arguments));
    }
    if (parser.isSet(QStringLiteral("help"))) {
        write(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        write(stdout, QStringLiteral("ledgergen %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return usageError(QStringLiteral("bilinmeyen seçenek: %1").arg(parser.positionalArguments().constFirst()));
    }
    const ledgergen::ParsedOptions parsed = ledgergen::parseOptions(givenOptions(parser));
    if (!parsed.options) {
        return usageError(QString::fromStdString(parsed.error));
    }
    const ledgergen::Outcome outcome = ledgergen::generateMonths(*parsed.options);
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
    for (const std::string& line : outcome.planted) {
        std::printf("%s\n", line.c_str());
    }
    return 0;
}
