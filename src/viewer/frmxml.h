#pragma once

#include "verify/verification.h"
#include "viewer/ledgertotals.h"

#include <QWidget>

#include <memory>
#include <optional>

class QPushButton;
class QTimer;

namespace viewer {

class DocumentRunner;
class ExportRunner;
class VerificationRunner;
class WebBrowser;

// The viewer window: one ledger in the browser view under a bar with the Print button (and,
// beside it, the export of the ledger's lines to a spreadsheet, the mizan and the ekstre of its folder's
// journals, and what the check of its signature found); always maximized; its caption says "Bekleyiniz..."
// while the document loads, then names it.
class frmXML : public QWidget
{
    Q_OBJECT

public:
    static constexpr char kBusyCaption[] = "Bekleyiniz...";

    // `owner` is a window that is never shown: on Windows owned windows get no taskbar button,
    // which keeps the program to one button, the selection window's; elsewhere the window tells
    // the window manager so itself. `fallbackFolder` holds the program's stylesheets.
    frmXML(const QString& fallbackFolder, QWidget* owner);

    [[nodiscard]] WebBrowser* browser() const { return m_brwWebBrowser; }
    [[nodiscard]] ExportRunner* exporter() const { return m_exporter; }
    [[nodiscard]] VerificationRunner* verifier() const { return m_verifier; }
    [[nodiscard]] DocumentRunner* documents() const { return m_documents; }
    [[nodiscard]] TotalsCommand& totals() const { return *m_totals; }
    // What the signature check says of the ledger on screen (the bar may show it shortened).
    [[nodiscard]] QString verificationLine() const { return m_verificationLine; }

    // Shows the window maximized and lays it out; run once, by whoever loads it.
    void Form_Load();

signals:
    // A mizan or an ekstre was made: its window opens it in a window of its own, the ledger stays.
    void documentMade(const QString& path);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void layOutControls();
    void connectHandlers();
    void Form_Resize();
    void brwWebBrowser_BeforeNavigate2();
    void brwWebBrowser_DownloadComplete();
    void timTimer_Timer();
    void cmdYazdir_Click();
    void cmdAktar_Click();
    void chkProgram_Toggled(bool on);
    void cmdMizan_Click();
    void cmdEkstre_Click();
    void runTotals(TotalsKind kind);
    void updateTotalsCommands();
    void updateCommands();
    [[nodiscard]] bool isProgramReport() const;
    void verificationDone(const verify::VerificationResult& result);
    void cmdImza_Click();
    void showVerificationLine();
    void brwWebBrowser_PrintTemplateInstantiation();
    void brwWebBrowser_PrintTemplateTeardown();

    QWidget* const m_picAddress;
    QPushButton* const m_cmdYazdir;
    QPushButton* const m_cmdAktar;
    QPushButton* const m_cmdMizan;
    QPushButton* const m_cmdEkstre;
    QPushButton* const m_chkProgram;
    QPushButton* const m_cmdImza;
    WebBrowser* const m_brwWebBrowser;
    QTimer* const m_timTimer;
    ExportRunner* const m_exporter;
    VerificationRunner* const m_verifier;
    DocumentRunner* const m_documents;
    const std::unique_ptr<TotalsCommand> m_totals;
    std::optional<verify::VerificationResult> m_verification; // of the ledger on screen
    QString m_verificationLine;
};

} // namespace viewer
