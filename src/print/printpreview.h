#pragma once

#include "print/pdfassembly.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryDir>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class QHBoxLayout;
class QLabel;
class QPdfDocument;
class QPrinter;
class QPdfView;
class QPushButton;
class QSpinBox;
class QThread;

namespace viewer {

class PieceBook;
class PrintSource;

// The browser view's print preview: the document laid out on A4 pages (vector PDF made by the
// web engine), from which the user prints to a printer of their choice or saves a PDF. A
// document in pieces is laid out piece by piece and its pages appear as they are made; printing
// or saving may be asked for at any time and waits for the pages it needs. Only the pages on
// screen are drawn, so long documents preview in bounded memory.
class PrintPreview : public QWidget
{
    Q_OBJECT

public:
    // Shown as soon as it is made; deletes itself when closed. `source` outlives it.
    explicit PrintPreview(const PrintSource& source);
    ~PrintPreview() override;

    // Lays the document out once the source holds the whole of it.
    void start();
    // The source holds more of its document than before.
    void sourceChanged();

    [[nodiscard]] QPdfDocument* document() const { return m_document; }
    // The PDF on screen.
    [[nodiscard]] QString pdfPath() const { return m_shownPath; }
    // The pieces' layout, for a document in pieces; null otherwise.
    [[nodiscard]] PieceBook* book() const { return m_book; }
    // The document's pages known so far, and whether that is all of them.
    [[nodiscard]] int pageCount() const;
    [[nodiscard]] bool allPagesKnown() const;

    // Tests answer the dialogs themselves; `cancelWhen` is asked while a print or save waits or
    // works, as though the user pressed Cancel.
    void setPrinterChooser(std::function<bool(QPrinter&)> chooser) { m_choosePrinter = std::move(chooser); }
    void setSaveTargetChooser(std::function<QString()> chooser) { m_chooseSaveTarget = std::move(chooser); }
    void setReporter(std::function<void(const QString&)> reporter) { m_report = std::move(reporter); }
    void setCancelWhen(std::function<bool()> cancelWhen) { m_cancelWhen = std::move(cancelWhen); }

public slots:
    void printDocument();
    void savePdf();

signals:
    // More pages are on screen.
    void pagesShown(int count);
    // Every page is laid out and shown (or laying them out failed).
    void ready(bool ok);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Task
    {
        std::atomic_bool cancelled = false;
        std::atomic_int done = 0;
        std::atomic_int total = 0;
    };

    // Merging the pieces' pages into one file for the screen, on a worker thread, now and then.
    struct ScreenMerge
    {
        QPointer<QThread> thread;
        bool running = false;
        bool again = false;  // more pages came while it ran
        bool failed = false; // said once; not tried again
        int count = 0;       // merges begun, naming their files
        QElapsedTimer since; // since the last one began
        qint64 lastMillis = 0;

        // Pages on screen are brought up to date at most this often, and never more often than
        // twice the time the last update took, so a long document is not merged over and over.
        static constexpr qint64 kIntervalMillis = 2000;

        // Whether new pages are worth a merge now: the first and the last are at once.
        [[nodiscard]] bool due(bool complete) const
        {
            return count == 0 || complete || since.elapsed() >= qMax(kIntervalMillis, 2 * lastMillis);
        }
    };

    QHBoxLayout* makeBar();
    void setUpView();
    void connectControls();
    void layOut();
    void layOutPieces();
    void pdfFinished(const QString& path, bool ok);
    void piecesProgressed();
    void piecesFailed(const QString& error);
    void mergePieces();
    void mergeOnThread(const QList<PdfPart>& parts, const QString& path, PageNumbers numbers,
                       const std::shared_ptr<std::atomic_bool>& closing, QPdfDocument* retired);
    void piecesMerged(const PdfOutcome& outcome, const QString& path, PageNumbers numbers,
                      std::unique_ptr<QPdfDocument> opened);
    void showPdf(QPdfDocument* document, const QString& path);
    void finish(bool ok);
    void updateStatus();
    void updatePageControls();
    void zoomBy(qreal factor);
    void report(const QString& message);

    [[nodiscard]] bool canPrint() const;
    [[nodiscard]] bool waitForPages(int needed);
    bool runTask(const QString& label, const std::function<void(Task&)>& work);
    void writePdfFile(const QList<int>& pages, const QString& target);
    void printOnPrinter(const QList<int>& pages, QPrinter& printer);

    const PrintSource& m_source;
    bool m_started = false;
    QTemporaryDir m_folder;
    QPdfDocument* m_document;
    std::unique_ptr<QPdfDocument> m_retired; // the document last on screen, to be closed off the GUI thread
    QPdfView* const m_view;
    QLabel* const m_status;
    QPushButton* const m_print;
    QPushButton* const m_save;
    QSpinBox* const m_page;
    QLabel* const m_pageCount;
    PieceBook* m_book = nullptr;
    QList<PdfPart> m_parts; // the document's pages, as laid out so far
    QString m_shownPath;
    int m_shownPages = 0;
    bool m_shownNumbered = false; // the pages on screen carry their numbers in the whole
    bool m_finished = false;
    bool m_working = false; // a print or save is waiting or working
    ScreenMerge m_merge;
    std::shared_ptr<std::atomic_bool> m_closing = std::make_shared<std::atomic_bool>(false);
    std::function<bool(QPrinter&)> m_choosePrinter;
    std::function<QString()> m_chooseSaveTarget;
    std::function<void(const QString&)> m_report;
    std::function<bool()> m_cancelWhen;
};

} // namespace viewer
