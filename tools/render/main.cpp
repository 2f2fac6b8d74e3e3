#include "common/commandline.h"
#include "common/paths.h"
#include "print/ledgerpdf.h"
#include "render/ledgerrender.h"
#include "web/ledgerscheme.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <cstdio>

#include <memory>
#include <unistd.h>

namespace {

// Distinct exit codes, so a batch script can tell the failures apart.
int exitCode(render::FailureKind kind)
{
    switch (kind) {
    case render::FailureKind::Unreadable:
        return 2;
    case render::FailureKind::NotWellFormed:
        return 3;
    case render::FailureKind::StylesheetMissing:
        return 4;
    case render::FailureKind::StylesheetInvalid:
        return 5;
    case render::FailureKind::TransformFailed:
        return 6;
    case render::FailureKind::Refused:
        return 7;
    case render::FailureKind::Cancelled:
        return 8;
    case render::FailureKind::TooLarge:
        return 9;
    }
    return 1;
}

void writeOut(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void writeError(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

QString failureMessage(const render::RenderFailure& failure)
{
    return QStringLiteral("verazidedaze-render: %1: %2\n%3\n")
        .arg(render::failureHeading(failure), failure.file, failure.reason);
}

QString timingLine(const render::RenderResult& result)
{
    const render::RenderTimings& t = result.timings;
    return QStringLiteral("zaman (ms): ayrıştırma %1, stil sayfası %2, dönüştürme %3, yazma %4\n")
        .arg(t.parse)
        .arg(t.compile)
        .arg(t.transform)
        .arg(t.serialise);
}

bool writePieces(const render::PiecedDocument& document, const QString& folder)
{
    if (!QDir().mkpath(folder)) {
        writeError(QStringLiteral("verazidedaze-render: klasör oluşturulamadı: %1\n").arg(folder));
        return false;
    }
    for (qsizetype i = 0; i < document.count(); ++i) {
        QFile file(QDir(folder).filePath(QStringLiteral("parca-%1.html").arg(i + 1, 4, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly) || file.write(document.page(i)) < 0) {
            writeError(QStringLiteral("verazidedaze-render: yazılamadı: %1\n").arg(file.fileName()));
            return false;
        }
    }
    writeError(QStringLiteral("%1 parça\n").arg(document.count()));
    return true;
}

// The ledgers named: files as they are, folders by the XML files in them, in name order.
QStringList ledgersIn(const QStringList& arguments)
{
    QStringList ledgers;
    for (const QString& argument : arguments) {
        const QFileInfo info(argument);
        if (!info.isDir()) {
            ledgers.append(argument);
            continue;
        }
        const QDir folder(argument);
        for (const QString& name :
             folder.entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name | QDir::IgnoreCase)) {
            ledgers.append(folder.filePath(name));
        }
    }
    return ledgers;
}

// LEDGER.xml -> FOLDER/LEDGER.pdf; a name already taken in this run gets a number.
QString pdfTarget(const QString& folder, const QString& ledger, QSet<QString>& taken)
{
    const QString base = QFileInfo(ledger).completeBaseName();
    QString target = QDir(folder).filePath(base + QStringLiteral(".pdf"));
    for (int n = 2; taken.contains(target); ++n) {
        target = QDir(folder).filePath(QStringLiteral("%1-%2.pdf").arg(base).arg(n));
    }
    taken.insert(target);
    return target;
}

int printPdfs(const QList<std::pair<QString, QString>>& jobs, const render::RenderRequest& prototype)
{
    print::LedgerPdf printer;
    int printed = 0;
    for (qsizetype i = 0; i < jobs.size(); ++i) {
        const auto& [ledger, target] = jobs.at(i);
        const QString name = QDir::toNativeSeparators(ledger);
        const QString counter = QStringLiteral("[%1/%2]").arg(i + 1).arg(jobs.size());
        writeError(QStringLiteral("%1 %2: hazırlanıyor…\n").arg(counter, name));
        QElapsedTimer clock;
        clock.start();
        render::RenderRequest request = prototype;
        request.ledgerPath = ledger;
        print::PdfOutcome outcome;
        QEventLoop loop;
        QElapsedTimer shown;
        shown.start();
        QObject::connect(&printer, &print::LedgerPdf::progressed, &loop, [&](int pages) {
            if (shown.elapsed() < 1000) { // a line a second at most, readable in a log too
                return;
            }
            shown.restart();
            writeError(QStringLiteral("%1 %2: %3 sayfa…\n").arg(counter, name).arg(pages));
        });
        QObject::connect(&printer, &print::LedgerPdf::finished, &loop, [&](const print::PdfOutcome& done) {
            outcome = done;
            loop.quit();
        });
        printer.print(request, target);
        loop.exec();
        if (outcome.ok) {
            ++printed;
            writeError(QStringLiteral("%1 %2 → %3: %4 sayfa, %5 sn\n")
                           .arg(counter, name, QDir::toNativeSeparators(target))
                           .arg(outcome.pages)
                           .arg(clock.elapsed() / 1000.0, 0, 'f', 1));
        } else {
            writeError(QStringLiteral("%1 %2: PDF yazılamadı: %3\n").arg(counter, name, outcome.error));
        }
    }
    if (jobs.size() > 1) {
        writeError(QStringLiteral("%1 defterden %2 tanesi PDF'e yazıldı.\n").arg(jobs.size()).arg(printed));
    }
    return printed == jobs.size() ? common::AllDone : printed > 0 ? common::SomeFailed : common::NothingDone;
}

bool wantsPdf(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--pdf" || argument == "--pdf-dir" || argument.startsWith("--pdf=") ||
            argument.startsWith("--pdf-dir=")) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    // PDF output needs the web engine: a GUI application, though it never shows a window; with
    // no display it draws off screen.
    const bool pdf = wantsPdf(argc, argv);
    std::unique_ptr<QCoreApplication> owner;
    if (pdf) {
        web::registerLedgerScheme();
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) {
            qputenv("QT_QUICK_BACKEND", "software");
        }
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        owner = std::make_unique<QApplication>(argc, argv);
    } else {
        owner = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication& application = *owner;
    QCoreApplication::setApplicationName(QStringLiteral("verazidedaze-render"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Bir e-Defter dosyasını görüntüleyicinin motoruyla HTML'ye çevirip standart çıktıya yazar; --pdf ya da "
        "--pdf-dir ile defterleri, pencere açmadan, baskı önizlemesindeki sayfalarıyla ve sayfa numaralarıyla PDF'e "
        "yazar.\n\n"
        "PDF çıkış kodları: 0 hepsi yazıldı, 1 bazıları yazılamadı, 2 hiçbiri yazılamadı, 64 kullanım hatası."));
    const QCommandLineOption pdfFile(
        QStringLiteral("pdf"),
        QStringLiteral("Defteri bu PDF dosyasına yaz. Birden çok defter ya da klasör verilirse ve bu bir klasörse "
                       "--pdf-dir gibi davranır."),
        QStringLiteral("dosya.pdf"));
    const QCommandLineOption pdfFolder(
        QStringLiteral("pdf-dir"),
        QStringLiteral("Her defteri bu klasöre, defterin adıyla ayrı bir PDF dosyası olarak yaz (ör. bir yılın "
                       "defterlerini arşivlemek için). Klasör yoksa oluşturulur; klasör olarak verilen "
                       "bağımsız değişkenlerdeki .xml dosyalarının hepsi yazılır."),
        QStringLiteral("klasör"));
    const QCommandLineOption programStylesheets(
        QStringLiteral("program-stylesheets"),
        QStringLiteral("Defterin yanındaki stil sayfaları yerine programın kendi stil sayfalarını kullan "
                       "(görüntüleyicideki \"Program görünümü\")."));
    const QCommandLineOption fallback(QStringLiteral("fallback"),
                                      QStringLiteral("Defterin yanında olmayan stil sayfalarının aranacağı klasör."),
                                      QStringLiteral("klasör"), common::dataFolder());
    const QCommandLineOption page(QStringLiteral("page"),
                                  QStringLiteral("Hata olduğunda hata sayfasını da standart çıktıya yaz."));
    const QCommandLineOption timing(QStringLiteral("timing"),
                                    QStringLiteral("Aşamaların sürelerini standart hataya yaz."));
    const QCommandLineOption pieces(QStringLiteral("pieces"),
                                    QStringLiteral("Sayfayı görüntüleyicinin parçalarına böl, her parçayı bu klasöre "
                                                   "ayrı bir sayfa olarak yaz (parca-0001.html, …)."),
                                    QStringLiteral("klasör"));
    const QCommandLineOption beginning(QStringLiteral("beginning"),
                                       QStringLiteral("Yalnızca defterin başını (yaklaşık bu kadar baytlık tam "
                                                      "kayıtları) işle, ilk ekran gibi."),
                                       QStringLiteral("bayt"));
    parser.addOptions({fallback, page, timing, pieces, beginning, pdfFile, pdfFolder, programStylesheets});
    parser.addPositionalArgument(QStringLiteral("dosya"),
                                 QStringLiteral("Gösterilecek defter dosyası (PDF için birden çok defter ya da klasör "
                                                "olabilir)."),
                                 QStringLiteral("defter..."));
    if (const std::optional<int> code = common::parseCommandLine(parser, application.arguments())) {
        return *code;
    }

    render::RenderRequest request;
    request.fallbackFolder = parser.value(fallback);
    request.programStylesheets = parser.isSet(programStylesheets);
    if (pdf) {
        const QStringList ledgers = ledgersIn(parser.positionalArguments());
        QString folder = parser.value(pdfFolder);
        const QString file = parser.value(pdfFile);
        const bool many = ledgers.size() > 1 ||
                          std::any_of(parser.positionalArguments().cbegin(), parser.positionalArguments().cend(),
                                      [](const QString& a) { return QFileInfo(a).isDir(); });
        if (folder.isEmpty() && many && (QFileInfo(file).isDir() || file.endsWith(u'/'))) {
            folder = file;
        }
        if (ledgers.isEmpty() && !parser.positionalArguments().isEmpty()) {
            writeError(QStringLiteral("verazidedaze-render: verilen klasörlerde defter (.xml) yok.\n"));
            return common::NothingDone;
        }
        if (ledgers.isEmpty() || (folder.isEmpty() && (many || file.isEmpty()))) {
            return common::usageError(
                QStringLiteral("birden çok defter için --pdf-dir KLASÖR gerekir; tek defter için --pdf DOSYA.pdf."));
        }
        if (!folder.isEmpty() && !QDir().mkpath(folder)) {
            writeError(QStringLiteral("verazidedaze-render: klasör oluşturulamadı: %1\n")
                           .arg(QDir::toNativeSeparators(folder)));
            return common::NothingDone;
        }
        QList<std::pair<QString, QString>> jobs;
        QSet<QString> taken;
        for (const QString& ledger : ledgers) {
            jobs.append({ledger, folder.isEmpty() ? file : pdfTarget(folder, ledger, taken)});
        }
        return printPdfs(jobs, request);
    }
    if (parser.positionalArguments().size() != 1) {
        return common::usageError(QStringLiteral("gösterilecek tek bir defter dosyası verin."));
    }
    request.ledgerPath = parser.positionalArguments().constFirst();
    if (parser.isSet(pieces)) {
        request.pieces = render::PieceLimits{};
    }
    const qint64 budget = parser.value(beginning).toLongLong();
    render::RenderResult result;
    bool whole = false;
    QThread* thread = render::createRenderThread([&] {
        std::optional<render::RenderResult> first =
            budget > 0 ? render::renderLedgerBeginning(request, budget) : std::nullopt;
        whole = !first;
        result = first ? std::move(*first) : render::renderLedger(request);
    });
    thread->start();
    thread->wait();
    delete thread;
    if (budget > 0 && whole) {
        writeError(QStringLiteral("Defter küçük ya da kayıtsız: tamamı işlendi.\n"));
    }

    if (parser.isSet(timing)) {
        writeError(timingLine(result));
    }
    if (result.ok() && result.pieces) {
        return writePieces(*result.pieces, parser.value(pieces)) ? 0 : 1;
    }
    if (result.ok()) {
        writeOut(result.html);
        return 0;
    }
    if (parser.isSet(page)) {
        writeOut(result.html);
    }
    writeError(failureMessage(*result.failure));
    return exitCode(result.failure->kind);
}
