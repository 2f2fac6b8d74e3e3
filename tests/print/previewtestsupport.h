#pragma once

#include "print/printpreview.h"
#include "printtestsupport.h"
#include "viewer/webbrowser.h"
#include "viewertestsupport.h"

#include <QDateTime>

using namespace viewer;

// The print preview as the browser view opens it, on a ledger cut into pieces.
namespace printtest {

// A ledger the browser view cuts into several pieces: each row carries `filler` (empty) elements,
// at 200 enough that a piece holds only some fourteen rows. `inTables`: as real stylesheets lay rows out, in a
// table of column headers inside a layout table whose header repeats on every page; `ruled`: the
// layout table with a rule on top, which only its first page shows; `accounts`: in tables of that
// many rows, each with its heading and a total row after them, inside the layout table;
// `tallEvery`: every so many rows one 100 mm tall that may break across pages; `spacing`: a row
// after another 8 mm lower by this property (padding-top, margin-top).
inline QByteArray heavyRowsStylesheet(bool inTables = false, bool ruled = false, int accounts = 0, int filler = 200,
                                      int tallEvery = 0, const QByteArray& spacing = {})
{
    const QByteArray table = "<table style=\"border-collapse:collapse\">";
    const QByteArray outer = ruled ? "<table style=\"border-collapse:collapse;border-top:6px solid #000\">" : table;
    QByteArray fill;
    for (int i = 0; i < filler; ++i) {
        fill += "<i></i>";
    }
    const QByteArray tall = tallEvery > 0 ? "<xsl:if test=\". mod " + QByteArray::number(tallEvery) +
                                                " = 0\"><xsl:attribute name=\"class\">r t</xsl:attribute></xsl:if>"
                                          : QByteArray();
    const QByteArray row = "<div class=\"r\">" + tall + "Satır <xsl:value-of select=\".\"/>" + fill + "</div>";
    const QByteArray per = QByteArray::number(accounts);
    const QByteArray accountRows =
        "<xsl:for-each select=\"//n[position() mod " + per + " = 1]\">" + table +
        "<thead><tr><th>Hesap <xsl:value-of select=\".\"/></th></tr></thead><tbody>"
        "<xsl:for-each select=\". | following-sibling::n[position() &lt; " +
        per + "]\"><tr><td>" + row +
        "</td></tr></xsl:for-each></tbody><tbody class=\"toplam\"><tr><td><div class=\"r\">Toplam "
        "<xsl:value-of select=\".\"/></div></td></tr></tbody></table></xsl:for-each>";
    const QByteArray body =
        accounts > 0 ? outer + "<thead><tr><td>Kebir</td></tr></thead><tbody><tr><td>" + accountRows +
                           "</td></tr></tbody></table>"
        : inTables ? outer + "<thead><tr><td>Yevmiye Defteri</td></tr></thead><tbody><tr><td>" + table +
                         "<thead><tr><th>Hesap</th></tr></thead><tbody><xsl:for-each select=\"//n\"><tr><td>" + row +
                         "</td></tr></xsl:for-each></tbody></table></td></tr></tbody></table>"
                   : "<xsl:for-each select=\"//n\">" + row + "</xsl:for-each>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\n"
           "<xsl:output method=\"html\" encoding=\"UTF-8\"/>\n"
           "<xsl:template match=\"/\"><html><head><title>Parçalı</title><style>" +
           QByteArray(kRowStyle) + " div.r.t { height: 100mm; break-inside: auto }" +
           (spacing.isEmpty() ? QByteArray() : " div.r + div.r { " + spacing + ": 8mm }") + "</style></head><body>" +
           body + "</body></html></xsl:template>\n</xsl:stylesheet>\n";
}

inline QByteArray numbers(int count)
{
    QByteArray body;
    for (int i = 1; i <= count; ++i) {
        body += "<n>" + QByteArray::number(i) + "</n>";
    }
    return body;
}

// The rows on page `page` (from 0) of `parts` laid end to end.
inline QList<int> rowsOnPart(const QList<print::PdfPart>& parts, int page)
{
    for (const print::PdfPart& part : parts) {
        if (page < part.pageCount) {
            QPdfDocument pdf;
            pdf.load(part.path);
            return rowsOn(pdf, part.firstPage + page);
        }
        page -= part.pageCount;
    }
    return {};
}

class PreviewTestBase : public PrintTestBase
{
protected:
    // A browser view holding the heavy-rows ledger, whole; its preview laying pieces out.
    print::PrintPreview* openPreview(WebBrowser& browser, int rows, bool inTables = false, bool ruled = false,
                                     int accounts = 0, int filler = 200, int tallEvery = 0,
                                     const QByteArray& spacing = {})
    {
        viewertest::writeFile(m_dir->filePath(QStringLiteral("parcali.xslt")),
                              heavyRowsStylesheet(inTables, ruled, accounts, filler, tallEvery, spacing));
        viewertest::writeFile(m_dir->filePath(QStringLiteral("parcali.xml")),
                              viewertest::ledgerXml("parcali.xslt", numbers(rows)));
        if (!browser.parentWidget()) {
            browser.resize(800, 600);
            browser.show();
        }
        browser.Navigate2(viewertest::urlText(m_dir->path(), QStringLiteral("parcali.xml")));
        if (!QTest::qWaitFor([&] { return !browser.Busy(); }, 60000)) {
            return nullptr;
        }
        const auto& pieces = browser.documents().current().pieces;
        if (!pieces || (pieces->count() < 3 && browser.pieceLimits().pieceWeight < (1 << 30))) {
            return nullptr; // the test needs a document in several pieces
        }
        browser.ExecWB(WebBrowser::OLECMDID_PRINTPREVIEW, WebBrowser::OLECMDEXECOPT_PROMPTUSER);
        return browser.printPreview();
    }

    // The rows on each page of the preview's document, saved whole.
    QList<QList<int>> savedRows(print::PrintPreview& preview)
    {
        QSignalSpy ready(&preview, &print::PrintPreview::ready);
        if (!preview.allPagesKnown() && !ready.wait(120000)) {
            return {};
        }
        const QString saved =
            m_dir->filePath(QStringLiteral("sayfalar-%1.pdf").arg(QDateTime::currentMSecsSinceEpoch()));
        preview.setSaveTargetChooser([&] { return saved; });
        QSignalSpy written(&preview, &print::PrintPreview::jobFinished);
        preview.savePdf();
        if (!written.wait(120000) || !written.first().first().toBool()) {
            return {};
        }
        QPdfDocument pdf;
        if (pdf.load(saved) != QPdfDocument::Error::None) {
            return {};
        }
        QList<QList<int>> pages;
        for (int page = 0; page < pdf.pageCount(); ++page) {
            pages.append(rowsOn(pdf, page));
        }
        return pages;
    }
};

} // namespace printtest
