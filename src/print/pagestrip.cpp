#include "print/pagestrip.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPdfDocument>
#include <QScrollBar>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <deque>
#include <memory>

namespace print {

namespace {

// A4 in points, as the print pages are laid out.
constexpr qreal kPageWidth = 595.3;
constexpr qreal kPageHeight = 841.9;
constexpr int kSpacing = 12;
// The number's place and size at the foot of a page, in points, as the printed stamp has them.
constexpr qreal kNumberBaseline = 12;
constexpr qreal kNumberFontSize = 8;
// Pages drawn ahead of the reader, above and below those on screen.
constexpr int kAhead = 2;
// Opened files kept by the renderer: the pages on screen come from one or two.
constexpr size_t kOpenFiles = 4;

} // namespace

// Draws pages on its own thread; files are opened there and kept for the next pages.
class PageRenderer : public QObject
{
public:
    PageRenderer(std::shared_ptr<std::atomic_int> first, std::shared_ptr<std::atomic_int> last)
        : m_first(std::move(first)), m_last(std::move(last))
    {}

    // Answered through `done`, on the asker's thread; a null image when the page was scrolled
    // away from meanwhile or could not be drawn.
    void render(QObject* asker, const std::function<void(const QImage&)>& done, int page, const QString& path,
                int index, QSize size, qreal ratio)
    {
        QImage image;
        if (page >= *m_first - kAhead && page <= *m_last + kAhead) {
            if (QPdfDocument* document = open(path)) {
                image = document->render(index, size);
                image.setDevicePixelRatio(ratio);
            }
        }
        QMetaObject::invokeMethod(
            asker, [done, image] { done(image); }, Qt::QueuedConnection);
    }

private:
    QPdfDocument* open(const QString& path)
    {
        const auto found =
            std::find_if(m_open.begin(), m_open.end(), [&](const auto& each) { return each.first == path; });
        if (found != m_open.end()) {
            return found->second.get();
        }
        auto document = std::make_unique<QPdfDocument>();
        if (document->load(path) != QPdfDocument::Error::None) {
            return nullptr;
        }
        if (m_open.size() >= kOpenFiles) {
            m_open.pop_front();
        }
        m_open.emplace_back(path, std::move(document));
        return m_open.back().second.get();
    }

    std::shared_ptr<std::atomic_int> m_first;
    std::shared_ptr<std::atomic_int> m_last;
    std::deque<std::pair<QString, std::unique_ptr<QPdfDocument>>> m_open;
};

PageStrip::PageStrip(QWidget* parent)
    : QAbstractScrollArea(parent), m_thread(new QThread(this)),
      m_renderer(new PageRenderer(m_firstWanted, m_lastWanted))
{
    setObjectName(QStringLiteral("pageStrip"));
    m_renderer->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_renderer, &QObject::deleteLater);
    m_thread->start();
    QPalette dark = viewport()->palette();
    dark.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
    viewport()->setPalette(dark);
    viewport()->setBackgroundRole(QPalette::Dark);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
}

PageStrip::~PageStrip()
{
    // At most one page is being drawn: a few tens of milliseconds.
    m_thread->quit();
    m_thread->wait();
}

void PageStrip::append(const PdfPart& part)
{
    const int file = int(m_files.size());
    m_files.append(part.path);
    for (int i = 0; i < part.pageCount; ++i) {
        m_pages.append({file, part.firstPage + i});
    }
    updateScrollBars();
    viewport()->update();
    noteCurrentPage();
}

void PageStrip::setTotal(int total)
{
    m_total = total;
    viewport()->update();
}

QSize PageStrip::pageSize() const
{
    return {qRound(kPageWidth * m_scale), qRound(kPageHeight * m_scale)};
}

int PageStrip::pageStride() const
{
    return pageSize().height() + kSpacing;
}

QRect PageStrip::pageRect(int page) const
{
    const QSize size = pageSize();
    const int contentWidth = size.width() + 2 * kSpacing;
    const int left = contentWidth < viewport()->width() ? (viewport()->width() - size.width()) / 2
                                                        : kSpacing - horizontalScrollBar()->value();
    const int top = kSpacing + page * pageStride() - verticalScrollBar()->value();
    return {QPoint(left, top), size};
}

void PageStrip::updateScrollBars()
{
    const QSize size = pageSize();
    const int height = kSpacing + int(m_pages.size()) * pageStride();
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, qMax(0, height - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, qMax(0, size.width() + 2 * kSpacing - viewport()->width()));
}

void PageStrip::fitScale()
{
    const qreal width = qMax(50, viewport()->width() - 2 * kSpacing - 1);
    const qreal height = qMax(50, viewport()->height() - 2 * kSpacing);
    if (m_fit == Fit::Width) {
        setScale(width / kPageWidth);
    } else if (m_fit == Fit::Page) {
        setScale(qMin(width / kPageWidth, height / kPageHeight));
    }
}

// Changes the scale, keeping the page at the top where it was.
void PageStrip::setScale(qreal pixelsPerPoint)
{
    if (qFuzzyCompare(pixelsPerPoint, m_scale)) {
        return;
    }
    const qreal place = qreal(verticalScrollBar()->value()) / pageStride();
    m_scale = pixelsPerPoint;
    updateScrollBars();
    verticalScrollBar()->setValue(qRound(place * pageStride()));
    viewport()->update();
}

void PageStrip::fitWidth()
{
    m_fit = Fit::Width;
    fitScale();
}

void PageStrip::fitPage()
{
    m_fit = Fit::Page;
    fitScale();
}

void PageStrip::zoomBy(qreal factor)
{
    m_fit = Fit::None;
    setScale(qBound(0.1, m_scale * factor, 8.0));
}

int PageStrip::currentPage() const
{
    if (m_pages.isEmpty()) {
        return 0;
    }
    const int middle = verticalScrollBar()->value() + viewport()->height() / 3;
    return std::clamp((middle - kSpacing / 2) / pageStride(), 0, int(m_pages.size()) - 1);
}

void PageStrip::jumpTo(int page)
{
    verticalScrollBar()->setValue(std::clamp(page, 0, qMax(0, int(m_pages.size()) - 1)) * pageStride());
}

void PageStrip::noteCurrentPage()
{
    const int page = currentPage();
    if (page != m_current) {
        m_current = page;
        emit currentPageChanged(page);
    }
}

void PageStrip::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    fitScale();
}

void PageStrip::scrollContentsBy(int, int)
{
    viewport()->update();
    noteCurrentPage();
}

void PageStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    if (m_pages.isEmpty()) {
        return;
    }
    const int top = verticalScrollBar()->value();
    const int first = std::clamp((top - kSpacing) / pageStride(), 0, int(m_pages.size()) - 1);
    const int last = std::clamp((top + viewport()->height()) / pageStride(), 0, int(m_pages.size()) - 1);
    *m_firstWanted = first;
    *m_lastWanted = last;
    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(qMax(1, qRound(kNumberFontSize * m_scale)));
    painter.setFont(font);
    for (int page = first; page <= last; ++page) {
        const QRect rect = pageRect(page);
        const QImage image = m_images.value(page);
        if (image.isNull()) {
            painter.fillRect(rect, Qt::white);
        } else {
            painter.drawImage(rect, image);
        }
        if (m_total > 0) {
            painter.setPen(QColor(0x59, 0x59, 0x59));
            const int baseline = rect.bottom() - qRound(kNumberBaseline * m_scale);
            painter.drawText(QRect(rect.left(), baseline - font.pixelSize() * 2, rect.width(), font.pixelSize() * 2),
                             Qt::AlignHCenter | Qt::AlignBottom, pageNumberText(page + 1, m_total));
        }
    }
    requestVisible(first, last);
}

// Asks for the pages on screen and those just past them at the present size; others' images go.
void PageStrip::requestVisible(int first, int last)
{
    const qreal ratio = devicePixelRatioF();
    const QSize size = pageSize() * ratio;
    const int from = qMax(0, first - kAhead);
    const int to = qMin(int(m_pages.size()) - 1, last + kAhead);
    for (auto it = m_images.begin(); it != m_images.end();) {
        if (it.key() < from || it.key() > to) {
            it = m_images.erase(it);
        } else {
            ++it;
        }
    }
    for (int page = from; page <= to; ++page) {
        const QImage& image = m_images.value(page);
        if (m_asked.contains(page) || (!image.isNull() && image.size() == size)) {
            continue;
        }
        m_asked.insert(page);
        const Page where = m_pages.at(page);
        const QString path = m_files.at(where.file);
        const auto done = [this, page](const QImage& image) {
            rendered(page, image);
        };
        QMetaObject::invokeMethod(m_renderer,
                                  [renderer = m_renderer, strip = this, done, page, path, index = where.index, size,
                                   ratio] { renderer->render(strip, done, page, path, index, size, ratio); });
    }
}

void PageStrip::rendered(int page, const QImage& image)
{
    m_asked.remove(page);
    if (image.isNull()) {
        return;
    }
    const QSize wanted = pageSize() * devicePixelRatioF();
    if (image.size() != wanted) {
        // Drawn at a scale since left: shown stretched meanwhile, drawn again if still on screen.
        if (!m_images.contains(page)) {
            m_images.insert(page, image);
        }
        viewport()->update();
        return;
    }
    m_images.insert(page, image);
    viewport()->update(pageRect(page));
}

} // namespace print
