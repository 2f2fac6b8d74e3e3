#include "common/commandline.h"
#include "export/ledgerexport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>

#include <csignal>
#include <cstdio>

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
                          "ÇIKTI varsa üzerine yazılır. Hata olursa yarım dosya bırakılmaz.\n"
                          "Çıkış kodları: 0 başarılı, 1 aktarılamadı, 64 kullanım hatası.");
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
    parser.addPositionalArgument(QStringLiteral("defter"), QStringLiteral("Aktarılacak e-Defter dosyası."),
                                 QStringLiteral("DEFTER"));
    parser.addPositionalArgument(QStringLiteral("çıktı"), QStringLiteral("Yazılacak XLSX ya da CSV dosyası."),
                                 QStringLiteral("ÇIKTI"));
    if (const std::optional<int> code = common::parseCommandLine(parser, app.arguments())) {
        return *code;
    }
    const bool csv = parser.isSet(csvOption);
    const QStringList positional = parser.positionalArguments();
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
