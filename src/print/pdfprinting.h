#pragma once

#include "print/pdfassembly.h"

#include <QList>
#include <QString>

#include <functional>
#include <utility>

class QPdfDocument;
class QPrinter;

namespace print {

// Pages are drawn at this resolution at most: sharp on paper, and a page image stays near
// 35 MB even when the printer reports 1200 dpi.
inline constexpr int kMaxRasterDpi = 300;

// The 0-based pages the printer's settings ask for, in order; pages past `pageCount` are left out.
QList<int> requestedPages(const QPrinter& printer, int pageCount);

struct PrintOutcome : common::Outcome
{
    int pagesPrinted = 0; // also when printing stopped part way

    PrintOutcome() = default;
    PrintOutcome(common::Outcome outcome, int pagesPrinted = 0)
        : common::Outcome(std::move(outcome)), pagesPrinted(pagesPrinted)
    {}
};

// Draws `pages` (0-based) of a rendered document on the printer, one page image in memory at a
// time. `progress(done, total)` returning false cancels.
PrintOutcome printPages(QPdfDocument& document, const QList<int>& pages, QPrinter& printer,
                        const std::function<bool(int done, int total)>& progress = {});

// `pages` (0-based across `parts` laid end to end) on the printer, as printPages() draws them,
// each with its number in the whole. They are first gathered into one file, vector and
// numbered, in `scratchFolder`, and that file is removed afterwards. Runs where it is called: meant for a worker
// thread.
PrintOutcome printPartsAsImages(const QList<PdfPart>& parts, const QList<int>& pages, const QString& scratchFolder,
                                QPrinter& printer, const std::function<bool(int done, int total)>& progress = {});

} // namespace print
