#pragma once

#include "web/webforward.h"

#include <QString>

namespace print {

// What the print preview prints, as the view that shows it hands it in: the document it serves,
// the page that shows it, and whether the whole of it is there yet. The view tells the preview
// when that changes (PrintPreview::sourceChanged).
class PrintSource
{
public:
    virtual ~PrintSource() = default;

    // The document's title, or its path when it has none: the preview's caption and the print
    // job's name.
    [[nodiscard]] virtual QString documentName() const = 0;
    // True once the whole document is served, not only its beginning.
    [[nodiscard]] virtual bool holdsWhole() const = 0;
    [[nodiscard]] virtual const web::LedgerSchemeHandler& documents() const = 0;
    // The page showing a document that is not in pieces; it prints itself to PDF.
    [[nodiscard]] virtual web::PrintingPage& shownPage() const = 0;
};

} // namespace print
