#pragma once

#include "common/result.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <utility>

namespace print {

// A PDF file whose `pageCount` pages from `firstPage` (0-based) on are a stretch of a document's
// pages (a piece's file may hold more, left out).
struct PdfPart
{
    QString path;
    int pageCount = 0;
    int firstPage = 0;
};

struct PdfOutcome : common::Outcome
{
    int pages = 0; // counted or written

    PdfOutcome() = default;
    // Implicit, so that work that counts no pages returns common::Outcome::failure(…) and the like.
    PdfOutcome(common::Outcome outcome, int pages = 0) : common::Outcome(std::move(outcome)), pages(pages) {}
};

// Returns false to stop the work; asked between pages and while writing.
using KeepGoing = std::function<bool()>;

// Where a named destination of a PDF file points: a page (from 0) and a height on it, in points
// from the page's bottom.
struct PdfAnchor
{
    int page = -1;
    double y = 0;
};

// The pages of the PDF file at `path`, or an error naming the file and the cause; read in the
// same pass, when asked, its named destinations (its catalog's /Dests) by name.
PdfOutcome countPdfPages(const QString& path, QHash<QString, PdfAnchor>* destinations = nullptr);

// Every page of `parts` laid end to end, as 0-based page numbers.
QList<int> allPages(const QList<PdfPart>& parts);

enum class PageNumbers
{
    None,
    // "Sayfa k / N" at the foot of every page written, k its place in the whole of `parts` and
    // N the whole's page count: what the user prints or saves, whatever the stylesheet.
    Stamped,
};

// The text stamped at the foot of page `page` (1-based) of `total`.
QString pageNumberText(int page, int total);

// Writes `pages` (0-based across `parts` laid end to end, in the order given) to `output` as a
// new PDF. Pages are copied as they are, vector content and all: nothing is rasterised. Only
// the objects the copied pages use are read, so a few pages of a long document cost little.
PdfOutcome writePdfPages(const QList<PdfPart>& parts, const QList<int>& pages, const QString& output,
                         PageNumbers numbers, const KeepGoing& keepGoing = {});

// writePdfPages(), numbered, for a file the user chose: written under a temporary name in the
// same folder and renamed over `target` only once complete, so a failure or a cancel leaves
// nothing half-written there (and an existing file as it was).
PdfOutcome savePdfPages(const QList<PdfPart>& parts, const QList<int>& pages, const QString& target,
                        const KeepGoing& keepGoing = {});

// A copy of the PDF file `source` at `target`, made the same careful way.
PdfOutcome savePdfCopy(const QString& source, const QString& target);

} // namespace print
