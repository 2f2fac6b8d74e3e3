#include "viewer/printpreview.h"

#include "app/appinfo.h"
#include "app/ui.h"
#include "viewer/pdfprinting.h"
#include "viewer/webbrowser.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPageLayout>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <atomic>

namespace viewer {

namespace {

constexpr auto kPdfName = "belge.pdf";

// Margins come from the document's own @page rules; a document without them gets these.
QPageLayout defaultPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(12, 12, 12, 12),
                       QPageLayout::Millimeter);
}

bool chooseWithDialog(QPrinter& printer, QWidget* parent, int pageCount)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Yazdır"));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setMinMax(1, pageCount);
    return dialog.exec() == QDialog::Accepted;
}

QString chooseSaveTargetWithDialog(QWidget* parent)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("PDF olarak kaydet"), QString(),
                                        QStringLiteral("PDF belgesi (*.pdf)"));
}

struct PrintProgress
{
    std::atomic_bool cancelled = false;
    std::atomic_int done = 0;
    std::atomic_int total = 0;
};

void printOnThread(const QString& pdfPath, QPrinter& printer, PrintProgress& progress, PrintOutcome& outcome)
{
    QPdfDocument document;
    document.load(pdfPath);
    outcome = printPdf(pdfPath, document, printer, [&progress](int done, int total) {
        progress.done = done;
        progress.total = total;
        return !progress.cancelled.load();
    });
}

void showProgress(QProgressDialog& dialog, const PrintProgress& progress)
{
    if (progress.total > 0)
        dialog.setMaximum(progress.total);
    dialog.setValue(progress.done);
}

} // namespace

PrintPreview::PrintPreview(WebBrowser* browser)
    : QWidget(nullptr, Qt::Window), m_browser(browser), m_document(new QPdfDocument(this)), m_view(new QPdfView(this)),
      m_status(new QLabel(this)), m_print(new QPushButton(QStringLiteral("&Yazdır..."), this)),
      m_save(new QPushButton(QStringLiteral("&PDF olarak kaydet..."), this)), m_page(new QSpinBox(this)),
      m_pageCount(new QLabel(this))
{
    setObjectName(QStringLiteral("PrintPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setWindowIcon(app::programIcon());
    setWindowTitle(QStringLiteral("Baskı Önizleme - %1").arg(browser->LocationName()));
    m_print->setObjectName(QStringLiteral("cmdPrint"));
    m_save->setObjectName(QStringLiteral("cmdSavePdf"));
    m_page->setObjectName(QStringLiteral("spinPage"));

    auto* zoomOut = new QPushButton(QStringLiteral("−"), this);
    auto* zoomIn = new QPushButton(QStringLiteral("+"), this);
    auto* fitWidth = new QPushButton(QStringLiteral("Genişliğe sığdır"), this);
    auto* fitPage = new QPushButton(QStringLiteral("Sayfaya sığdır"), this);
    auto* close = new QPushButton(QStringLiteral("&Kapat"), this);
    zoomOut->setToolTip(QStringLiteral("Uzaklaştır (Ctrl+-)"));
    zoomIn->setToolTip(QStringLiteral("Yakınlaştır (Ctrl++)"));

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
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_view, 1);

    m_view->setDocument(m_document);
    m_view->setPageMode(QPdfView::PageMode::MultiPage);
    m_view->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    m_view->setPageSpacing(12);
    QPalette dark = m_view->palette();
    dark.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
    m_view->setPalette(dark);

    m_print->setEnabled(false);
    m_save->setEnabled(false);
    m_page->setEnabled(false);
    m_status->setText(QStringLiteral("Sayfalar hazırlanıyor..."));

    connect(m_print, &QPushButton::clicked, this, &PrintPreview::printDocument);
    connect(m_save, &QPushButton::clicked, this, &PrintPreview::savePdf);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(zoomIn, &QPushButton::clicked, this, [this] { zoomBy(1.25); });
    connect(zoomOut, &QPushButton::clicked, this, [this] { zoomBy(0.8); });
    connect(fitWidth, &QPushButton::clicked, this, [this] { m_view->setZoomMode(QPdfView::ZoomMode::FitToWidth); });
    connect(fitPage, &QPushButton::clicked, this, [this] { m_view->setZoomMode(QPdfView::ZoomMode::FitInView); });
    connect(new QShortcut(QKeySequence::ZoomIn, this), &QShortcut::activated, this, [this] { zoomBy(1.25); });
    connect(new QShortcut(QKeySequence::ZoomOut, this), &QShortcut::activated, this, [this] { zoomBy(0.8); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this, &PrintPreview::printDocument);
    connect(m_page, &QSpinBox::editingFinished, this,
            [this] { m_view->pageNavigator()->jump(m_page->value() - 1, {}, m_view->zoomFactor()); });
    connect(m_view->pageNavigator(), &QPdfPageNavigator::currentPageChanged, this, &PrintPreview::updatePageControls);
    connect(m_browser->view()->page(), &QWebEnginePage::pdfPrintingFinished, this, &PrintPreview::pdfFinished);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry().adjusted(40, 40, -40, -40));
    show();
}

PrintPreview::~PrintPreview()
{
    // The temporary PDF goes with the folder; the document must let go of it first.
    m_document->close();
}

QString PrintPreview::pdfPath() const
{
    return m_folder.filePath(QString::fromLatin1(kPdfName));
}

void PrintPreview::start()
{
    if (!m_browser->Busy()) {
        layOut();
        return;
    }
    connect(m_browser, &WebBrowser::DownloadComplete, this, &PrintPreview::layOut, Qt::SingleShotConnection);
}

void PrintPreview::layOut()
{
    if (!m_folder.isValid()) {
        pdfFinished(QString(), false);
        return;
    }
    m_browser->view()->page()->printToPdf(pdfPath(), defaultPageLayout());
}

void PrintPreview::pdfFinished(const QString& path, bool ok)
{
    if (ok && path != pdfPath())
        return; // another print of the same page
    if (!ok || m_document->load(path) != QPdfDocument::Error::None) {
        m_status->setText(QStringLiteral("Sayfalar hazırlanamadı."));
        report(QStringLiteral("Baskı önizlemesi hazırlanamadı: belge sayfalara dökülemedi."));
        emit ready(false);
        return;
    }
    m_status->setText(QString());
    m_print->setEnabled(true);
    m_save->setEnabled(true);
    m_page->setEnabled(true);
    m_page->setRange(1, qMax(1, m_document->pageCount()));
    m_pageCount->setText(QStringLiteral("/ %1").arg(m_document->pageCount()));
    updatePageControls();
    m_print->setFocus();
    emit ready(true);
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

void PrintPreview::printDocument()
{
    if (m_document->status() != QPdfDocument::Status::Ready)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_browser->LocationName());
    const bool chosen =
        m_choosePrinter ? m_choosePrinter(printer) : chooseWithDialog(printer, this, m_document->pageCount());
    if (!chosen)
        return;

    // Drawn on a thread of its own with its own copy of the document, so the window stays alive.
    QProgressDialog progress(QStringLiteral("Yazdırılıyor..."), QStringLiteral("İptal"), 0, m_document->pageCount(),
                             this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    PrintProgress shared;
    PrintOutcome outcome;
    QThread* worker = QThread::create(printOnThread, pdfPath(), std::ref(printer), std::ref(shared), std::ref(outcome));
    QEventLoop loop;
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    connect(&progress, &QProgressDialog::canceled, this, [&shared] { shared.cancelled = true; });
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { showProgress(progress, shared); });
    ticker.start(100);
    worker->start();
    loop.exec();
    delete worker;
    progress.reset();

    if (!outcome.ok && !outcome.cancelled)
        report(outcome.error);
}

void PrintPreview::savePdf()
{
    if (m_document->status() != QPdfDocument::Status::Ready)
        return;
    QString target = m_chooseSaveTarget ? m_chooseSaveTarget() : chooseSaveTargetWithDialog(this);
    if (target.isEmpty())
        return;
    if (!target.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        target += QLatin1String(".pdf");
    QPrinter file(QPrinter::HighResolution);
    file.setOutputFormat(QPrinter::PdfFormat);
    file.setOutputFileName(target);
    const PrintOutcome outcome = printPdf(pdfPath(), *m_document, file);
    if (!outcome.ok)
        report(outcome.error);
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
