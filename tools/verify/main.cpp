#include "common/commandline.h"
#include "verify/verification.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

QString description()
{
    return QStringLiteral(
        "e-Defter dosyalarının imzasını, beratıyla eşleşmesini ve GİB onayını denetler. Her dosya için\n"
        "bir satır, sonunda bir özet yazar. İnternete bağlanmaz; dosyanın dışındaki bir kaynağa başvuran\n"
        "imza reddedilir.\n"
        "\n"
        "Bir defter (…-Y-…, …-K-…) için aynı klasörde beratı (…-YB-…, …-KB-…) ve GİB onaylı beratı\n"
        "(GIB-…) aranır; bir berat için defteri. Bir klasör verilirse içindeki bütün .xml dosyaları\n"
        "denetlenir; beratı olmayan defterler, defteri olmayan beratlar ve açılamayan girdiler (döngüye\n"
        "giren ya da boşluğu gösteren sembolik bağlar, okunamayan dosyalar) ayrıca listelenir.\n"
        "\n"
        "Çıkış kodları (öncelik sırasıyla):\n"
        "  1  en az bir dosyada hata: imza geçersiz, dosya değiştirilmiş, berat eşleşmiyor, beklenmeyen\n"
        "     biçimde, reddedilen ya da SHA-1 ile atılmış imza (başka dosyalar denetlenemese de 1)\n"
        "  2  hata yok, ama en az bir dosya denetlenemedi (okunamadı, XML değil, çok büyük, imzası bu\n"
        "     programın denetleyemediği bir algoritmayla atılmış) ya da imzasız\n"
        "  0  bütün dosyaların imzası geçerli\n"
        "  64 kullanım hatası");
}

QString rootsDescription()
{
    return QStringLiteral("Güvenilen kök (ya da ara) sertifikaların klasörü: PEM ya da DER, dosya başına bir ya da "
                          "daha çok sertifika (.pem, .crt, .cer, .der). Verilmezse: %1\n"
                          "Klasör yoksa ya da boşsa sertifika zinciri denetlenmez ve bu söylenir.")
        .arg(QDir::toNativeSeparators(verify::defaultRootsFolder()));
}

void print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

QString statusName(verify::Status s)
{
    switch (s) {
    case verify::Status::Verified:
        return QStringLiteral("verified");
    case verify::Status::Unsigned:
        return QStringLiteral("unsigned");
    case verify::Status::Failed:
        return QStringLiteral("failed");
    case verify::Status::CouldNotCheck:
        break;
    }
    return QStringLiteral("could-not-check");
}

QJsonValue signerJson(const std::optional<verify::SignerInfo>& s)
{
    if (!s) {
        return QJsonValue::Null;
    }
    return QJsonObject{{"subject", s->subject},
                       {"identityNumber", s->identityNumber},
                       {"issuer", s->issuer},
                       {"certificateSerial", s->certificateSerial},
                       {"validFrom", s->validFrom.toString(Qt::ISODate)},
                       {"validUntil", s->validUntil.toString(Qt::ISODate)},
                       {"signingTime", s->signingTime.isValid() ? s->signingTime.toString(Qt::ISODate) : QString()},
                       {"key", s->key},
                       {"signatureAlgorithm", s->signatureAlgorithm}};
}

QJsonObject resultJson(const verify::VerificationResult& r)
{
    return QJsonObject{{"path", r.path},
                       {"kind", common::kindKey(r.kind)},
                       {"status", statusName(r.status)},
                       {"summary", r.summary},
                       {"details", QJsonArray::fromStringList(r.details)},
                       {"signer", signerJson(r.signer)},
                       {"approver", signerJson(r.approver)},
                       {"companions", QJsonArray::fromStringList(r.companions)}};
}

QString line(const verify::VerificationResult& r)
{
    // The summary starts with its mark; the file name goes between mark and text.
    return QStringLiteral("%1 %2: %3\n").arg(r.summary.left(1), QFileInfo(r.path).fileName(), r.summary.mid(2));
}

int exitCodeOf(verify::Status worst)
{
    switch (worst) {
    case verify::Status::Verified:
        return 0;
    case verify::Status::Failed:
        return 1;
    case verify::Status::Unsigned:
    case verify::Status::CouldNotCheck:
        break;
    }
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("verazidedaze-verify"));
    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    const QCommandLineOption roots(QStringLiteral("roots"), rootsDescription(), QStringLiteral("KLASÖR"));
    const QCommandLineOption detailsOption(
        QStringLiteral("details"),
        QStringLiteral("Her dosyanın ayrıntılarını da yazar (imzalayan, zamanlar, sertifikalar, berat)."));
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QStringLiteral("Sonucu makinelerin okuyacağı JSON olarak yazar."));
    parser.addOptions({roots, detailsOption, jsonOption});
    parser.addPositionalArgument(QStringLiteral("dosya"), QStringLiteral("Denetlenecek dosya ya da klasör."),
                                 QStringLiteral("DOSYA|KLASÖR..."));
    if (const std::optional<int> code = common::parseCommandLine(parser, app.arguments())) {
        return *code;
    }
    verify::VerifyOptions options;
    if (parser.isSet(roots)) {
        options.rootsFolder = parser.value(roots);
    }
    const bool json = parser.isSet(jsonOption);
    const bool details = parser.isSet(detailsOption);
    const QStringList targets = parser.positionalArguments();
    if (targets.isEmpty()) {
        return common::usageError(QStringLiteral("denetlenecek dosya ya da klasör verin."));
    }

    verify::Status worst = verify::Status::Verified;
    QJsonArray jsonFiles;
    QJsonArray withoutBerat;
    QJsonArray withoutLedger;
    QJsonArray unreadable;
    int counts[4] = {};
    auto report = [&](const verify::VerificationResult& r) {
        worst = verify::worse(worst, r.status);
        ++counts[int(r.status)];
        if (json) {
            jsonFiles.append(resultJson(r));
            return;
        }
        print(stdout, line(r));
        if (details) {
            for (const QString& d : r.details) {
                print(stdout, QStringLiteral("    %1\n").arg(d));
            }
        }
    };
    for (const QString& target : targets) {
        if (QFileInfo(target).isDir()) {
            const verify::FolderResult folder = verify::verifyFolder(target, options);
            if (!json) {
                print(stdout, QStringLiteral("Klasör %1:\n").arg(QDir::toNativeSeparators(target)));
            }
            for (const verify::VerificationResult& r : folder.files) {
                report(r);
            }
            if (folder.files.isEmpty() && !json) {
                print(stdout, QStringLiteral("  (e-Defter dosyası yok)\n"));
            }
            for (const QString& p : folder.ledgersWithoutBerat) {
                withoutBerat.append(p);
                if (!json) {
                    print(stdout, QStringLiteral("Beratı olmayan defter: %1\n").arg(QFileInfo(p).fileName()));
                }
            }
            for (const QString& p : folder.beratsWithoutLedger) {
                withoutLedger.append(p);
                if (!json) {
                    print(stdout, QStringLiteral("Defteri olmayan berat: %1\n").arg(QFileInfo(p).fileName()));
                }
            }
            for (const verify::UnreadableEntry& e : folder.unreadable) {
                unreadable.append(QJsonObject{{"path", e.path}, {"reason", e.reason}});
                if (!json) {
                    print(stdout,
                          QStringLiteral("Okunamayan girdi: %1 (%2)\n").arg(QFileInfo(e.path).fileName(), e.reason));
                }
            }
        } else {
            report(verify::verifyFile(target, options));
        }
    }
    const int code = exitCodeOf(worst);
    if (json) {
        const QJsonObject out{{"files", jsonFiles},
                              {"ledgersWithoutBerat", withoutBerat},
                              {"beratsWithoutLedger", withoutLedger},
                              {"unreadableEntries", unreadable},
                              {"exitCode", code}};
        print(stdout, QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented)));
    } else {
        const int total = counts[0] + counts[1] + counts[2] + counts[3];
        print(stdout, QStringLiteral("Özet: %1 dosya · %2 doğrulandı · %3 başarısız · %4 denetlenemedi · %5 imzasız\n")
                          .arg(total)
                          .arg(counts[int(verify::Status::Verified)])
                          .arg(counts[int(verify::Status::Failed)])
                          .arg(counts[int(verify::Status::CouldNotCheck)])
                          .arg(counts[int(verify::Status::Unsigned)]));
    }
    return code;
}
