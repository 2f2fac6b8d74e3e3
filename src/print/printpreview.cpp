#include "print/printpreview.h"

#include "common/appinfo.h"
#include "common/messagebox.h"
#include "common/result.h"
#include "common/turkishformat.h"
#include "common/ui.h"
#include "print/pagestrip.h"
#include "print/parallelbook.h"
#include "print/pdfprinting.h"
#include "print/printsource.h"
#include "web/ledgerscheme.h"
#include "web/printingpage.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageRanges>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineProfile>

#include <utility>

namespace print {

namespace {

constexpr auto kPdfName = "belge.pdf";
// The print dialog's upper page bound while the document's length is still unknown.
constexpr int kUnknownLastPage = 999999;

using common::number;

// One book per core, as the headless printer lays a document out.
int booksAtOnce()
{
    return qBound(1, QThread::idealThreadCount(), 4);
}

} // namespace

PrintPreview::PrintPreview(const PrintSource& source)
    : QWidget(nullptr, Qt::Window), m_source(source), m_strip(new PageStrip(this)), m_status(new QLabel(this)),
      m_progress(new QProgressBar(this)), m_print(new QPushButton(QStringLiteral("&Yazdır..."), this)),
      m_save(new QPushButton(QStringLiteral("&PDF olarak kaydet..."), this)),
      m_cancel(new QPushButton(QStringLiteral("İptal"), this)), m_page(new QSpinBox(this)),
      m_pageCountLabel(new QLabel(this)), m_jobTicker(new QTimer(this))
{
    setObjectName(QStringLiteral("PrintPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setWindowIcon(common::programIcon());
    setWindowTitle(QStringLiteral("Baskı Önizleme - %1").arg(source.documentName()));
    m_print->setObjectName(QStringLiteral("cmdPrint"));
    m_save->setObjectName(QStringLiteral("cmdSavePdf"));
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_page->setObjectName(QStringLiteral("spinPage"));
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_pageCountLabel->setObjectName(QStringLiteral("lblPageCount"));
    m_progress->setObjectName(QStringLiteral("barProgress"));
    m_progress->setMaximumWidth(160);
    m_progress->setTextVisible(false);
    m_progress->hide();
    m_cancel->hide();
    m_print->setEnabled(false);
    m_save->setEnabled(false);
    m_page->setEnabled(false);
    m_jobTicker->setInterval(100);

    makeBar();
    connectControls();
    updateStatus();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(screen->availableGeometry().adjusted(40, 40, -40, -40));
    }
    QWidget::show();
}

// The buttons above the pages; those only the bar holds are connected here too.
void PrintPreview::makeBar()
{
    auto* zoomOut = new QPushButton(QStringLiteral("−"), this);
    auto* zoomIn = new QPushButton(QStringLiteral("+"), this);
    auto* fitWidth = new QPushButton(QStringLiteral("Genişliğe sığdır"), this);
    auto* fitPage = new QPushButton(QStringLiteral("Sayfaya sığdır"), this);
    auto* close = new QPushButton(QStringLiteral("&Kapat"), this);
    zoomOut->setToolTip(QStringLiteral("Uzaklaştır (Ctrl+-)"));
    zoomIn->setToolTip(QStringLiteral("Yakınlaştır (Ctrl++)"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(zoomIn, &QPushButton::clicked, this, [this] { m_strip->zoomBy(1.25); });
    connect(zoomOut, &QPushButton::clicked, this, [this] { m_strip->zoomBy(0.8); });
    connect(fitWidth, &QPushButton::clicked, m_strip, &PageStrip::fitWidth);
    connect(fitPage, &QPushButton::clicked, m_strip, &PageStrip::fitPage);

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
    bar->addWidget(m_pageCountLabel);
    bar->addStretch();
    bar->addWidget(m_status);
    bar->addWidget(m_progress);
    bar->addWidget(m_cancel);
    bar->addSpacing(16);
    bar->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_strip, 1);
}

void PrintPreview::connectControls()
{
    connect(m_print, &QPushButton::clicked, this, &PrintPreview::printDocument);
    connect(m_save, &QPushButton::clicked, this, &PrintPreview::savePdf);
    connect(m_cancel, &QPushButton::clicked, this, &PrintPreview::cancelJob);
    connect(new QShortcut(QKeySequence::ZoomIn, this), &QShortcut::activated, this, [this] { m_strip->zoomBy(1.25); });
    connect(new QShortcut(QKeySequence::ZoomOut, this), &QShortcut::activated, this, [this] { m_strip->zoomBy(0.8); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this, &PrintPreview::printDocument);
    connect(m_page, &QSpinBox::editingFinished, this, [this] { m_strip->jumpTo(m_page->value() - 1); });
    connect(m_strip, &PageStrip::currentPageChanged, this, [this](int page) { m_page->setValue(page + 1); });
    connect(&m_source.shownPage(), &QWebEnginePage::pdfPrintingFinished, this, &PrintPreview::pagePrinted);
    connect(m_jobTicker, &QTimer::timeout, this, &PrintPreview::updateStatus);
}

PrintPreview::~PrintPreview()
{
    m_closing = true;
    // An open dialog goes first, while what its answer would reach is still whole.
    qDeleteAll(findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly));
    if (m_job && m_job->writing) {
        // Written files are asked between pages whether to go on: this is short.
        *m_job->cancelled = true;
        m_writer.cancel();
        m_writer.wait();
    }
    // Its browser pages go before the folder their files are in.
    delete m_book;
}

PrintPreview::State PrintPreview::state() const
{
    if (m_closing) {
        return State::Cancelled;
    }
    if (m_layout == Layout::Failed) {
        return State::Failed;
    }
    if (m_job) {
        return State::Printing;
    }
    return m_layout == Layout::Complete ? State::Complete : State::LayingOut;
}

void PrintPreview::start()
{
    sourceChanged();
}

// A large ledger's beginning is shown first: the pages wait for the whole.
void PrintPreview::sourceChanged()
{
    if (m_layout != Layout::Waiting || !m_source.holdsWhole()) {
        return;
    }
    m_layout = Layout::LayingOut;
    m_print->setEnabled(true);
    m_save->setEnabled(true);
    layOut();
}

void PrintPreview::layOut()
{
    if (!m_folder.isValid()) {
        booksFailed(QStringLiteral("geçici klasör oluşturulamadı (%1).").arg(m_folder.errorString()));
        return;
    }
    const auto& pieces = m_source.documents().current().pieces;
    if (pieces && pieces->count() > 1) {
        layOutPieces();
        return;
    }
    m_source.shownPage().printWithDocumentMargins(m_folder.filePath(QString::fromLatin1(kPdfName)));
    updateStatus();
}

void PrintPreview::pagePrinted(const QString& path, bool ok)
{
    if (m_layout != Layout::LayingOut || path != m_folder.filePath(QString::fromLatin1(kPdfName))) {
        return; // another print of the same page
    }
    const PdfOutcome counted = ok ? countPdfPages(path) : PdfOutcome{};
    if (!counted.ok) {
        booksFailed(QStringLiteral("belge sayfalara dökülemedi.%1")
                        .arg(counted.error.isEmpty() ? QString() : QLatin1Char(' ') + counted.error));
        return;
    }
    m_layout = Layout::Complete;
    showParts({{path, counted.pages}});
    finish(true);
}

void PrintPreview::layOutPieces()
{
    m_bookCount = booksAtOnce();
    m_book = new ParallelBook(m_source.shownPage().profile(), m_source.documents(), m_folder.path(), m_bookCount, this);
    m_bookCount = m_book->bookCount();
    connect(m_book, &ParallelBook::progressed, this, &PrintPreview::booksProgressed);
    connect(m_book, &ParallelBook::completed, this, &PrintPreview::booksProgressed);
    connect(m_book, &ParallelBook::failed, this, &PrintPreview::booksFailed);
    updateStatus();
    m_book->produce();
}

void PrintPreview::booksProgressed()
{
    const bool complete = m_book->isComplete();
    if (complete) {
        m_layout = Layout::Complete; // the pages are shown numbered
    }
    showParts(complete ? m_book->parts() : m_book->settledParts());
    if (m_holding && !complete) {
        m_book->holdLaterBooks(true);
    }
    if (complete) {
        // The pages' files stay in the folder; the books' browser pages are no longer needed.
        m_book->disconnect(this);
        m_book->deleteLater();
        m_book = nullptr;
        finish(true);
    }
    advanceJob();
}

void PrintPreview::booksFailed(const QString& error)
{
    m_layout = Layout::Failed;
    m_error = error;
    if (m_book) {
        m_book->disconnect(this);
        m_book->deleteLater(); // it may be what called
        m_book = nullptr;
    }
    m_print->setEnabled(false);
    m_save->setEnabled(false);
    if (m_job) {
        endJob(false);
    }
    report(QStringLiteral("Sayfalar hazırlanamadı: %1").arg(error));
    finish(false);
}

// Adds the pages of `parts` past those already shown: the pages shown never change.
void PrintPreview::showParts(const QList<PdfPart>& parts)
{
    int seen = 0;
    for (const PdfPart& part : parts) {
        const int past = m_pageCount - seen;
        seen += part.pageCount;
        if (past >= part.pageCount) {
            continue;
        }
        PdfPart added = part;
        added.firstPage += qMax(0, past);
        added.pageCount -= qMax(0, past);
        m_strip->append(added);
    }
    m_parts = parts;
    if (seen == m_pageCount && m_layout != Layout::Complete) {
        return;
    }
    m_pageCount = qMax(seen, m_pageCount);
    if (m_layout == Layout::Complete) {
        m_strip->setTotal(m_pageCount);
    }
    m_page->setEnabled(m_pageCount > 0);
    m_page->setRange(1, qMax(1, m_pageCount));
    updateStatus();
    emit pagesShown(m_pageCount);
}

void PrintPreview::finish(bool ok)
{
    updateStatus();
    if (ok && !m_job) {
        m_print->setFocus();
    }
    emit ready(ok);
}

bool PrintPreview::canStartJob() const
{
    return !m_job && !m_choosing && !m_closing && (m_layout == Layout::LayingOut || m_layout == Layout::Complete);
}

void PrintPreview::printDocument()
{
    if (!canStartJob()) {
        return;
    }
    auto job = std::make_unique<Job>();
    job->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    job->printer->setDocName(m_source.documentName());
    if (m_choosePrinter) {
        if (m_choosePrinter(*job->printer)) {
            beginJob(std::move(job));
        }
        return;
    }
    auto* dialog = new QPrintDialog(job->printer.get(), this);
    dialog->setWindowTitle(QStringLiteral("Yazdır"));
    dialog->setOption(QAbstractPrintDialog::PrintPageRange);
    dialog->setMinMax(1, allPagesKnown() ? m_pageCount : kUnknownLastPage);
    // The printer goes with the job, or with the lambda once the dialog is gone.
    auto held = std::make_shared<std::unique_ptr<Job>>(std::move(job));
    openDialog(dialog, [this, held] { beginJob(std::move(*held)); });
}

void PrintPreview::savePdf()
{
    if (!canStartJob()) {
        return;
    }
    auto job = std::make_unique<Job>();
    job->kind = Job::Kind::Save;
    if (m_chooseSaveTarget) {
        job->target = m_chooseSaveTarget();
        if (!job->target.isEmpty()) {
            beginJob(std::move(job));
        }
        return;
    }
    auto* dialog =
        new QFileDialog(this, QStringLiteral("PDF olarak kaydet"), QString(), QStringLiteral("PDF belgesi (*.pdf)"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    auto held = std::make_shared<std::unique_ptr<Job>>(std::move(job));
    connect(dialog, &QFileDialog::fileSelected, this, [held](const QString& file) { (*held)->target = file; });
    openDialog(dialog, [this, held] { beginJob(std::move(*held)); });
}

void PrintPreview::openDialog(QDialog* dialog, const std::function<void()>& accepted)
{
    m_choosing = true;
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::finished, this, [this, dialog, accepted](int result) {
        // Only once the dialog is gone: a print dialog uses its printer until then.
        connect(dialog, &QObject::destroyed, this, [this, accepted, result] {
            m_choosing = false;
            if (result == QDialog::Accepted && !m_closing) {
                accepted();
            }
        });
        dialog->deleteLater();
    });
    dialog->open();
}

void PrintPreview::beginJob(std::unique_ptr<Job> job)
{
    if (job->printer) {
        job->kind = job->printer->outputFormat() == QPrinter::PdfFormat ? Job::Kind::PdfFile : Job::Kind::Printer;
        job->target = job->printer->outputFileName();
        const QPageRanges ranges = job->printer->pageRanges();
        job->needed = ranges.isEmpty() ? kWholeDocument : ranges.lastPage();
    } else {
        job->needed = kWholeDocument;
        if (!job->target.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
            job->target += QLatin1String(".pdf");
        }
    }
    m_job = std::move(job);
    m_print->setEnabled(false);
    m_save->setEnabled(false);
    m_cancel->show();
    m_progress->show();
    m_jobTicker->start();
    // A range waits for the first book alone, as fast as one book lays it out.
    holdLaterBooks(m_job->needed != kWholeDocument && m_pageCount < m_job->needed);
    advanceJob();
}

void PrintPreview::holdLaterBooks(bool hold)
{
    if (!m_book || (!hold && !m_holding)) {
        return;
    }
    m_holding = hold;
    m_book->holdLaterBooks(hold);
}

// The job's pages are there: it is written. Asked whenever pages come.
void PrintPreview::advanceJob()
{
    if (!m_job || m_job->writing) {
        return;
    }
    if (m_layout != Layout::Complete && m_pageCount < m_job->needed) {
        updateStatus();
        return;
    }
    holdLaterBooks(false);
    const QList<int> pages = m_job->printer ? requestedPages(*m_job->printer, m_pageCount) : allPages(m_parts);
    if (pages.isEmpty()) {
        report(QStringLiteral("Seçilen sayfa aralığında yazdırılacak sayfa yok: belge %1 sayfa.")
                   .arg(number(m_pageCount)));
        endJob(false);
        return;
    }
    startWriting(pages);
}

void PrintPreview::startWriting(const QList<int>& pages)
{
    Job& job = *m_job;
    const QList<PdfPart> parts = m_parts;
    const auto cancelled = job.cancelled;
    const auto done = job.done;
    const auto total = job.total;
    const auto answer = [this](const common::BackgroundTask::Context& context, const common::Outcome& outcome) {
        context.post([this, outcome] { jobWritten(outcome); });
    };
    job.writing = true;
    if (job.kind == Job::Kind::Printer) {
        QPrinter* printer = job.printer.get();
        const QString folder = m_folder.path();
        m_writer.start([=](const common::BackgroundTask::Context& context) {
            const PrintOutcome outcome = printPartsAsImages(parts, pages, folder, *printer, [=](int printed, int of) {
                *done = printed;
                *total = of;
                return !*cancelled;
            });
            answer(context, outcome);
        });
    } else {
        const QString target = job.target;
        m_writer.start([=](const common::BackgroundTask::Context& context) {
            const PdfOutcome outcome = savePdfPages(parts, pages, target, [=] { return !*cancelled; });
            answer(context, outcome);
        });
    }
    updateStatus();
}

void PrintPreview::jobWritten(const common::Outcome& outcome)
{
    if (!m_job || !m_job->writing) {
        return;
    }
    m_job->writing = false;
    if (outcome.failed()) {
        report(outcome.error);
    }
    endJob(outcome.ok);
}

void PrintPreview::cancelJob()
{
    if (!m_job) {
        return;
    }
    *m_job->cancelled = true;
    if (!m_job->writing) {
        endJob(false); // it was only waiting for pages
    }
}

void PrintPreview::endJob(bool ok)
{
    holdLaterBooks(false);
    m_job.reset();
    m_jobTicker->stop();
    m_cancel->hide();
    m_progress->hide();
    const bool open = m_layout == Layout::LayingOut || m_layout == Layout::Complete;
    m_print->setEnabled(open);
    m_save->setEnabled(open);
    updateStatus();
    emit jobFinished(ok);
}

void PrintPreview::updateStatus()
{
    QString text;
    if (m_layout == Layout::Failed) {
        text = QStringLiteral("Sayfalar hazırlanamadı: %1").arg(m_error);
    } else if (m_job && m_job->writing) {
        text = m_job->kind == Job::Kind::Printer ? QStringLiteral("Yazdırılıyor…")
                                                 : QStringLiteral("PDF dosyası yazılıyor…");
        m_progress->setRange(0, m_job->total->load());
        m_progress->setValue(m_job->done->load());
    } else if (m_job) {
        const bool whole = m_job->needed == kWholeDocument;
        text = whole ? QStringLiteral("Bütün sayfalar bekleniyor: %1 sayfa hazır…").arg(number(m_pageCount))
                     : QStringLiteral("Sayfalar bekleniyor: %1 / %2…").arg(number(m_pageCount), number(m_job->needed));
        m_progress->setRange(0, whole ? 0 : m_job->needed);
        m_progress->setValue(whole ? 0 : qMin(m_pageCount, m_job->needed));
    } else if (m_layout != Layout::Complete) {
        text = m_pageCount == 0 ? QStringLiteral("Sayfalar hazırlanıyor…")
                                : QStringLiteral("Sayfalar hazırlanıyor: %1 sayfa…").arg(number(m_pageCount));
    }
    m_status->setText(text);
    m_pageCountLabel->setText(
        m_pageCount == 0 ? QString() : QStringLiteral("/ %1%2").arg(number(m_pageCount), allPagesKnown() ? "" : "…"));
}

void PrintPreview::closeEvent(QCloseEvent* event)
{
    // Whatever runs stops: the job is told here, the books go with the window.
    m_closing = true;
    if (m_job) {
        *m_job->cancelled = true;
    }
    QWidget::closeEvent(event);
}

void PrintPreview::report(const QString& message)
{
    if (m_report) {
        m_report(message);
        return;
    }
    common::showMessage(this, message, QMessageBox::Warning, common::MessageWait::No);
}

} // namespace print
