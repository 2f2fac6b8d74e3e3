#pragma once

#include <QWidget>

class QPushButton;
class QTimer;

namespace viewer {

class ExportRunner;
class WebBrowser;

// The viewer window: one ledger in the browser view under a bar with the Print button (and,
// beside it, the export of the ledger's lines to a spreadsheet); always maximized; its caption says "Bekleyiniz..."
// while the document loads, then names it.
class frmXML : public QWidget
{
    Q_OBJECT

public:
    static constexpr char kBusyCaption[] = "Bekleyiniz...";

    // `owner` is a window that is never shown: owned windows get no taskbar button, which keeps
    // the program to one button, the selection window's. `fallbackFolder` holds the program's
    // stylesheets.
    frmXML(const QString& fallbackFolder, QWidget* owner);

    [[nodiscard]] WebBrowser* browser() const { return m_brwWebBrowser; }
    [[nodiscard]] ExportRunner* exporter() const { return m_exporter; }

    // Shows the window maximized and lays it out; run once, by whoever loads it.
    void Form_Load();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Form_Resize();
    void brwWebBrowser_BeforeNavigate2();
    void brwWebBrowser_DownloadComplete();
    void timTimer_Timer();
    void cmdYazdir_Click();
    void cmdAktar_Click();
    void updateCommands();
    void brwWebBrowser_PrintTemplateInstantiation();
    void brwWebBrowser_PrintTemplateTeardown();

    QWidget* const m_picAddress;
    QPushButton* const m_cmdYazdir;
    QPushButton* const m_cmdAktar;
    WebBrowser* const m_brwWebBrowser;
    QTimer* const m_timTimer;
    ExportRunner* const m_exporter;
};

} // namespace viewer
