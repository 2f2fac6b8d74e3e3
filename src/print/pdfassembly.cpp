#include "print/pdfassembly.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <qpdf/ClosedFileInputSource.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

namespace print {

namespace {

// Above this many source files they are opened only while read: a long document's pieces would
// otherwise hold a file handle each until the output is written.
constexpr int kMaxOpenSources = 64;

struct Cancelled
{};

// qpdf takes file names as bytes: UTF-8 on Windows, the file system's own (UTF-8 here) elsewhere.
std::string nativeName(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdString();
}

QString why(const std::exception& error)
{
    return QString::fromLocal8Bit(error.what());
}

QString failedToRead(const QString& path, const std::exception& error)
{
    return QStringLiteral("PDF dosyası “%1” okunamadı: %2").arg(QDir::toNativeSeparators(path), why(error));
}

QString failedToWrite(const QString& path, const std::exception& error)
{
    return QStringLiteral("PDF dosyası “%1” yazılamadı: %2").arg(QDir::toNativeSeparators(path), why(error));
}

class Source
{
public:
    Source(const QString& path, bool keepOpen)
    {
        m_pdf.setSuppressWarnings(true);
        if (keepOpen) {
            m_pdf.processFile(nativeName(path).c_str());
        } else {
            m_input = std::make_shared<ClosedFileInputSource>(nativeName(path).c_str());
            m_input->stayOpen(true);
            m_pdf.processInputSource(m_input);
        }
        m_pages = QPDFPageDocumentHelper(m_pdf).getAllPages();
    }
    // Once its pages are copied, a closable source reopens its file only when the writer reads it.
    void release()
    {
        if (m_input) {
            m_input->stayOpen(false);
        }
    }
    [[nodiscard]] const std::vector<QPDFPageObjectHelper>& pages() const { return m_pages; }

private:
    QPDF m_pdf;
    std::shared_ptr<ClosedFileInputSource> m_input;
    std::vector<QPDFPageObjectHelper> m_pages;
};

class CancelOnProgress final : public QPDFWriter::ProgressReporter
{
public:
    explicit CancelOnProgress(const KeepGoing& keepGoing) : m_keepGoing(keepGoing) {}
    void reportProgress(int) override
    {
        if (m_keepGoing && !m_keepGoing()) {
            throw Cancelled{};
        }
    }

private:
    const KeepGoing& m_keepGoing;
};

// The catalog's named destinations that point at one of `pages`, by name.
QHash<QString, PdfAnchor> namedDestinations(QPDF& pdf, const std::vector<QPDFPageObjectHelper>& pages)
{
    QHash<QString, PdfAnchor> anchors;
    std::map<QPDFObjGen, int> pageIndex;
    for (size_t i = 0; i < pages.size(); ++i) {
        pageIndex[pages[i].getObjectHandle().getObjGen()] = int(i);
    }
    QPDFObjectHandle dests = pdf.getRoot().getKey("/Dests");
    if (!dests.isDictionary()) {
        return anchors;
    }
    for (const std::string& key : dests.getKeys()) {
        QPDFObjectHandle target = dests.getKey(key);
        if (target.isDictionary()) {
            target = target.getKey("/D");
        }
        // [page /XYZ left top zoom]
        if (!target.isArray() || target.getArrayNItems() < 4 || !target.getArrayItem(3).isNumber()) {
            continue;
        }
        const auto page = pageIndex.find(target.getArrayItem(0).getObjGen());
        if (page != pageIndex.end()) {
            anchors.insert(QString::fromStdString(key.substr(1)),
                           {page->second, target.getArrayItem(3).getNumericValue()});
        }
    }
    return anchors;
}

// Where each part's pages begin in the whole document, and after them the whole's page count.
std::vector<int> partStarts(const QList<PdfPart>& parts)
{
    std::vector<int> starts;
    int total = 0;
    for (const PdfPart& part : parts) {
        starts.push_back(total);
        total += part.pageCount;
    }
    starts.push_back(total);
    return starts;
}

// Why `pages` cannot be taken from a document of `total` pages; empty when they can.
QString missingPage(const QList<int>& pages, int total)
{
    if (pages.isEmpty()) {
        return QStringLiteral("Yazılacak sayfa yok.");
    }
    for (int page : pages) {
        if (page < 0 || page >= total) {
            return QStringLiteral("Belgede %1. sayfa yok (%2 sayfa var).").arg(page + 1).arg(total);
        }
    }
    return {};
}

// The stamp's type: a standard font every reader has, so nothing is embedded.
constexpr double kStampFontSize = 8;
// The baseline's height above the page's lower edge: inside the smallest bottom margin in use
// (our stylesheets keep 11 mm free, the default is 12 mm).
constexpr double kStampBaseline = 12;
constexpr char kStampFont[] = "/VzSayfaNo";

// Helvetica's advance widths (per 1000) for the characters the stamp uses, to centre it.
double helveticaWidth(const std::string& text)
{
    double width = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            width += 556;
        } else if (c == 'S') {
            width += 667;
        } else if (c == 'a') {
            width += 556;
        } else if (c == 'y') {
            width += 500;
        } else { // ' ', '/', 'f'
            width += 278;
        }
    }
    return width * kStampFontSize / 1000;
}

// Every page of `pdf` (in order: the pages `pages` of a whole of `total`) gets its number at the
// foot, centred in its visible box. The page's own drawing is wrapped in q/Q so whatever state
// it leaves cannot move or recolour the number.
void stampPageNumbers(QPDF& pdf, const QList<int>& pages, int total)
{
    QPDFObjectHandle font = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
    QPDFObjectHandle save = QPDFObjectHandle::newStream(&pdf, "q\n");
    std::vector<QPDFPageObjectHelper> written = QPDFPageDocumentHelper(pdf).getAllPages();
    for (size_t i = 0; i < written.size(); ++i) {
        QPDFPageObjectHelper& page = written[i];
        const QPDFObjectHandle::Rectangle box = page.getCropBox().getArrayAsRectangle();
        const std::string text = pageNumberText(pages.at(qsizetype(i)) + 1, total).toStdString();
        const double x = (box.llx + box.urx - helveticaWidth(text)) / 2;
        const double y = qMin(box.lly, box.ury) + kStampBaseline;
        QPDFObjectHandle resources = page.getAttribute("/Resources", true);
        if (!resources.isDictionary()) {
            resources = QPDFObjectHandle::newDictionary();
            page.getObjectHandle().replaceKey("/Resources", resources);
        }
        QPDFObjectHandle fonts = resources.getKey("/Font");
        fonts = fonts.isDictionary() ? fonts.shallowCopy() : QPDFObjectHandle::newDictionary();
        fonts.replaceKey(kStampFont, font);
        resources.replaceKey("/Font", fonts);
        page.addPageContents(save, true);
        const std::string stamp = "Q q 0.35 g BT " + std::string(kStampFont) + " " +
                                  std::to_string(int(kStampFontSize)) + " Tf " + std::to_string(x) + " " +
                                  std::to_string(y) + " Td (" + text + ") Tj ET Q\n";
        page.addPageContents(QPDFObjectHandle::newStream(&pdf, stamp), false);
    }
}

} // namespace

QString pageNumberText(int page, int total)
{
    return QStringLiteral("Sayfa %1 / %2").arg(page).arg(total);
}

PdfOutcome countPdfPages(const QString& path, QHash<QString, PdfAnchor>* destinations)
{
    PdfOutcome outcome;
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(nativeName(path).c_str());
        const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        outcome = {common::Outcome::done(), int(pages.size())};
        if (destinations) {
            try {
                *destinations = namedDestinations(pdf, pages);
            } catch (const std::exception&) {
                destinations->clear(); // the pages are still good
            }
        }
    } catch (const std::exception& error) {
        outcome = common::Outcome::failure(failedToRead(path, error));
    }
    return outcome;
}

QList<int> allPages(const QList<PdfPart>& parts)
{
    QList<int> pages;
    int total = 0;
    for (const PdfPart& part : parts) {
        total += part.pageCount;
    }
    pages.reserve(total);
    for (int page = 0; page < total; ++page) {
        pages.append(page);
    }
    return pages;
}

namespace {

// The sources stay alive until written: the writer reads their page content from them.
using Sources = std::map<qsizetype, std::unique_ptr<Source>>;

// Adds `pages` to `merged`, opening each part's file when the first of its pages is wanted; `reading`
// names the file being read. An error when a part's file holds fewer pages than it should.
QString addPages(QPDF& merged, Sources& sources, const QList<PdfPart>& parts, const QList<int>& pages,
                 const KeepGoing& keepGoing, QString& reading)
{
    QPDFPageDocumentHelper mergedPages(merged);
    const std::vector<int> starts = partStarts(parts);
    const bool keepOpen = parts.size() <= kMaxOpenSources;
    for (int page : pages) {
        if (keepGoing && !keepGoing()) {
            throw Cancelled{};
        }
        const auto at = std::upper_bound(starts.begin(), starts.end(), page) - 1;
        const qsizetype index = at - starts.begin();
        const PdfPart& part = parts.at(index);
        std::unique_ptr<Source>& source = sources[index];
        if (!source) {
            reading = part.path;
            source = std::make_unique<Source>(reading, keepOpen);
            if (part.firstPage < 0 || int(source->pages().size()) < part.firstPage + part.pageCount) {
                return QStringLiteral("PDF dosyası “%1” beklenen %2 sayfa yerine %3 sayfa içeriyor.")
                    .arg(QDir::toNativeSeparators(reading))
                    .arg(part.firstPage + part.pageCount)
                    .arg(source->pages().size());
            }
        }
        mergedPages.addPage(source->pages().at(size_t(part.firstPage + page - *at)), false);
    }
    return {};
}

} // namespace

PdfOutcome writePdfPages(const QList<PdfPart>& parts, const QList<int>& pages, const QString& output,
                         PageNumbers numbers, const KeepGoing& keepGoing)
{
    const int total = partStarts(parts).back();
    if (const QString missing = missingPage(pages, total); !missing.isEmpty()) {
        return common::Outcome::failure(missing);
    }
    PdfOutcome outcome;
    QString reading;
    try {
        QPDF merged;
        merged.emptyPDF();
        Sources sources;
        if (const QString shortPart = addPages(merged, sources, parts, pages, keepGoing, reading);
            !shortPart.isEmpty()) {
            return common::Outcome::failure(shortPart);
        }
        for (auto& [index, source] : sources) {
            source->release();
        }
        if (numbers == PageNumbers::Stamped) {
            stampPageNumbers(merged, pages, total);
        }
        reading.clear();
        QPDFWriter writer(merged, nativeName(output).c_str());
        writer.setStreamDataMode(qpdf_s_preserve);
        writer.registerProgressReporter(std::make_shared<CancelOnProgress>(keepGoing));
        writer.write();
        outcome = {common::Outcome::done(), int(pages.size())};
    } catch (const Cancelled&) {
        outcome = common::Outcome::stopped();
    } catch (const std::exception& error) {
        outcome =
            common::Outcome::failure(reading.isEmpty() ? failedToWrite(output, error) : failedToRead(reading, error));
    }
    if (!outcome.ok) {
        QFile::remove(output);
    }
    return outcome;
}

namespace {

// Writes a file the user chose through `write(temporary name)`, then renames it into place.
PdfOutcome saveThrough(const QString& target, const std::function<PdfOutcome(const QString&)>& write)
{
    const QFileInfo info(target);
    QTemporaryFile partial(info.absolutePath() + QStringLiteral("/.%1-XXXXXX.part").arg(info.completeBaseName()));
    if (!partial.open()) {
        return common::Outcome::failure(QStringLiteral("“%1” klasörüne yazılamadı: %2")
                                            .arg(QDir::toNativeSeparators(info.absolutePath()), partial.errorString()));
    }
    partial.close();
    PdfOutcome outcome = write(partial.fileName());
    if (!outcome.ok) {
        return outcome;
    }
    // A file the user replaces keeps its permissions; a new one gets the usual ones, not the
    // owner-only ones of a temporary file.
    QFile::setPermissions(partial.fileName(),
                          info.exists() ? info.permissions()
                                        : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    std::error_code failure;
    std::filesystem::rename(partial.fileName().toStdU16String(), info.absoluteFilePath().toStdU16String(), failure);
    if (failure) {
        return {common::Outcome::failure(
                    QStringLiteral("PDF dosyası “%1” yazılamadı: %2")
                        .arg(QDir::toNativeSeparators(target), QString::fromLocal8Bit(failure.message()))),
                outcome.pages};
    }
    partial.setAutoRemove(false);
    return outcome;
}

} // namespace

PdfOutcome savePdfPages(const QList<PdfPart>& parts, const QList<int>& pages, const QString& target,
                        const KeepGoing& keepGoing)
{
    return saveThrough(target, [&](const QString& partial) {
        return writePdfPages(parts, pages, partial, PageNumbers::Stamped, keepGoing);
    });
}

PdfOutcome savePdfCopy(const QString& source, const QString& target)
{
    return saveThrough(target, [&](const QString& partial) {
        QFile::remove(partial);
        QFile file(source);
        if (!file.copy(partial)) {
            return PdfOutcome(common::Outcome::failure(QStringLiteral("PDF dosyası “%1” yazılamadı: %2")
                                                           .arg(QDir::toNativeSeparators(target), file.errorString())));
        }
        return PdfOutcome(common::Outcome::done());
    });
}

} // namespace print
