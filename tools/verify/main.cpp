#include "common/commandline.h"
#include "ledgerset/setcheck.h"
#include "verify/verification.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
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
        "(GIB-…) aranır; bir berat için defteri. Bir klasör verilirse içindeki ve alt klasörlerindeki\n"
        "bütün .xml dosyaları denetlenir (her dosya bir kez); beratı olmayan defterler, defteri olmayan\n"
        "beratlar ve açılamayan girdiler (döngüye giren ya da boşluğu gösteren sembolik bağlar,\n"
        "okunamayan dosyalar) ayrıca listelenir.\n"
        "\n"
        "Klasördeki her mükellefin her yılı için ayrıca bir set raporu yazılır: aylar × Y, K, YB, KB,\n"
        "GİB-YB, GİB-KB, DR çizelgesi (✔ var ve geçerli, ✘ eksik ya da hatalı, ○ imzasız ya da GİB onayı\n"
        "henüz yok, – gerekmiyor; bölünmüş ayda yanında parça sayısı), sonra bulgular: eksik dosya ya da\n"
        "parça, defteriyle tutmayan berat, yevmiye ve kebirle tutmayan defter raporu, dengesiz madde, yıl\n"
        "boyunca atlanan ya da çakışan seri, madde ve satır numaraları. Hatalar ✘, uyarılar ⚠ ile başlar.\n"
        "Süreklilik klasördeki aylar arasında aranır; ilk ay herhangi bir numarayla başlayabilir.\n"
        "\n"
        "Çıkış kodları (öncelik sırasıyla):\n"
        "  1  en az bir dosyada hata: imza geçersiz, dosya değiştirilmiş, berat eşleşmiyor, beklenmeyen\n"
        "     biçimde, reddedilen ya da SHA-1 ile atılmış imza; ya da bir set raporunda en az bir hata\n"
        "     (başka dosyalar denetlenemese de 1; yalnız uyarılar çıkış kodunu değiştirmez)\n"
        "  2  hata yok, ama en az bir dosya denetlenemedi (okunamadı, XML değil, çok büyük, imzası bu\n"
        "     programın denetleyemediği bir algoritmayla atılmış) ya da imzasız\n"
        "  0  bütün dosyaların imzası geçerli, set raporlarında hata yok\n"
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
                       {"status", verify::statusKey(r.status)},
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

// "GİB-YB" is "GIB-YB" in JSON, as in the file names, so that scripts need no Turkish letters.
QString columnKey(int column)
{
    return ledgerset::columnTitle(ledgerset::Column(column)).replace(QChar(0x130), QLatin1Char('I'));
}

QJsonObject monthJson(const ledgerset::MonthRow& row)
{
    QJsonObject files;
    for (int c = 0; c < ledgerset::kColumnCount; ++c) {
        const ledgerset::Cell& cell = row.cells[size_t(c)];
        files[columnKey(c)] = QJsonObject{{"mark", ledgerset::markKey(cell.mark)}, {"parts", cell.parts}};
    }
    return QJsonObject{{"period", row.period()}, {"files", files}};
}

QJsonObject setJson(const ledgerset::SetReport& set)
{
    QJsonArray months;
    for (const ledgerset::MonthRow& row : set.months) {
        months.append(monthJson(row));
    }
    QJsonArray findings;
    for (const ledgerset::Finding& f : set.findings) {
        findings.append(QJsonObject{{"severity", f.severity == ledgerset::Severity::Error ? "error" : "warning"},
                                    {"code", ledgerset::codeKey(f.code)},
                                    {"period", f.period},
                                    {"file", f.file},
                                    {"place", f.place},
                                    {"message", f.message}});
    }
    return QJsonObject{{"taxpayer", set.taxpayer},  {"year", set.year},     {"covers", set.covers()},
                       {"months", months},          {"findings", findings}, {"errors", set.errors()},
                       {"warnings", set.warnings()}};
}

QString cellText(const ledgerset::Cell& cell)
{
    const QString mark = ledgerset::markText(cell.mark);
    return cell.parts > 1 ? mark + QString::number(cell.parts) : mark;
}

// Months down, files across, each column as wide as its widest text, so that the marks line up.
QString gridText(const QList<ledgerset::MonthRow>& months)
{
    QList<QStringList> rows{{QStringLiteral("Ay")}};
    for (int c = 0; c < ledgerset::kColumnCount; ++c) {
        rows.first().append(ledgerset::columnTitle(ledgerset::Column(c)));
    }
    for (const ledgerset::MonthRow& month : months) {
        QStringList row{month.period()};
        for (const ledgerset::Cell& cell : month.cells) {
            row.append(cellText(cell));
        }
        rows.append(row);
    }
    QList<qsizetype> widths(rows.first().size(), 0);
    for (const QStringList& row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], row[c].size());
        }
    }
    QString text;
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype c = 0; c < row.size(); ++c) {
            line += row[c].leftJustified(widths[c] + 2);
        }
        text += QStringLiteral("  ") + line.trimmed() + QLatin1Char('\n');
    }
    return text;
}

// "  ✘ 2025-03 · 1234567890-202503-DR-000000.xml · hesap 102 borç: message"; parts that are empty are left out.
QString findingLine(const ledgerset::Finding& f)
{
    QStringList where;
    for (const QString& part : {f.period, f.file, f.place}) {
        if (!part.isEmpty()) {
            where.append(part);
        }
    }
    const QString mark = f.severity == ledgerset::Severity::Error ? QStringLiteral("✘") : QStringLiteral("⚠");
    const QString text = where.isEmpty() ? f.message : where.join(QStringLiteral(" · ")) + ": " + f.message;
    return QStringLiteral("  %1 %2\n").arg(mark, text);
}

QString setText(const ledgerset::SetReport& set)
{
    QString text = QStringLiteral("\nMükellef %1, %2 yılı (%3):\n").arg(set.taxpayer).arg(set.year).arg(set.covers());
    text += gridText(set.months);
    for (const ledgerset::Finding& f : set.findings) {
        text += findingLine(f);
    }
    return text + QStringLiteral("  %1 hata, %2 uyarı\n").arg(set.errors()).arg(set.warnings());
}

// The folder's name as the user gave it; a subfolder below it as a path from there.
QString folderName(const QString& target, const QString& folder)
{
    const QDir root(target);
    const QString relative = root.relativeFilePath(QFileInfo(folder).absoluteFilePath());
    return QDir::toNativeSeparators(relative.isEmpty() || relative == "." ? target : root.filePath(relative));
}

// What every target adds up to: the per-file lines as they come, the totals and JSON at the end.
class Run
{
public:
    Run(bool json, bool details) : m_json(json), m_details(details) {}

    void file(const verify::VerificationResult& r);
    void folder(const QString& target, const verify::VerifyOptions& options);
    void finish() const;
    [[nodiscard]] int exitCode() const;

private:
    void folderFiles(const QString& name, const verify::FolderResult& folder);
    void set(const ledgerset::SetReport& set);

    const bool m_json;
    const bool m_details;
    verify::Status m_worst = verify::Status::Verified;
    bool m_setErrors = false;
    int m_counts[4] = {};
    QJsonArray m_files;
    QJsonArray m_withoutBerat;
    QJsonArray m_withoutLedger;
    QJsonArray m_unreadable;
    QJsonArray m_sets;
};

void Run::file(const verify::VerificationResult& r)
{
    m_worst = verify::worse(m_worst, r.status);
    ++m_counts[int(r.status)];
    if (m_json) {
        m_files.append(resultJson(r));
        return;
    }
    print(stdout, line(r));
    if (m_details) {
        for (const QString& d : r.details) {
            print(stdout, QStringLiteral("    %1\n").arg(d));
        }
    }
}

void Run::folder(const QString& target, const verify::VerifyOptions& options)
{
    ledgerset::CheckOptions check;
    check.verify = options;
    const ledgerset::FolderReport report = ledgerset::checkFolder(target, check);
    if (!report.error.isEmpty()) {
        print(stderr, QStringLiteral("verazidedaze-verify: %1\n").arg(report.error));
        m_worst = verify::worse(m_worst, verify::Status::CouldNotCheck);
    }
    bool shown = false;
    for (const ledgerset::FolderFiles& f : report.folders) {
        // A folder of the tree without e-Defter files is left out; so is the root, unless nothing holds any.
        if (!f.result.files.isEmpty()) {
            folderFiles(folderName(target, f.folder), f.result);
            shown = true;
        }
    }
    if (!shown && !m_json) {
        print(stdout, QStringLiteral("Klasör %1:\n  (e-Defter dosyası yok)\n").arg(QDir::toNativeSeparators(target)));
    }
    for (const ledgerset::SetReport& s : report.sets) {
        set(s);
    }
}

void Run::folderFiles(const QString& name, const verify::FolderResult& folder)
{
    if (!m_json) {
        print(stdout, QStringLiteral("Klasör %1:\n").arg(name));
    }
    for (const verify::VerificationResult& r : folder.files) {
        file(r);
    }
    for (const QString& p : folder.ledgersWithoutBerat) {
        m_withoutBerat.append(p);
        if (!m_json) {
            print(stdout, QStringLiteral("Beratı olmayan defter: %1\n").arg(QFileInfo(p).fileName()));
        }
    }
    for (const QString& p : folder.beratsWithoutLedger) {
        m_withoutLedger.append(p);
        if (!m_json) {
            print(stdout, QStringLiteral("Defteri olmayan berat: %1\n").arg(QFileInfo(p).fileName()));
        }
    }
    for (const verify::UnreadableEntry& e : folder.unreadable) {
        m_unreadable.append(QJsonObject{{"path", e.path}, {"reason", e.reason}});
        if (!m_json) {
            print(stdout, QStringLiteral("Okunamayan girdi: %1 (%2)\n").arg(QFileInfo(e.path).fileName(), e.reason));
        }
    }
}

void Run::set(const ledgerset::SetReport& set)
{
    m_setErrors = m_setErrors || set.errors() > 0;
    if (m_json) {
        m_sets.append(setJson(set));
    } else {
        print(stdout, setText(set));
    }
}

int Run::exitCode() const
{
    // An error in a set is as much a failure as a file that fails its check; warnings alone change nothing.
    return m_setErrors ? int(common::SomeFailed) : exitCodeOf(m_worst);
}

void Run::finish() const
{
    if (m_json) {
        const QJsonObject out{{"files", m_files},
                              {"ledgersWithoutBerat", m_withoutBerat},
                              {"beratsWithoutLedger", m_withoutLedger},
                              {"unreadableEntries", m_unreadable},
                              {"sets", m_sets},
                              {"exitCode", exitCode()}};
        print(stdout, QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented)));
        return;
    }
    const int total = m_counts[0] + m_counts[1] + m_counts[2] + m_counts[3];
    print(stdout, QStringLiteral("Özet: %1 dosya · %2 doğrulandı · %3 başarısız · %4 denetlenemedi · %5 imzasız\n")
                      .arg(total)
                      .arg(m_counts[int(verify::Status::Verified)])
                      .arg(m_counts[int(verify::Status::Failed)])
                      .arg(m_counts[int(verify::Status::CouldNotCheck)])
                      .arg(m_counts[int(verify::Status::Unsigned)]));
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
    const QStringList targets = parser.positionalArguments();
    if (targets.isEmpty()) {
        return common::usageError(QStringLiteral("denetlenecek dosya ya da klasör verin."));
    }
    Run run(parser.isSet(jsonOption), parser.isSet(detailsOption));
    for (const QString& target : targets) {
        if (QFileInfo(target).isDir()) {
            run.folder(target, options);
        } else {
            run.file(verify::verifyFile(target, options));
        }
    }
    run.finish();
    return run.exitCode();
}
