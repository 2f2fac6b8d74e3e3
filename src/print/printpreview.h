#pragma once

#include "common/backgroundtask.h"
#include "common/notifier.h"
#include "print/pdfassembly.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QWidget>

#include <atomic>
#include <functional>
#include <limits>
#include <memory>

class QLabel;
class QPrinter;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QDialog;
class QTimer;

namespace print {

class PageStrip;
class ParallelBook;
class PrintSource;

// The browser view's print preview: the document laid out on A4 pages (vector PDF made by the
// web engine), from which the user prints to a printer of their choice or saves a PDF. A
// document in pieces is laid out by several print books at once, as the headless printer lays
// it out, and its pages appear as they are settled. Printing or saving may be asked for at any
// time: it waits for the pages it needs while the pages go on coming, then writes on a worker
// thread. Nothing here waits inside its own calls; every step is an answer to an event.
class PrintPreview : public QWidget
{
    Q_OBJECT

public:
    enum class State
    {
        LayingOut, // pages still coming
        Complete,  // every page shown
        Printing,  // a print or save waits for its pages or is being written
        Cancelled, // closed before its work was done; the work is stopped
        Failed,    // laying out stopped on an error, said in the window
    };
    Q_ENUM(State)

    // Shown as soon as it is made; deletes itself when closed. `source` outlives it.
    explicit PrintPreview(const PrintSource& source);
    ~PrintPreview() override;

    // Lays the document out once the source holds the whole of it.
    void start();
    // The source holds more of its document than before.
    void sourceChanged();

    [[nodiscard]] State state() const;
    // The pages shown so far, as files, and their count; whether that is all of them.
    [[nodiscard]] const QList<PdfPart>& parts() const { return m_parts; }
    [[nodiscard]] int pageCount() const { return m_pageCount; }
    [[nodiscard]] bool allPagesKnown() const { return m_layout == Layout::Complete; }
    // The books laying the document out, for a document in pieces; null otherwise or once done.
    [[nodiscard]] ParallelBook* book() const { return m_book; }
    [[nodiscard]] int bookCount() const { return m_bookCount; }
    // The folder of the laid-out pages; it goes with the window.
    [[nodiscard]] QString workFolder() const { return m_folder.path(); }

    // Tests answer the dialogs themselves.
    void setPrinterChooser(std::function<bool(QPrinter&)> chooser) { m_choosePrinter = std::move(chooser); }
    void setSaveTargetChooser(std::function<QString()> chooser) { m_chooseSaveTarget = std::move(chooser); }
    void setReporter(common::Notifier reporter) { m_report = std::move(reporter); }

public slots:
    void printDocument();
    void savePdf();
    // İptal: the print or save waiting or working stops; the pages go on coming.
    void cancelJob();

signals:
    // More pages are on screen: `count` in all.
    void pagesShown(int count);
    // Every page is laid out and shown (or laying them out failed).
    void ready(bool ok);
    // A print or save has ended: written, cancelled (`ok` false, nothing said) or failed (said).
    void jobFinished(bool ok);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Layout
    {
        Waiting, // for the source to hold the whole document
        LayingOut,
        Complete,
        Failed,
    };
    // A print or save: waits for `needed` pages (all: the whole document), then is written by `m_writer`.
    struct Job
    {
        enum class Kind
        {
            Save,
            PdfFile,
            Printer,
        };
        Kind kind = Kind::Save;
        int needed = 0;
        QString target;
        std::unique_ptr<QPrinter> printer;
        std::shared_ptr<std::atomic_bool> cancelled = std::make_shared<std::atomic_bool>(false);
        std::shared_ptr<std::atomic_int> done = std::make_shared<std::atomic_int>(0);
        std::shared_ptr<std::atomic_int> total = std::make_shared<std::atomic_int>(0);
        bool writing = false;
    };
    static constexpr int kWholeDocument = std::numeric_limits<int>::max();

    void makeBar();
    void connectControls();
    void layOut();
    void layOutPieces();
    void pagePrinted(const QString& path, bool ok);
    void booksProgressed();
    void booksFailed(const QString& error);
    void showParts(const QList<PdfPart>& parts);
    void finish(bool ok);
    // Opens `dialog` without waiting for it; `accepted` runs once it is gone, if it was accepted.
    void openDialog(QDialog* dialog, const std::function<void()>& accepted);
    void beginJob(std::unique_ptr<Job> job);
    void advanceJob();
    void startWriting(const QList<int>& pages);
    void jobWritten(const common::Outcome& outcome);
    void endJob(bool ok);
    void holdLaterBooks(bool hold);
    void updateStatus();
    void report(const QString& message);
    [[nodiscard]] bool canStartJob() const;

    const PrintSource& m_source;
    Layout m_layout = Layout::Waiting;
    bool m_closing = false;
    QTemporaryDir m_folder;
    PageStrip* const m_strip;
    QLabel* const m_status;
    QProgressBar* const m_progress;
    QPushButton* const m_print;
    QPushButton* const m_save;
    QPushButton* const m_cancel;
    QSpinBox* const m_page;
    QLabel* const m_pageCountLabel;
    ParallelBook* m_book = nullptr;
    int m_bookCount = 0;
    QList<PdfPart> m_parts; // the pages shown, as laid out
    int m_pageCount = 0;
    QString m_error;
    std::unique_ptr<Job> m_job;
    bool m_choosing = false; // a print or save dialog is open
    bool m_holding = false;  // the books after the first wait while a job waits for the first pages
    QTimer* const m_jobTicker;
    std::function<bool(QPrinter&)> m_choosePrinter;
    std::function<QString()> m_chooseSaveTarget;
    common::Notifier m_report;
    common::BackgroundTask m_writer{this}; // writes a job's pages to its printer or file
};

} // namespace print
