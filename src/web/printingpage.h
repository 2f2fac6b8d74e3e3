#pragma once

#include <QPageLayout>
#include <QStringList>
#include <QWebEnginePage>

#include <memory>

namespace web {

// The printed page: A4, with the margins of the document's own @page rule, or 12 mm where it
// gives none. The web engine ignores @page margins and puts its layout's margins around
// whatever the document allows for itself, so the rule's are handed to it as the layout's.
// `cssMargins` are the rule's margin-top, -right, -bottom and -left as CSS text ("0px", "12mm");
// a side that is missing or not an absolute length gets 12 mm.
QPageLayout printPageLayout(const QStringList& cssMargins = {});

// A web page that prints itself to PDF with its document's own margins, and that is safe to
// delete while it prints: the web engine aborts the whole process when a page goes while its
// printToPdf() runs, so this one waits for the print first.
class PrintingPage : public QWebEnginePage
{
public:
    explicit PrintingPage(QWebEngineProfile* profile, QObject* parent = nullptr);
    ~PrintingPage() override;

    // Reads the document's @page margins, then prints it to `path` with them; the page's
    // pdfPrintingFinished() says when the file is written.
    void printWithDocumentMargins(const QString& path);
    // Returns once a running print has finished (or the renderer has gone): a fraction of a
    // second, one document or piece at most. For owners that must not let the page's view go
    // first.
    void waitForPrint();
    [[nodiscard]] bool isPrinting() const { return m_printing; }
    // Deletes the page once a running print has finished (or the renderer has gone), at once
    // when none runs; no print starts any more. For owners that go while the program goes on:
    // waiting inside a deferred delete holds up the web engine's prints, this one's included.
    void deleteWhenPrinted();

private:
    bool m_printing = false;
    // Read by a margins answer that the engine may deliver while the page is being destroyed.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace web
