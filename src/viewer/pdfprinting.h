#pragma once

#include <QList>
#include <QString>

#include <functional>

class QPdfDocument;
class QPrinter;

namespace viewer {

// Pages are drawn at this resolution at most: sharp on paper, and a page image stays near
// 35 MB even when the printer (or a PDF file) reports 1200 dpi.
inline constexpr int kMaxRasterDpi = 300;

// The 0-based pages the printer's settings ask for, in order.
QList<int> requestedPages(const QPrinter& printer, int pageCount);

struct PrintOutcome
{
    bool ok = false;
    bool cancelled = false;
    int pagesPrinted = 0;
    QString error; // Turkish, for the user
};

// Sends a rendered document (a PDF file) to the printer. A PDF file target that asks for every
// page gets the vector file itself; anything else is drawn page by page, one page in memory
// at a time. `progress(done, total)` returning false cancels.
PrintOutcome printPdf(const QString& pdfPath, QPdfDocument& document, QPrinter& printer,
                      const std::function<bool(int done, int total)>& progress = {});

} // namespace viewer
