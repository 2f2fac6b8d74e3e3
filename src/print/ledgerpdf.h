#pragma once

#include "common/backgroundtask.h"
#include "print/pdfassembly.h"
#include "render/ledgerrender.h"
#include "web/webforward.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace print {

class ParallelBook;

// Prints a ledger to a numbered PDF file without a window, with the same pages the print
// preview shows: rendered as the viewer renders it, then laid out by print books working side
// by side when it is a page with a body (its blocks counted on the pages: a file that would miss
// one is not written), else by a printing page, and numbered as the preview numbers it. One ledger
// at a time; the next may be asked for once finished() has come.
class LedgerPdf : public QObject
{
    Q_OBJECT

public:
    explicit LedgerPdf(QObject* parent = nullptr);
    ~LedgerPdf() override;

    // `request.pieces` unset: cut as the viewer cuts.
    void print(render::RenderRequest request, const QString& target);

signals:
    // Pages laid out so far, of a document in pieces.
    void progressed(int pages);
    // `outcome.pages` is the file's page count; a failure says what and why, in Turkish.
    void finished(const PdfOutcome& outcome);

private:
    void rendered(render::RenderResult result);
    void pageLoaded(const QWebEngineLoadingInfo& loading);
    void pagePrinted(const QString& path, bool ok);
    void bookDone();
    void finish(PdfOutcome outcome);
    // Pages for the ledger's print books, their browser processes started while it renders.
    void prepareBookPages();

    QWebEngineProfile* const m_profile;
    web::LedgerSchemeHandler* const m_scheme;
    web::PrintingPage* const m_page;
    const int m_books;                        // print books at once: one per core
    QList<web::PrintingPage*> m_bookPages;    // ready for the ledger's books
    QList<web::PrintingPage*> m_warmingPages; // still loading a blank page
    QString m_ledger;
    QString m_target;
    std::unique_ptr<QTemporaryDir> m_folder;
    ParallelBook* m_book = nullptr;
    QPointer<ParallelBook> m_retired;
    QUrl m_loading; // the document the page is loading, to print once loaded
    int m_shownPages = 0;
    QTimer m_stalled;                // no page laid out for this long: the layout is given up
    common::BackgroundTask m_render; // renders on a thread with the render's stack
};

} // namespace print
