#include "export/ledgerexport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>

#include <csignal>
#include <cstdio>

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// Above this size a progress line is worth showing.
constexpr qint64 kProgressFrom = 8 * 1024 * 1024;

void writeError(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

QString helpText()
{
    return QStringLiteral(
        "Kullanım: verazidedaze-export [--csv] DEFTER ÇIKTI\n"
        "\n"
        "Bir e-Defter dosyasının satırlarını hesap tablosuna aktarır:\n"
        "  yevmiye (-Y-)        her satır bir satır; borç ve alacağı farklı maddeler ayrı sayfada\n"
        "  kebir (-K-)          her satır bir satır, yürüyen bakiyesiyle; hesap toplamları ayrı sayfada\n"
        "  defter raporu (-DR-) hesap toplamları\n"
        "Beratlarda aktarılacak satır yoktur.\n"
        "\n"
        "Seçenekler:\n"
        "  --csv       XLSX yerine CSV yazar (UTF-8, noktalı virgül, ondalık virgül); yalnız ana tablo.\n"
        "  -h, --help  Bu yardımı gösterir.\n"
        "\n"
        "ÇIKTI varsa üzerine yazılır. Hata olursa yarım dosya bırakılmaz.\n"
        "Çıkış kodları: 0 başarılı, 1 aktarılamadı, 2 kullanım hatası.\n");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
#ifdef SIGXFSZ
    // A file-size limit then fails the write like a full disk, and the temporary file is removed.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QStringList positional;
    bool csv = false;
    const QStringList args = app.arguments().mid(1);
    for (const QString& arg : args) {
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            const QByteArray bytes = helpText().toUtf8();
            std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
            return kOk;
        }
        if (arg == QLatin1String("--csv")) {
            csv = true;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return writeError(QStringLiteral("verazidedaze-export: bilinmeyen seçenek: %1\n--help ile kullanımı "
                                             "görün.\n")
                                  .arg(arg)),
                   kUsage;
        } else {
            positional << arg;
        }
    }
    if (positional.size() != 2) {
        writeError(QStringLiteral("verazidedaze-export: DEFTER ve ÇIKTI dosyası gerekli.\n\n") + helpText());
        return kUsage;
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
        return kFailed;
    }
    writeError(QStringLiteral("%1: %2 satır, %3 tablo satırı, %4 sayfa, dengesiz madde %5; %6 s\n")
                   .arg(ledgerexport::kindName(result.kind))
                   .arg(result.lines)
                   .arg(result.rows)
                   .arg(result.sheets)
                   .arg(result.unbalancedEntries)
                   .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 1));
    return kOk;
}
