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
    if (pages.isEmpty()) {
        return common::Outcome::failure(QStringLiteral("Seçilen sayfa aralığında yazdırılacak sayfa yok."));
    }
    // The document's pages already hold their margins: paper of the same size, nothing added.
    const QSizeF firstPage = document.pagePointSize(pages.constFirst());
    printer.setPageLayout(QPageLayout(QPageSize(firstPage, QPageSize::Point), QPageLayout::Portrait, QMarginsF()));
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) {
        return common::Outcome::failure(QStringLiteral("Yazıcı başlatılamadı (%1).").arg(printer.printerName()));
    }
    const qreal dpi = qMin(printer.resolution(), kMaxRasterDpi);
    int printed = 0;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (progress && !progress(int(i), int(pages.size()))) {
            printer.abort();
            return {common::Outcome::stopped(), printed};
        }
        if (i > 0 && !printer.newPage()) {
            return {common::Outcome::failure(QStringLiteral("Yazıcı yeni sayfaya geçemedi.")), printed};
        }
        const QSizeF points = document.pagePointSize(pages.at(i));
        const QSize pixels = (points * dpi / 72.0).toSize();
        const QImage image = document.render(pages.at(i), pixels);
        if (image.isNull()) {
            printer.abort();
            return {common::Outcome::failure(QStringLiteral("Belgenin %1. sayfası çizilemedi.").arg(pages.at(i) + 1)),
                    printed};
        }
        const QRect paper = painter.viewport();
        QSize fitted = image.size();
        fitted.scale(paper.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRect(paper.topLeft() + QPoint((paper.width() - fitted.width()) / 2, 0), fitted), image);
        ++printed;
    }
    if (!painter.end()) {
        return {common::Outcome::failure(QStringLiteral("Yazdırma tamamlanamadı.")), printed};
    }
    return {common::Outcome::done(), printed};
}

PrintOutcome printPartsAsImages(const QList<PdfPart>& parts, const QList<int>& pages, const QString& scratchFolder,
                                QPrinter& printer, const std::function<bool(int, int)>& progress)
{
    if (parts.isEmpty() || pages.isEmpty()) {
        return common::Outcome::failure(QStringLiteral("Seçilen sayfa aralığında yazdırılacak sayfa yok."));
    }
    // Gathered even from one file: the pages get their numbers on the way.
    const QString path = QDir(scratchFolder).filePath(QStringLiteral("yazdirilacak.pdf"));
    const PdfOutcome gathered =
        writePdfPages(parts, pages, path, PageNumbers::Stamped, [&progress] { return !progress || progress(0, 0); });
    if (!gathered.ok) {
        return gathered.cancelled ? common::Outcome::stopped() : common::Outcome::failure(gathered.error);
    }
    PrintOutcome outcome;
    {
        QPdfDocument document;
        if (document.load(path) != QPdfDocument::Error::None) {
            outcome = common::Outcome::failure(
                QStringLiteral("Yazdırılacak sayfalar okunamadı (“%1”).").arg(QDir::toNativeSeparators(path)));
        } else {
            outcome = printPages(document, allPages({{path, gathered.pages}}), printer, progress);
        }
    }
    QFile::remove(path);
    return outcome;
}

} // namespace print
