#pragma once

#include "print/pdfassembly.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QImage>
#include <QList>
#include <QSet>
#include <QStringList>

#include <atomic>
#include <memory>

class QThread;

namespace print {

class PageRenderer;

// Printed pages one under another, taken straight from the PDF files they were laid out in:
// pages are added as they come, each costing the same however many are there, and nothing is
// merged or reopened. Only the pages on screen are drawn, off the GUI thread, so scrolling a
// long document answers at once and memory stays bounded. Every page is A4 upright, as the
// print pages are laid out.
class PageStrip : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit PageStrip(QWidget* parent = nullptr);
    ~PageStrip() override;

    // The pages `part` names go after those already there.
    void append(const PdfPart& part);
    [[nodiscard]] int pageCount() const { return int(m_pages.size()); }
    // Once the whole document's length is known, each page shows its number in it, as printed.
    void setTotal(int total);
    [[nodiscard]] int total() const { return m_total; }

    void fitWidth();
    void fitPage();
    void zoomBy(qreal factor);
    // The page most of the window shows (0-based).
    [[nodiscard]] int currentPage() const;
    void jumpTo(int page);

signals:
    void currentPageChanged(int page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    enum class Fit
    {
        Width,
        Page,
        None,
    };
    struct Page
    {
        int file = 0;  // in m_files
        int index = 0; // in that file
    };

    void setScale(qreal pixelsPerPoint);
    void fitScale();
    void updateScrollBars();
    [[nodiscard]] QSize pageSize() const;
    [[nodiscard]] int pageStride() const;
    [[nodiscard]] QRect pageRect(int page) const;
    void requestVisible(int first, int last);
    void rendered(int page, const QImage& image);
    void noteCurrentPage();

    QStringList m_files;
    QList<Page> m_pages;
    int m_total = 0;
    Fit m_fit = Fit::Width;
    qreal m_scale = 1.0; // pixels per point
    QHash<int, QImage> m_images;
    QSet<int> m_asked;
    int m_current = -1;
    // The pages on screen, read by the renderer to pass over pages scrolled away from.
    std::shared_ptr<std::atomic_int> m_firstWanted = std::make_shared<std::atomic_int>(0);
    std::shared_ptr<std::atomic_int> m_lastWanted = std::make_shared<std::atomic_int>(-1);
    QThread* const m_thread;
    PageRenderer* const m_renderer;
};

} // namespace print
