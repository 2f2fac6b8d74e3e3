#include "print/pdfprinting.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageRanges>
#include <QPainter>
#include <QPdfDocument>
#include <QPrinter>

namespace print {

QList<int> requestedPages(const QPrinter& printer, int pageCount)
{
    QList<int> pages;
    const QPageRanges ranges = printer.pageRanges();
    for (int page = 1; page <= pageCount; ++page) {
        if (ranges.isEmpty() || ranges.contains(page)) {
            pages.append(page - 1);
        }
    }
    return pages;
}

PrintOutcome printPages(QPdfDocument& document, const QList<int>& pages, QPrinter& printer,
                        const std::function<bool(int, int)>& progress)
{
    PrintOutcome outcome;
    if (pages.isEmpty()) {
        outcome.error = QStringLiteral("Seçilen sayfa aralığında yazdırılacak sayfa yok.");
        return outcome;
    }
    // The document's pages already hold their margins: paper of the same size, nothing added.
    const QSizeF firstPage = document.pagePointSize(pages.constFirst());
    printer.setPageLayout(QPageLayout(QPageSize(firstPage, QPageSize::Point), QPageLayout::Portrait, QMarginsF()));
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) {
        outcome.error = QStringLiteral("Yazıcı başlatılamadı (%1).").arg(printer.printerName());
        return outcome;
    }
    const qreal dpi = qMin(printer.resolution(), kMaxRasterDpi);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (progress && !progress(int(i), int(pages.size()))) {
            printer.abort();
            outcome.cancelled = true;
            return outcome;
        }
        if (i > 0 && !printer.newPage()) {
            outcome.error = QStringLiteral("Yazıcı yeni sayfaya geçemedi.");
            return outcome;
        }
        const QSizeF points = document.pagePointSize(pages.at(i));
        const QSize pixels = (points * dpi / 72.0).toSize();
        const QImage image = document.render(pages.at(i), pixels);
        if (image.isNull()) {
            printer.abort();
            outcome.error = QStringLiteral("Belgenin %1. sayfası çizilemedi.").arg(pages.at(i) + 1);
            return outcome;
        }
        const QRect paper = painter.viewport();
        QSize fitted = image.size();
        fitted.scale(paper.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRect(paper.topLeft() + QPoint((paper.width() - fitted.width()) / 2, 0), fitted), image);
        ++outcome.pagesPrinted;
    }
    outcome.ok = painter.end();
    if (!outcome.ok) {
        outcome.error = QStringLiteral("Yazdırma tamamlanamadı.");
    }
    return outcome;
}

PrintOutcome printPartsAsImages(const QList<PdfPart>& parts, const QList<int>& pages, const QString& scratchFolder,
                                QPrinter& printer, const std::function<bool(int, int)>& progress)
{
    if (parts.isEmpty() || pages.isEmpty()) {
        return {false, false, 0, QStringLiteral("Seçilen sayfa aralığında yazdırılacak sayfa yok.")};
    }
    // Gathered even from one file: the pages get their numbers on the way.
    const QString path = QDir(scratchFolder).filePath(QStringLiteral("yazdirilacak.pdf"));
    const PdfOutcome gathered =
        writePdfPages(parts, pages, path, PageNumbers::Stamped, [&progress] { return !progress || progress(0, 0); });
    if (!gathered.ok) {
        return {false, gathered.cancelled, 0, gathered.error};
    }
    PrintOutcome outcome;
    {
        QPdfDocument document;
        if (document.load(path) != QPdfDocument::Error::None) {
            outcome.error =
                QStringLiteral("Yazdırılacak sayfalar okunamadı (“%1”).").arg(QDir::toNativeSeparators(path));
        } else {
            outcome = printPages(document, allPages({{path, gathered.pages}}), printer, progress);
        }
    }
    QFile::remove(path);
    return outcome;
}

} // namespace print
