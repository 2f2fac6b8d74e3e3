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
        "Kurgusal bir mükellefin bir aylık e-Defter dosyalarını yazar: yevmiye (Y), kebir (K), beratları\n"
        "(YB, KB), GİB onaylı beratlar (GIB-…) ve defter raporu (DR).\n"
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
