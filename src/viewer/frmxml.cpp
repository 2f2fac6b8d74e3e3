#include "viewer/frmxml.h"

#include "common/documentkind.h"
#include "common/taskbar.h"
#include "common/ui.h"
#include "viewer/documentrunner.h"
#include "viewer/exportrunner.h"
#include "viewer/verificationdetails.h"
#include "viewer/verificationrunner.h"
#include "viewer/viewerlayout.h"
#include "viewer/webbrowser.h"

#include <QEvent>
#include <QFileInfo>
#include <QHash>
#include <QPushButton>
#include <QShowEvent>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace viewer {

using common::twips;

frmXML::frmXML(const QString& fallbackFolder, QWidget* owner)
    : QWidget(owner, Qt::Window), m_picAddress(new QWidget(this)),
      m_cmdYazdir(new QPushButton(QStringLiteral("&Yazdır"), m_picAddress)),
      m_cmdAktar(new QPushButton(QStringLiteral("&Excel'e aktar"), m_picAddress)),
      m_cmdMizan(new QPushButton(QStringLiteral("&Mizan"), m_picAddress)),
      m_cmdEkstre(new QPushButton(QStringLiteral("&Hesap ekstresi"), m_picAddress)),
      m_chkProgram(new QPushButton(QStringLiteral("&Program görünümü"), m_picAddress)),
      m_cmdImza(new QPushButton(m_picAddress)), m_brwWebBrowser(new WebBrowser(fallbackFolder, this)),
      m_timTimer(new QTimer(this)), m_exporter(new ExportRunner(this)), m_verifier(new VerificationRunner(this)),
      m_documents(new DocumentRunner([this](const QString& path) { emit documentMade(path); }, this)),
      m_totals(std::make_unique<TotalsCommand>(*m_documents, TotalsCommand::defaultFolder()))
{
    layOutControls();
    connectHandlers();
}

void frmXML::layOutControls()
{
    setObjectName(QStringLiteral("frmXML"));
    m_picAddress->setObjectName(QStringLiteral("picAddress"));
    m_cmdYazdir->setObjectName(QStringLiteral("cmdYazdir"));
    m_cmdAktar->setObjectName(QStringLiteral("cmdAktar"));
    m_cmdImza->setObjectName(QStringLiteral("cmdImza"));
    m_chkProgram->setObjectName(QStringLiteral("chkProgram"));
    m_chkProgram->setCheckable(true);
    m_chkProgram->setToolTip(
        QStringLiteral("Defteri yanındaki şablonlar yerine programın kendi şablonlarıyla gösterir"));
    m_chkProgram->resize(m_chkProgram->sizeHint().width(), m_cmdYazdir->height());
    m_brwWebBrowser->setObjectName(QStringLiteral("brwWebBrowser"));
    m_timTimer->setObjectName(QStringLiteral("timTimer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(common::programIcon());

    setGeometry(twips(ViewerDesign::left), twips(ViewerDesign::top), twips(ViewerDesign::width),
                twips(ViewerDesign::height));
    m_picAddress->setGeometry(0, 0, twips(ViewerDesign::width), twips(ViewerDesign::barHeight));
    m_cmdYazdir->setGeometry(twips(ViewerDesign::buttonLeft), twips(ViewerDesign::buttonTop),
                             twips(ViewerDesign::buttonWidth), twips(ViewerDesign::buttonHeight));
    m_cmdYazdir->setFont(common::legacyFont(13.5, true));
    m_cmdAktar->setEnabled(false);
    m_cmdAktar->resize(m_cmdAktar->sizeHint().width(), m_cmdYazdir->height());
    m_cmdMizan->setObjectName(QStringLiteral("cmdMizan"));
    m_cmdMizan->setToolTip(QStringLiteral("Bu defterin klasöründeki yevmiye defterlerinden seçilen ayların mizanı"));
    m_cmdEkstre->setObjectName(QStringLiteral("cmdEkstre"));
    m_cmdEkstre->setToolTip(QStringLiteral("Bir hesabın ekstresi; sayfada bir hesap koduna çift tıklamak kodu seçer"));
    for (QPushButton* button : {m_cmdMizan, m_cmdEkstre}) {
        button->setEnabled(false);
        button->resize(button->sizeHint().width(), m_cmdYazdir->height());
    }
    m_cmdImza->setFlat(true);
    m_cmdImza->setCursor(Qt::PointingHandCursor);
    m_cmdImza->setToolTip(QStringLiteral("Ayrıntılar için tıklayın"));
    m_cmdImza->hide();
    m_brwWebBrowser->setGeometry(twips(ViewerDesign::browserLeft), twips(ViewerDesign::browserTop),
                                 twips(ViewerDesign::browserWidth), twips(ViewerDesign::browserHeight));
    setTabOrder(m_brwWebBrowser, m_cmdYazdir);
    m_brwWebBrowser->setFocus();
    m_timTimer->setInterval(5);
}

void frmXML::connectHandlers()
{
    connect(m_brwWebBrowser, &WebBrowser::BeforeNavigate2, this, &frmXML::brwWebBrowser_BeforeNavigate2);
    connect(m_brwWebBrowser, &WebBrowser::DownloadComplete, this, &frmXML::brwWebBrowser_DownloadComplete);
    connect(m_brwWebBrowser, &WebBrowser::PrintTemplateInstantiation, this,
            &frmXML::brwWebBrowser_PrintTemplateInstantiation);
    connect(m_brwWebBrowser, &WebBrowser::PrintTemplateTeardown, this, &frmXML::brwWebBrowser_PrintTemplateTeardown);
    connect(m_timTimer, &QTimer::timeout, this, &frmXML::timTimer_Timer);
    connect(m_cmdYazdir, &QPushButton::clicked, this, &frmXML::cmdYazdir_Click);
    connect(m_cmdAktar, &QPushButton::clicked, this, &frmXML::cmdAktar_Click);
    connect(m_chkProgram, &QPushButton::toggled, this, &frmXML::chkProgram_Toggled);
    connect(m_exporter, &ExportRunner::finished, this, &frmXML::updateCommands);
    connect(m_verifier, &VerificationRunner::verified, this, &frmXML::verificationDone);
    connect(m_cmdImza, &QPushButton::clicked, this, &frmXML::cmdImza_Click);
    connect(m_cmdMizan, &QPushButton::clicked, this, &frmXML::cmdMizan_Click);
    connect(m_cmdEkstre, &QPushButton::clicked, this, &frmXML::cmdEkstre_Click);
    connect(m_documents, &DocumentRunner::finished, this, &frmXML::updateTotalsCommands);
}

void frmXML::Form_Load()
{
    setWindowState(windowState() | Qt::WindowMaximized);
    show();
    Form_Resize();
}

void frmXML::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmXML::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Minimizing or restoring changes the state without always changing the size.
    if (event->type() == QEvent::WindowStateChange) {
        Form_Resize();
    }
}

// Every show, the one after print preview too; a show the window system reports (restoring) comes
// after the window is mapped, when the hint can no longer be written.
void frmXML::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        common::keepOffTaskbar(windowHandle());
    }
    QWidget::showEvent(event);
}

void frmXML::Form_Resize()
{
    if (!(windowState() & Qt::WindowMaximized) || (windowState() & Qt::WindowMinimized)) {
        // Queued: the window system is still finishing the state change that brought us here.
        QTimer::singleShot(0, this, [this] { setWindowState(Qt::WindowMaximized); });
    }
    const ViewerLayout layout = computeViewerLayout(width(), height());
    m_picAddress->setGeometry(0, 0, width(), twips(ViewerDesign::barHeight));
    m_brwWebBrowser->resize(layout.browserWidth, layout.browserHeight);
    m_cmdYazdir->move(layout.buttonLeft, m_cmdYazdir->y());
    m_cmdAktar->move(m_cmdYazdir->geometry().right() + 1 + twips(ViewerDesign::buttonGap), m_cmdYazdir->y());
    m_cmdMizan->move(m_cmdAktar->geometry().right() + 1 + twips(ViewerDesign::buttonGap), m_cmdYazdir->y());
    m_cmdEkstre->move(m_cmdMizan->geometry().right() + 1 + twips(ViewerDesign::buttonGap), m_cmdYazdir->y());
    m_chkProgram->move(m_cmdEkstre->geometry().right() + 1 + twips(ViewerDesign::buttonGap), m_cmdYazdir->y());
    const int lineLeft = m_chkProgram->geometry().right() + 1 + twips(ViewerDesign::buttonGap);
    m_cmdImza->setGeometry(lineLeft, m_cmdYazdir->y(), std::max(0, width() - lineLeft - twips(ViewerDesign::buttonGap)),
                           m_cmdYazdir->height());
    showVerificationLine();
}

void frmXML::brwWebBrowser_BeforeNavigate2()
{
    m_timTimer->start();
    // The check of the ledger shown before must never appear under this one.
    m_verifier->cancel();
    m_verification.reset();
    m_cmdImza->hide();
    m_verificationLine.clear();
    updateCommands();
    updateTotalsCommands();
}

void frmXML::brwWebBrowser_DownloadComplete()
{
    setWindowTitle(m_brwWebBrowser->LocationName());
    updateCommands();
    updateTotalsCommands();
    // Once the whole ledger is on screen: the check never delays it, nor competes with its render.
    const QString path = m_brwWebBrowser->documentPath();
    if (!m_brwWebBrowser->Busy() && !path.isEmpty() && !m_verification && !m_verifier->isRunning() &&
        !isProgramReport()) {
        m_verificationLine = QStringLiteral("İmza denetleniyor…");
        m_cmdImza->setStyleSheet(QString());
        showVerificationLine();
        m_cmdImza->show();
        m_verifier->start(path);
    }
}

void frmXML::verificationDone(const verify::VerificationResult& result)
{
    m_verification = result;
    // The colour follows the line's mark: a signature we cannot check proves nothing, grey like a draft.
    static const QHash<QString, QString> colours = {{verify::markOf(verify::Status::Verified), "#1b6e20"},
                                                    {verify::markOf(verify::Status::Failed), "#b3261e"},
                                                    {verify::markOf(verify::Status::Unsigned), "#555555"},
                                                    {verify::markOf(verify::Status::CouldNotCheck), "#8a5a00"}};
    m_cmdImza->setStyleSheet(QStringLiteral("QPushButton { color: %1; text-align: left; }")
                                 .arg(colours.value(result.summary.section(QLatin1Char(' '), 0, 0))));
    m_verificationLine = result.summary;
    showVerificationLine();
    m_cmdImza->show();
}

// Shortened to the room beside the buttons; the whole line is the tooltip, the details a click away.
void frmXML::showVerificationLine()
{
    const int room = m_cmdImza->width() - 2 * m_cmdImza->style()->pixelMetric(QStyle::PM_ButtonMargin);
    const QString shown = m_cmdImza->fontMetrics().elidedText(m_verificationLine, Qt::ElideRight, std::max(0, room));
    m_cmdImza->setText(shown);
    m_cmdImza->setToolTip(shown == m_verificationLine
                              ? QStringLiteral("Ayrıntılar için tıklayın")
                              : m_verificationLine + QStringLiteral("\nAyrıntılar için tıklayın"));
}

void frmXML::cmdImza_Click()
{
    if (!m_verification) {
        return;
    }
    auto* details = new VerificationDetails(*m_verification, this);
    details->setAttribute(Qt::WA_DeleteOnClose);
    details->open();
}

// The export reads the ledger file itself: there must be one, and only one export at a time. The
// folder report has no lines to export; a mizan or ekstre has its rows.
void frmXML::updateCommands()
{
    const common::DocumentKind kind = m_brwWebBrowser->documentKind();
    m_cmdAktar->setEnabled(!m_brwWebBrowser->documentPath().isEmpty() && kind != common::DocumentKind::FolderReport &&
                           !m_exporter->isRunning());
    m_cmdAktar->setToolTip(kind == common::DocumentKind::Mizan
                               ? QStringLiteral("Mizanı Excel (XLSX) ya da CSV dosyasına yazar")
                           : kind == common::DocumentKind::Ekstre
                               ? QStringLiteral("Ekstreyi Excel (XLSX) ya da CSV dosyasına yazar")
                               : QStringLiteral("Defterin satırlarını Excel (XLSX) ya da CSV dosyasına yazar"));
}

// The program's own documents (folder report, mizan, ekstre) have no signature to check.
bool frmXML::isProgramReport() const
{
    return common::isProgramDocument(m_brwWebBrowser->documentKind());
}

void frmXML::timTimer_Timer()
{
    if (m_brwWebBrowser->Busy()) {
        setWindowTitle(QString::fromUtf8(kBusyCaption));
        return;
    }
    m_timTimer->stop();
    setWindowTitle(m_brwWebBrowser->LocationName());
}

// The window hides once the preview is made (PrintTemplateInstantiation).
void frmXML::cmdYazdir_Click()
{
    m_brwWebBrowser->ExecWB(WebBrowser::OLECMDID_PRINTPREVIEW, WebBrowser::OLECMDEXECOPT_PROMPTUSER);
}

void frmXML::cmdAktar_Click()
{
    // A mizan or ekstre lives in the program's cache folder, where nobody would look for a spreadsheet.
    m_exporter->start(m_brwWebBrowser->documentPath(),
                      isProgramReport() ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                        : QString());
    updateCommands();
}

// Renders the ledger again in place; the caption, the search and the print follow what is shown.
void frmXML::chkProgram_Toggled(bool on)
{
    m_brwWebBrowser->setProgramStylesheets(on);
    m_brwWebBrowser->renderAgain();
}

void frmXML::cmdMizan_Click()
{
    runTotals(TotalsKind::Mizan);
}

void frmXML::cmdEkstre_Click()
{
    runTotals(TotalsKind::Ekstre);
}

// A double-click on an account code in the page selects it; the ekstre takes it from there.
void frmXML::runTotals(TotalsKind kind)
{
    const std::optional<TotalsRequest> request =
        requestForDocument(kind, m_brwWebBrowser->documentPath(), m_brwWebBrowser->view()->page()->selectedText());
    if (request) {
        m_totals->run(*request, this);
    }
    updateTotalsCommands(); // the progress dialog leaves the window usable: one mizan at a time
}

// Over the journals beside a ledger, a kebir or a defter raporu named as e-Defter names them; one at a time.
void frmXML::updateTotalsCommands()
{
    const common::DocumentKind kind = m_brwWebBrowser->documentKind();
    const bool shown = (common::isLedger(kind) || kind == common::DocumentKind::Report) &&
                       common::DocumentName::parse(QFileInfo(m_brwWebBrowser->documentPath()).fileName()) &&
                       !m_documents->isRunning();
    m_cmdMizan->setEnabled(shown);
    m_cmdEkstre->setEnabled(shown);
}

void frmXML::brwWebBrowser_PrintTemplateInstantiation()
{
    hide();
}

void frmXML::brwWebBrowser_PrintTemplateTeardown()
{
    show();
}

} // namespace viewer
