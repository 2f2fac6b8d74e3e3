#include "common/commandline.h"
#include "export/ledgerexport.h"
#include "ledgerset/ekstre.h"
#include "ledgerset/journalread.h"
#include "ledgerset/mizan.h"
#include "ledgerset/mizanxml.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <functional>

namespace {

// Above this size a progress line is worth showing.
constexpr qint64 kProgressFrom = 8 * 1024 * 1024;

void writeError(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

QString description()
{
    return QStringLiteral("Bir e-Defter dosyasının satırlarını hesap tablosuna aktarır:\n"
                          "  yevmiye (-Y-)        her satır bir satır; borç ve alacağı farklı maddeler ayrı sayfada\n"
                          "  kebir (-K-)          her satır bir satır, yürüyen bakiyesiyle; hesap toplamları ayrı "
                          "sayfada\n"
                          "  defter raporu (-DR-) hesap toplamları\n"
                          "Beratlarda aktarılacak satır yoktur.\n"
                          "\n"
                          "  --mizan ÇIKTI DOSYA|KLASÖR...           yevmiyelerden mizan\n"
                          "  --ekstre HESAP ÇIKTI DOSYA|KLASÖR...    bir hesabın (ya da kod önekinin) ekstresi\n"
                          "Klasörler alt klasörleriyle taranır; --from ve --to ile aylar seçilir. ÇIKTI .csv ile "
                          "bitiyorsa CSV yazılır.\n"
                          "\n"
                          "ÇIKTI varsa üzerine yazılır. Hata olursa yarım dosya bırakılmaz.\n"
                          "Çıkış kodları: 0 başarılı, 1 aktarılamadı, 2 yevmiye bulunamadı, 64 kullanım hatası.");
}

ledgerexport::Format formatOf(const QString& out, bool csv)
{
    return csv || out.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ? ledgerexport::Format::Csv
                                                                            : ledgerexport::Format::Xlsx;
}

bool isMonth(const QString& text)
{
    static const QRegularExpression month(QStringLiteral("^\\d{4}-(0[1-9]|1[0-2])$"));
    return text.isEmpty() || month.match(text).hasMatch();
}

struct SetRequest
{
    QString account; // empty: the mizan
    QString from;
    QString to;
    QString out;
    QStringList inputs;
    bool csv = false;
};

// The mizan or ekstre of the journals under the inputs, as the program's document, then through the
// same writers as a ledger's lines.
int exportOverMonths(const SetRequest& request, const ledgerexport::Progress& progress,
                     const std::function<void()>& progressDone)
{
    const bool mizan = request.account.isEmpty();
    // The ekstre also reads the months before the range, for its opening balance.
    const QStringList journals = ledgerset::journalsIn(request.inputs, mizan ? request.from : QString(), request.to);
    if (journals.isEmpty()) {
        writeError(
            QStringLiteral("verazidedaze-export: verilen yerlerde %1yevmiye defteri (-Y-) bulunamadı.\n")
                .arg(request.from.isEmpty() && request.to.isEmpty() ? QString() : QStringLiteral("bu aylara ait ")));
        return common::NothingDone;
    }
    const QStringList taxpayers = ledgerset::taxpayersOf(journals);
    const ledgerset::DocumentHeading heading{taxpayers.value(0), QDateTime::currentDateTime()};
    if (taxpayers.size() > 1) {
        writeError(QStringLiteral("verazidedaze-export: yevmiyeler birden çok mükellefin; bir mükellefin klasörünü "
                                  "ya da dosyalarını verin.\n"));
        return common::SomeFailed;
    }
    QTemporaryDir scratch;
    const QString document = scratch.filePath(QStringLiteral("belge.xml"));
    common::Outcome made;
    QStringList missing;
    if (mizan) {
        const ledgerset::Mizan m = ledgerset::mizan(journals, request.from, request.to, nullptr, progress);
        progressDone();
        made = m.ok ? ledgerset::writeMizanXml(m, heading, document) : common::Outcome(m);
        missing = m.missingPeriods;
        if (m.ok && m.debit != m.credit) {
            writeError(QStringLiteral("Uyarı: borç ve alacak toplamları eşit değil (fark %1).\n")
                           .arg(QString::fromStdString((m.debit - m.credit).toString())));
        }
    } else {
        const ledgerset::Ekstre e =
            ledgerset::ekstre(journals, request.account, request.from, request.to, nullptr, progress);
        progressDone();
        made = e.ok ? ledgerset::writeEkstreXml(e, heading, document) : common::Outcome(e);
        missing = e.missingPeriods;
        if (e.ok && !e.openingMissing.isEmpty()) {
            writeError(QStringLiteral("Uyarı: devir eksik olabilir; bulunamayan aylar: %1.\n")
                           .arg(e.openingMissing.join(QStringLiteral(", "))));
        }
    }
    if (!made.ok) {
        writeError(QStringLiteral("verazidedaze-export: %1\n").arg(made.error));
        return common::SomeFailed;
    }
    if (!missing.isEmpty()) {
        writeError(QStringLiteral("Uyarı: yevmiyesi bulunamayan aylar: %1.\n").arg(missing.join(QStringLiteral(", "))));
    }
    const ledgerexport::ExportResult result =
        ledgerexport::exportLedger(document, request.out, formatOf(request.out, request.csv));
    if (!result.ok) {
        writeError(QStringLiteral("verazidedaze-export: %1\n").arg(result.error));
        return common::SomeFailed;
    }
    writeError(QStringLiteral("%1: %2 yevmiye, %3 tablo satırı\n")
                   .arg(ledgerexport::kindName(result.kind))
                   .arg(journals.size())
                   .arg(result.rows));
    return common::AllDone;
}

// Above this many bytes of journals a progress line is worth showing.
ledgerexport::Progress percentLine(int& lastPercent)
{
    return [&lastPercent](qint64 done, qint64 total) {
        const int percent = total > 0 ? int(done * 100 / total) : 100;
        if (total >= kProgressFrom && percent != lastPercent) {
            lastPercent = percent;
            std::fprintf(stderr, "\rokunuyor: %3d%%", percent);
            std::fflush(stderr);
        }
    };
}

int overMonths(const SetRequest& request, bool both)
{
    if (both) {
        return common::usageError(QStringLiteral("--mizan ve --ekstre birlikte verilemez."));
    }
    if (!isMonth(request.from) || !isMonth(request.to)) {
        return common::usageError(QStringLiteral("ay YYYY-AA biçiminde verilmeli (örnek: 2025-03)."));
    }
    if (!request.from.isEmpty() && !request.to.isEmpty() && request.from > request.to) {
        return common::usageError(QStringLiteral("--from ayı --to ayından sonra olamaz."));
    }
    if (request.out.isEmpty() || request.inputs.isEmpty()) {
        return common::usageError(QStringLiteral("ÇIKTI dosyası ve en az bir yevmiye dosyası ya da klasör gerekli."));
    }
    int lastPercent = -1;
    return exportOverMonths(request, percentLine(lastPercent), [&lastPercent] {
        if (lastPercent >= 0) {
            std::fputs("\n", stderr);
        }
    });
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
#ifdef SIGXFSZ
    // A file-size limit then fails the write like a full disk, and the temporary file is removed.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QCoreApplication::setApplicationName(QStringLiteral("verazidedaze-export"));
    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    const QCommandLineOption csvOption(
        QStringLiteral("csv"),
        QStringLiteral("XLSX yerine CSV yazar (UTF-8, noktalı virgül, ondalık virgül); yalnız ana tablo."));
    parser.addOption(csvOption);
    const QCommandLineOption mizanOption(QStringLiteral("mizan"),
                                         QStringLiteral("Verilen dosya ve klasörlerdeki yevmiyelerden mizan yazar."));
    const QCommandLineOption ekstreOption(
        QStringLiteral("ekstre"),
        QStringLiteral("HESAP kodlu hesabın (ya da bu kodla başlayanların) ekstresini yazar."),
        QStringLiteral("HESAP"));
    const QCommandLineOption fromOption(QStringLiteral("from"), QStringLiteral("İlk ay (mizan, ekstre)."),
                                        QStringLiteral("YYYY-AA"));
    const QCommandLineOption toOption(QStringLiteral("to"), QStringLiteral("Son ay (mizan, ekstre)."),
                                      QStringLiteral("YYYY-AA"));
    parser.addOptions({mizanOption, ekstreOption, fromOption, toOption});
    parser.addPositionalArgument(QStringLiteral("defter"), QStringLiteral("Aktarılacak e-Defter dosyası."),
                                 QStringLiteral("DEFTER"));
    parser.addPositionalArgument(QStringLiteral("çıktı"), QStringLiteral("Yazılacak XLSX ya da CSV dosyası."),
                                 QStringLiteral("ÇIKTI"));
    if (const std::optional<int> code = common::parseCommandLine(parser, app.arguments())) {
        return *code;
    }
    const bool csv = parser.isSet(csvOption);
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(mizanOption) || parser.isSet(ekstreOption)) {
        return overMonths({parser.value(ekstreOption).trimmed(), parser.value(fromOption), parser.value(toOption),
                           positional.value(0), positional.mid(1), csv},
                          parser.isSet(mizanOption) && parser.isSet(ekstreOption));
    }
    if (parser.isSet(fromOption) || parser.isSet(toOption)) {
        return common::usageError(QStringLiteral("--from ve --to yalnız --mizan ve --ekstre ile kullanılır."));
    }
    if (positional.size() != 2) {
        return common::usageError(QStringLiteral("DEFTER ve ÇIKTI dosyası gerekli."));
    }

    const bool showProgress = QFileInfo(positional[0]).size() >= kProgressFrom;
    int lastPercent = -1;
    const ledgerexport::Progress progress = [&](qint64 done, qint64 total) {
        const int percent = total > 0 ? int(done * 100 / total) : 100;
        if (showProgress && percent != lastPercent) {
            lastPercent = percent;
            std::fprintf(stderr, "\rokunuyor: %3d%%", percent);
            std::fflush(stderr);
        }
    };
    QElapsedTimer timer;
    timer.start();
    const ledgerexport::ExportResult result = ledgerexport::exportLedger(
        positional[0], positional[1], csv ? ledgerexport::Format::Csv : ledgerexport::Format::Xlsx, progress);
    if (showProgress) {
        std::fputs("\n", stderr);
    }
    if (!result.ok) {
        writeError(QStringLiteral("verazidedaze-export: %1\n").arg(result.error));
        return common::SomeFailed;
    }
    writeError(QStringLiteral("%1: %2 satır, %3 tablo satırı, %4 sayfa, dengesiz madde %5; %6 s\n")
                   .arg(ledgerexport::kindName(result.kind))
                   .arg(result.lines)
                   .arg(result.rows)
                   .arg(result.sheets)
                   .arg(result.unbalancedEntries)
                   .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 1));
    return common::AllDone;
}
