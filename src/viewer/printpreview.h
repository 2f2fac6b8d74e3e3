#pragma once

#include <QTemporaryDir>
#include <QWidget>

class QLabel;
class QPdfDocument;
class QPrinter;
class QPdfView;
class QPushButton;
class QSpinBox;

namespace viewer {

class WebBrowser;

// The browser view's print preview: the document laid out on A4 pages (a vector PDF made by
// the web engine), from which the user prints to a printer of their choice or saves a PDF.
// Only the pages on screen are drawn, so long documents preview in bounded memory.
class PrintPreview : public QWidget
{
    Q_OBJECT

public:
    // Shown as soon as it is made; deletes itself when closed.
    explicit PrintPreview(WebBrowser* browser);
    ~PrintPreview() override;

    // Lays the document out once the browser view is idle.
    void start();

    [[nodiscard]] QPdfDocument* document() const { return m_document; }
    [[nodiscard]] QString pdfPath() const;

    // Tests answer the dialogs themselves.
    void setPrinterChooser(std::function<bool(QPrinter&)> chooser) { m_choosePrinter = std::move(chooser); }
    void setSaveTargetChooser(std::function<QString()> chooser) { m_chooseSaveTarget = std::move(chooser); }
    void setReporter(std::function<void(const QString&)> reporter) { m_report = std::move(reporter); }

public slots:
    void printDocument();
    void savePdf();

signals:
    // The pages are laid out and shown (or laying them out failed).
    void ready(bool ok);

private:
    void layOut();
    void pdfFinished(const QString& path, bool ok);
    void updatePageControls();
    void zoomBy(qreal factor);
    void report(const QString& message);

    WebBrowser* const m_browser;
    QTemporaryDir m_folder;
    QPdfDocument* const m_document;
    QPdfView* const m_view;
    QLabel* const m_status;
    QPushButton* const m_print;
    QPushButton* const m_save;
    QSpinBox* const m_page;
    QLabel* const m_pageCount;
    std::function<bool(QPrinter&)> m_choosePrinter;
    std::function<QString()> m_chooseSaveTarget;
    std::function<void(const QString&)> m_report;
};

} // namespace viewer
