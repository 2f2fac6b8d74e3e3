#include "common/paths.h"
#include "render/ledgerrender.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>

#include <cstdio>

namespace {

// Distinct exit codes, so a batch script can tell the failures apart.
int exitCode(viewer::FailureKind kind)
{
    switch (kind) {
    case viewer::FailureKind::Unreadable:
        return 2;
    case viewer::FailureKind::NotWellFormed:
        return 3;
    case viewer::FailureKind::StylesheetMissing:
        return 4;
    case viewer::FailureKind::StylesheetInvalid:
        return 5;
    case viewer::FailureKind::TransformFailed:
        return 6;
    case viewer::FailureKind::Refused:
        return 7;
    case viewer::FailureKind::Cancelled:
        return 8;
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

QString failureMessage(const viewer::RenderFailure& failure)
{
    return QStringLiteral("verazidedaze-render: %1: %2\n%3\n")
        .arg(viewer::failureHeading(failure), failure.file, failure.reason);
}

QString timingLine(const viewer::RenderResult& result)
{
    const viewer::RenderTimings& t = result.timings;
    return QStringLiteral("zaman (ms): ayrıştırma %1, stil sayfası %2, dönüştürme %3, yazma %4\n")
        .arg(t.parse)
        .arg(t.compile)
        .arg(t.transform)
        .arg(t.serialise);
}

bool writePieces(const viewer::PiecedDocument& document, const QString& folder)
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

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("verazidedaze-render"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Bir e-Defter dosyasını görüntüleyicinin motoruyla HTML'ye çevirip standart çıktıya yazar."));
    parser.addHelpOption();
    const QCommandLineOption fallback(QStringLiteral("fallback"),
                                      QStringLiteral("Defterin yanında olmayan stil sayfalarının aranacağı klasör."),
                                      QStringLiteral("klasör"), app::dataFolder());
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
    parser.addOptions({fallback, page, timing, pieces, beginning});
    parser.addPositionalArgument(QStringLiteral("dosya"), QStringLiteral("Gösterilecek defter dosyası."));
    parser.process(application);
    if (parser.positionalArguments().size() != 1) {
        writeError(parser.helpText());
        return 64;
    }

    viewer::RenderRequest request;
    request.ledgerPath = parser.positionalArguments().constFirst();
    request.fallbackFolder = parser.value(fallback);
    if (parser.isSet(pieces))
        request.pieces = viewer::PieceLimits{};
    const qint64 budget = parser.value(beginning).toLongLong();
    viewer::RenderResult result;
    bool whole = false;
    QThread* thread = viewer::createRenderThread([&] {
        std::optional<viewer::RenderResult> first =
            budget > 0 ? viewer::renderLedgerBeginning(request, budget) : std::nullopt;
        whole = !first;
        result = first ? std::move(*first) : viewer::renderLedger(request);
    });
    thread->start();
    thread->wait();
    delete thread;
    if (budget > 0 && whole)
        writeError(QStringLiteral("Defter küçük ya da kayıtsız: tamamı işlendi.\n"));

    if (parser.isSet(timing))
        writeError(timingLine(result));
    if (result.ok() && result.pieces)
        return writePieces(*result.pieces, parser.value(pieces)) ? 0 : 1;
    if (result.ok()) {
        writeOut(result.html);
        return 0;
    }
    if (parser.isSet(page))
        writeOut(result.html);
    writeError(failureMessage(*result.failure));
    return exitCode(result.failure->kind);
}
