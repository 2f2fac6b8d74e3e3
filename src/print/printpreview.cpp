#include "print/printpreview.h"

#include "common/appinfo.h"
#include "common/ui.h"
#include "print/pdfprinting.h"
#include "print/piecebook.h"
#include "print/printsource.h"
#include "web/ledgerscheme.h"
#include "web/printingpage.h"

#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPageRanges>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <limits>

namespace viewer {

namespace {

constexpr auto kPdfName = "belge.pdf";
constexpr auto kNumberedPdfName = "belge-numarali.pdf";
// The print dialog's upper page bound while the document's length is still unknown.
constexpr int kUnknownLastPage = 999999;

QString number(int value)
{
    return QLocale(QLocale::Turkish).toString(value);
}

bool chooseWithDialog(QPrinter& printer, QWidget* parent, int lastPage)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Yazdır"));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setMinMax(1, lastPage);
    return dialog.exec() == QDialog::Accepted;
}

QString chooseSaveTargetWithDialog(QWidget* parent)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("PDF olarak kaydet"), QString(),
                                        QStringLiteral("PDF belgesi (*.pdf)"));
}

int totalPages(const QList<PdfPart>& parts)
{
    int total = 0;
    for (const PdfPart& part : parts)
        total += part.pageCount;
    return total;
}

} // namespace

PrintPreview::PrintPreview(const PrintSource& source)
    : QWidget(nullptr, Qt::Window), m_source(source), m_document(new QPdfDocument(this)), m_view(new QPdfView(this)),
      m_status(new QLabel(this)), m_print(new QPushButton(QStringLiteral("&Yazdır..."), this)),
      m_save(new QPushButton(QStringLiteral("&PDF olarak kaydet..."), this)), m_page(new QSpinBox(this)),
      m_pageCount(new QLabel(this))
{
    setObjectName(QStringLiteral("PrintPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setWindowIcon(app::programIcon());
    setWindowTitle(QStringLiteral("Baskı Önizleme - %1").arg(source.documentName()));
    m_print->setObjectName(QStringLiteral("cmdPrint"));
    m_save->setObjectName(QStringLiteral("cmdSavePdf"));
    m_page->setObjectName(QStringLiteral("spinPage"));
    m_status->setObjectName(QStringLiteral("lblStatus"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(makeBar());
    layout->addWidget(m_view, 1);
    setUpView();

    m_print->setEnabled(false);
    m_save->setEnabled(false);
    m_page->setEnabled(false);
    m_status->setText(QStringLiteral("Sayfalar hazırlanıyor..."));
    connectControls();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry().adjusted(40, 40, -40, -40));
    QWidget::show();
}

// The buttons above the pages; those only the bar holds are connected here too.
QHBoxLayout* PrintPreview::makeBar()
{
    auto* zoomOut = new QPushButton(QStringLiteral("−"), this);
    auto* zoomIn = new QPushButton(QStringLiteral("+"), this);
    auto* fitWidth = new QPushButton(QStringLiteral("Genişliğe sığdır"), this);
    auto* fitPage = new QPushButton(QStringLiteral("Sayfaya sığdır"), this);
    auto* close = new QPushButton(QStringLiteral("&Kapat"), this);
    zoomOut->setToolTip(QStringLiteral("Uzaklaştır (Ctrl+-)"));
    zoomIn->setToolTip(QStringLiteral("Yakınlaştır (Ctrl++)"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(zoomIn, &QPushButton::clicked, this, [this] { zoomBy(1.25); });
    connect(zoomOut, &QPushButton::clicked, this, [this] { zoomBy(0.8); });
    connect(fitWidth, &QPushButton::clicked, this, [this] { m_view->setZoomMode(QPdfView::ZoomMode::FitToWidth); });
    connect(fitPage, &QPushButton::clicked, this, [this] { m_view->setZoomMode(QPdfView::ZoomMode::FitInView); });

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_print);
    bar->addWidget(m_save);
    bar->addSpacing(16);
    bar->addWidget(zoomOut);
    bar->addWidget(zoomIn);
    bar->addWidget(fitWidth);
    bar->addWidget(fitPage);
    bar->addSpacing(16);
    bar->addWidget(new QLabel(QStringLiteral("Sayfa"), this));
    bar->addWidget(m_page);
    bar->addWidget(m_pageCount);
    bar->addStretch();
    bar->addWidget(m_status);
    bar->addSpacing(16);
    bar->addWidget(close);
    return bar;
}

void PrintPreview::setUpView()
{
    m_view->setDocument(m_document);
    m_view->setPageMode(QPdfView::PageMode::MultiPage);
    m_view->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    m_view->setPageSpacing(12);
    QPalette dark = m_view->palette();
    dark.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
    m_view->setPalette(dark);
}

void PrintPreview::connectControls()
{
    connect(m_print, &QPushButton::clicked, this, &PrintPreview::printDocument);
    connect(m_save, &QPushButton::clicked, this, &PrintPreview::savePdf);
    connect(new QShortcut(QKeySequence::ZoomIn, this), &QShortcut::activated, this, [this] { zoomBy(1.25); });
    connect(new QShortcut(QKeySequence::ZoomOut, this), &QShortcut::activated, this, [this] { zoomBy(0.8); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this, &PrintPreview::printDocument);
    connect(m_page, &QSpinBox::editingFinished, this,
            [this] { m_view->pageNavigator()->jump(m_page->value() - 1, {}, m_view->zoomFactor()); });
    connect(m_view->pageNavigator(), &QPdfPageNavigator::currentPageChanged, this, &PrintPreview::updatePageControls);
    connect(&m_source.shownPage(), &QWebEnginePage::pdfPrintingFinished, this, &PrintPreview::pdfFinished);
}

PrintPreview::~PrintPreview()
{
    *m_closing = true;
    if (m_merge.thread)
        m_merge.thread->wait();
    // The temporary PDFs go with the folder; the document must let go of them first.
    delete m_document;
    delete m_book;
}

int PrintPreview::pageCount() const
{
    return m_book ? m_book->pageCount() : totalPages(m_parts);
}

bool PrintPreview::allPagesKnown() const
{
    return m_book ? m_book->isComplete() : !m_parts.isEmpty();
}

void PrintPreview::start()
{
    sourceChanged();
}

// A large ledger's beginning is shown first: the pages wait for the whole.
void PrintPreview::sourceChanged()
{
    if (m_started || !m_source.holdsWhole())
        return;
    m_started = true;
    layOut();
}

void PrintPreview::layOut()
{
    if (!m_folder.isValid()) {
        report(QStringLiteral("Baskı önizlemesi hazırlanamadı: geçici klasör oluşturulamadı (%1).")
                   .arg(m_folder.errorString()));
        finish(false);
        return;
    }
    const auto& pieces = m_source.documents().current().pieces;
    if (pieces && pieces->count() > 1) {
        layOutPieces();
        return;
    }
    m_source.shownPage().printWithDocumentMargins(m_folder.filePath(QString::fromLatin1(kPdfName)));
}

void PrintPreview::pdfFinished(const QString& path, bool ok)
{
    if (path != m_folder.filePath(QString::fromLatin1(kPdfName)))
        return; // another print of the same page
    const PdfOutcome counted = ok ? countPdfPages(path) : PdfOutcome{};
    // What is shown is what is printed and saved: numbered.
    const QString numbered = m_folder.filePath(QString::fromLatin1(kNumberedPdfName));
    const PdfOutcome written = counted.ok ? writePdfPages({{path, counted.pages}}, allPages({{path, counted.pages}}),
                                                          numbered, PageNumbers::Stamped)
                                          : counted;
    auto* document = new QPdfDocument(this);
    if (!written.ok || document->load(numbered) != QPdfDocument::Error::None) {
        delete document;
        report(QStringLiteral("Baskı önizlemesi hazırlanamadı: belge sayfalara dökülemedi.%1")
                   .arg(written.error.isEmpty() ? QString() : QLatin1Char(' ') + written.error));
        finish(false);
        return;
    }
    m_parts = {{path, counted.pages}};
    m_shownNumbered = true;
    showPdf(document, numbered);
    finish(true);
}

void PrintPreview::layOutPieces()
{
    m_book = new PieceBook(m_source.shownPage().profile(), m_source.documents(), m_folder.path());
    connect(m_book, &PieceBook::progressed, this, &PrintPreview::piecesProgressed);
    connect(m_book, &PieceBook::failed, this, &PrintPreview::piecesFailed);
    // Printing and saving wait for the pages they need, so they are offered from the start.
    m_print->setEnabled(true);
    m_save->setEnabled(true);
    updateStatus();
    m_book->produce();
}

void PrintPreview::piecesProgressed()
{
    m_parts = m_book->parts();
    updateStatus();
    if (m_merge.due(m_book->isComplete()))
        mergePieces();
}

void PrintPreview::piecesFailed(const QString& error)
{
    m_print->setEnabled(false);
    m_save->setEnabled(false);
    updateStatus();
    if (!m_working) // a waiting print or save says it itself
        report(error);
    finish(false);
}

void PrintPreview::mergePieces()
{
    if (m_merge.failed)
        return;
    if (m_merge.running) {
        m_merge.again = true;
        return;
    }
    m_merge.running = true;
    m_merge.again = false;
    m_merge.since.start();
    const QList<PdfPart> parts = m_parts;
    const QString path = m_folder.filePath(QStringLiteral("sayfalar-%1.pdf").arg(++m_merge.count));
    // Numbers only once the whole document's page count is known.
    const PageNumbers numbers = m_book->isComplete() ? PageNumbers::Stamped : PageNumbers::None;
    QPdfDocument* retired = m_retired.release();
    m_merge.thread = QThread::create(&PrintPreview::mergeOnThread, this, parts, path, numbers, m_closing, retired);
    connect(m_merge.thread, &QThread::finished, m_merge.thread, &QObject::deleteLater);
    if (retired)
        retired->moveToThread(m_merge.thread);
    m_merge.thread->start();
}

// On a worker thread: the pages so far in one file, opened there too (opening a long PDF takes
// longer than the window may wait), then handed to the window.
void PrintPreview::mergeOnThread(const QList<PdfPart>& parts, const QString& path, PageNumbers numbers,
                                 const std::shared_ptr<std::atomic_bool>& closing, QPdfDocument* retired)
{
    delete retired;
    const PdfOutcome outcome = writePdfPages(parts, allPages(parts), path, numbers, [closing] { return !*closing; });
    auto opened = std::make_shared<std::unique_ptr<QPdfDocument>>();
    if (outcome.ok) {
        *opened = std::make_unique<QPdfDocument>();
        if ((*opened)->load(path) != QPdfDocument::Error::None) {
            opened->reset();
        } else {
            // Reads every page's size here, once: the view asks for them all.
            for (int page = 0; page < (*opened)->pageCount(); ++page)
                (*opened)->pagePointSize(page);
            (*opened)->moveToThread(thread());
        }
    }
    // Dropped, document and all, if the window is gone by then.
    QMetaObject::invokeMethod(
        this, [this, outcome, path, numbers, opened] { piecesMerged(outcome, path, numbers, std::move(*opened)); },
        Qt::QueuedConnection);
}

void PrintPreview::piecesMerged(const PdfOutcome& outcome, const QString& path, PageNumbers numbers,
                                std::unique_ptr<QPdfDocument> opened)
{
    m_merge.running = false;
    m_merge.lastMillis = m_merge.since.elapsed();
    if (outcome.cancelled)
        return;
    if (!outcome.ok || !opened) {
        // Said once: later merges would fail the same way. Printing and saving still work from
        // the pieces themselves.
        m_merge.failed = true;
        report(QStringLiteral("Sayfalar önizlemeye alınamadı: %1")
                   .arg(outcome.ok ? QStringLiteral("“%1” açılamadı.").arg(QDir::toNativeSeparators(path))
                                   : outcome.error));
        finish(false);
        return;
    }
    const QString previous = m_shownPath;
    m_shownNumbered = numbers == PageNumbers::Stamped;
    showPdf(opened.release(), path);
    if (!previous.isEmpty() && previous != path)
        QFile::remove(previous);
    if (m_book->isComplete() && m_shownNumbered && m_shownPages == m_book->pageCount())
        finish(true);
    else if (m_merge.again || m_book->isComplete())
        mergePieces();
}

// Puts an opened PDF on screen in place of the one there, keeping the reader where they were:
// the pages before it stay the same.
void PrintPreview::showPdf(QPdfDocument* document, const QString& path)
{
    const int scrolled = m_view->verticalScrollBar()->value();
    const int page = m_view->pageNavigator()->currentPage();
    document->setParent(this);
    m_view->setDocument(document);
    // Closing a long document takes a while too: the next merge's thread does it.
    if (m_document) {
        m_document->setParent(nullptr);
        m_retired.reset(m_document);
    }
    m_document = document;
    m_shownPath = path;
    m_shownPages = m_document->pageCount();
    if (page > 0 || scrolled > 0) {
        m_view->pageNavigator()->jump(qMin(page, m_shownPages - 1), {}, m_view->zoomFactor());
        m_view->verticalScrollBar()->setValue(scrolled);
    }
    m_page->setEnabled(true);
    m_page->setRange(1, qMax(1, m_shownPages));
    updatePageControls();
    updateStatus();
    emit pagesShown(m_shownPages);
}

void PrintPreview::finish(bool ok)
{
    if (m_finished)
        return;
    m_finished = true;
    updateStatus();
    if (ok) {
        m_print->setEnabled(true);
        m_save->setEnabled(true);
        m_print->setFocus();
    }
    emit ready(ok);
}

void PrintPreview::updateStatus()
{
    if (m_book && m_book->hasFailed()) {
        m_status->setText(QStringLiteral("Sayfalar hazırlanamadı."));
    } else if (m_book && !m_book->isComplete()) {
        m_status->setText(m_book->pageCount() == 0
                              ? QStringLiteral("Sayfalar hazırlanıyor…")
                              : QStringLiteral("Sayfalar hazırlanıyor: %1 sayfa…").arg(number(m_book->pageCount())));
    } else if (m_finished && m_shownPages == 0) {
        m_status->setText(QStringLiteral("Sayfalar hazırlanamadı."));
    } else {
        m_status->setText(QString());
    }
    m_pageCount->setText(
        m_shownPages == 0 ? QString() : QStringLiteral("/ %1%2").arg(number(m_shownPages), allPagesKnown() ? "" : "…"));
}

void PrintPreview::updatePageControls()
{
    m_page->setValue(m_view->pageNavigator()->currentPage() + 1);
}

void PrintPreview::zoomBy(qreal factor)
{
    const qreal zoom = qBound(0.1, m_view->zoomFactor() * factor, 8.0);
    m_view->setZoomMode(QPdfView::ZoomMode::Custom);
    m_view->setZoomFactor(zoom);
}

bool PrintPreview::canPrint() const
{
    if (m_working)
        return false;
    return m_book ? !m_book->hasFailed() : !m_parts.isEmpty();
}

void PrintPreview::printDocument()
{
    if (!canPrint())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_source.documentName());
    const int lastPage = allPagesKnown() ? pageCount() : kUnknownLastPage;
    const bool chosen = m_choosePrinter ? m_choosePrinter(printer) : chooseWithDialog(printer, this, lastPage);
    if (!chosen)
        return;
    const QPageRanges ranges = printer.pageRanges();
    if (!waitForPages(ranges.isEmpty() ? std::numeric_limits<int>::max() : ranges.lastPage()))
        return;
    const QList<int> pages = requestedPages(printer, pageCount());
    if (pages.isEmpty()) {
        report(QStringLiteral("Seçilen sayfa aralığında yazdırılacak sayfa yok: belge %1 sayfa.")
                   .arg(number(pageCount())));
        return;
    }
    if (printer.outputFormat() == QPrinter::PdfFormat)
        writePdfFile(pages, printer.outputFileName());
    else
        printOnPrinter(pages, printer);
}

void PrintPreview::savePdf()
{
    if (!canPrint())
        return;
    QString target = m_chooseSaveTarget ? m_chooseSaveTarget() : chooseSaveTargetWithDialog(this);
    if (target.isEmpty())
        return;
    if (!target.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        target += QLatin1String(".pdf");
    if (!waitForPages(std::numeric_limits<int>::max()))
        return;
    // The file on screen, when it already holds every page numbered, is the document as it is.
    if (m_shownNumbered && m_shownPages == pageCount()) {
        const PdfOutcome outcome = savePdfCopy(m_shownPath, target);
        if (!outcome.ok)
            report(outcome.error);
        return;
    }
    writePdfFile(allPages(m_parts), target);
}

// Waits, with progress and a Cancel button, until the document has `needed` pages or is laid out
// whole. False when cancelled or when laying out failed (said to the user).
bool PrintPreview::waitForPages(int needed)
{
    const auto enough = [this, needed] {
        return !m_book || m_book->isComplete() || m_book->pageCount() >= needed;
    };
    if (!enough() && !m_book->hasFailed()) {
        const bool whole = needed == std::numeric_limits<int>::max();
        QProgressDialog dialog(this);
        dialog.setWindowTitle(QStringLiteral("Sayfalar hazırlanıyor"));
        dialog.setCancelButtonText(QStringLiteral("İptal"));
        dialog.setWindowModality(Qt::WindowModal);
        dialog.setMinimumDuration(0);
        dialog.setAutoReset(false);
        dialog.setAutoClose(false);
        const auto update = [&] {
            dialog.setLabelText(
                whole
                    ? QStringLiteral("Sayfalar hazırlanıyor: %1 sayfa…").arg(number(pageCount()))
                    : QStringLiteral("Sayfalar hazırlanıyor: %1 / %2 sayfa…").arg(number(pageCount()), number(needed)));
            dialog.setMaximum(whole ? m_book->pieceCount() : needed);
            dialog.setValue(whole ? m_book->piecesDone() : qMin(pageCount(), needed));
        };
        update();
        QEventLoop loop;
        connect(m_book, &PieceBook::progressed, &loop, [&] { enough() ? loop.quit() : update(); });
        connect(m_book, &PieceBook::failed, &loop, &QEventLoop::quit);
        connect(&dialog, &QProgressDialog::canceled, &loop, &QEventLoop::quit);
        QTimer poll;
        connect(&poll, &QTimer::timeout, &loop, [&] {
            if (m_cancelWhen && m_cancelWhen())
                dialog.cancel(), loop.quit();
        });
        poll.start(50);
        m_working = true;
        loop.exec();
        m_working = false;
        if (dialog.wasCanceled() && !enough())
            return false;
    }
    if (m_book && m_book->hasFailed() && !enough()) {
        report(QStringLiteral("Sayfalar hazırlanamadı: %1").arg(m_book->error()));
        return false;
    }
    return true;
}

// Runs `work` on a worker thread while a dialog shows its progress; the window stays alive and
// Cancel sets `cancelled`. False when cancelled.
bool PrintPreview::runTask(const QString& label, const std::function<void(Task&)>& work)
{
    QProgressDialog dialog(label, QStringLiteral("İptal"), 0, 0, this);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(500);
    Task task;
    QThread* worker = QThread::create([&task, &work] { work(task); });
    QEventLoop loop;
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    connect(&dialog, &QProgressDialog::canceled, this, [&task] { task.cancelled = true; });
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] {
        if (m_cancelWhen && m_cancelWhen())
            task.cancelled = true;
        dialog.setMaximum(task.total);
        dialog.setValue(task.done);
    });
    ticker.start(50);
    m_working = true;
    worker->start();
    loop.exec();
    m_working = false;
    delete worker;
    return !task.cancelled;
}

void PrintPreview::writePdfFile(const QList<int>& pages, const QString& target)
{
    PdfOutcome outcome;
    const QList<PdfPart> parts = m_parts;
    runTask(QStringLiteral("PDF dosyası yazılıyor..."), [&](Task& task) {
        outcome = savePdfPages(parts, pages, target, [&task] { return !task.cancelled.load(); });
    });
    if (!outcome.ok && !outcome.cancelled)
        report(outcome.error);
}

void PrintPreview::printOnPrinter(const QList<int>& pages, QPrinter& printer)
{
    PrintOutcome outcome;
    const QList<PdfPart> parts = m_parts;
    const QString folder = m_folder.path();
    runTask(QStringLiteral("Yazdırılıyor..."), [&](Task& task) {
        outcome = printPartsAsImages(parts, pages, folder, printer, [&task](int printed, int of) {
            task.done = printed;
            task.total = of;
            return !task.cancelled.load();
        });
    });
    if (!outcome.ok && !outcome.cancelled)
        report(outcome.error);
}

void PrintPreview::closeEvent(QCloseEvent* event)
{
    // A print or save in progress is cancelled from its own dialog first.
    if (m_working) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void PrintPreview::report(const QString& message)
{
    if (m_report) {
        m_report(message);
        return;
    }
    QMessageBox box(QMessageBox::Warning, app::programTitle(), message, QMessageBox::Ok, this);
    box.exec();
}

} // namespace viewer
