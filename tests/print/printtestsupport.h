#pragma once

#include "print/piecebook.h"
#include "render/documentpieces.h"
#include "web/ledgerscheme.h"

#include <QDir>
#include <QPdfDocument>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineProfile>

#include <memory>

// What the printing suites share: documents in pieces of known rows, served by a profile of
// their own, and reading the rows back from printed pages.
namespace printtest {

using namespace render;
using namespace web;
using namespace print;

// Rows 60 mm tall on A4 with 15 mm margins: four to a page, so a piece of ten rows makes three
// pages (4, 4 and 2 rows) and every page's rows are known in advance.
inline constexpr int kRowsPerPiece = 10;
inline constexpr int kPagesPerPiece = 3;
inline constexpr auto kPageRule = "@page { size: A4; margin: 15mm } ";
inline constexpr auto kRowStyle = "div.r { height: 60mm; margin: 0; break-inside: avoid }";

// Without a page rule the default margins (12 mm) still leave room for four rows a page.
inline PiecedDocument rowsInPieces(int pieces, bool pageRule = true)
{
    PiecedDocument document;
    document.head = QByteArray("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Satırlar</title><style>") +
                    (pageRule ? kPageRule : "") + kRowStyle + "</style></head><body>";
    document.tail = "</body></html>";
    int row = 1;
    for (int piece = 0; piece < pieces; ++piece) {
        QByteArray fragment;
        for (int i = 0; i < kRowsPerPiece; ++i) {
            fragment += "<div class=\"r\">Satır " + QByteArray::number(row++) + "</div>";
        }
        document.fragments.append(fragment);
        document.weights.append(kRowsPerPiece);
    }
    return document;
}

// Rows in a table inside a layout table, as real stylesheets make them: the taxpayer's header and
// the column headers open every piece, marked as repeated openings.
inline PiecedDocument tableInPieces(int pieces)
{
    PiecedDocument document = rowsInPieces(pieces);
    for (qsizetype i = 0; i < document.fragments.size(); ++i) {
        const char* repeat = i == 0 ? "" : " data-vz-repeat=\"inner\"";
        QByteArray rows = document.fragments.at(i);
        rows.replace("<div class=\"r\">", "<tr><td><div class=\"r\">").replace("</div>", "</div></td></tr>");
        document.fragments[i] = QByteArray("<table class=\"duzen\"><tbody><tr><td><div class=\"mukellef\"") + repeat +
                                ">YEVMİYE DEFTERİ</div><table><thead" + repeat +
                                "><tr><th>Hesap Kodu</th></tr></thead><tbody>" + rows +
                                "</tbody></table></td></tr></tbody></table>";
    }
    return document;
}

// The rows a page of rowsInPieces() holds (page from 0).
inline QList<int> expectedRows(int page)
{
    const int piece = page / kPagesPerPiece;
    const int first = piece * kRowsPerPiece + (page % kPagesPerPiece) * 4 + 1;
    const int last = qMin(first + 3, (piece + 1) * kRowsPerPiece);
    QList<int> rows;
    for (int row = first; row <= last; ++row) {
        rows.append(row);
    }
    return rows;
}

inline QList<int> rowsOn(QPdfDocument& pdf, int page)
{
    static const QRegularExpression row(QStringLiteral("Satır (\\d+)"));
    QList<int> rows;
    for (const QRegularExpressionMatch& match : row.globalMatch(pdf.getAllText(page).text())) {
        rows.append(match.captured(1).toInt());
    }
    return rows;
}

// Lays every piece of `book` out; false when that did not finish within a minute.
inline bool layOutAll(PieceBook& book)
{
    QSignalSpy completed(&book, &PieceBook::completed);
    book.produce();
    return completed.wait(60000);
}

inline bool isA4(const QSizeF& points)
{
    return qAbs(points.width() - 595.3) < 2 && qAbs(points.height() - 841.9) < 2;
}

inline QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
}

// The web engine as the program prepares it at start, for suites without the browser view.
inline void prepareWebEngineWithoutViewer()
{
    registerLedgerScheme();
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) {
        qputenv("QT_QUICK_BACKEND", "software");
    }
}

// A test folder per test, and a profile whose scheme serves a document in pieces from it.
class PrintTestBase : public QObject
{
protected:
    // A profile whose scheme serves a document of `pieces` pieces (rowsInPieces()).
    void serve(int pieces, bool inTables = false, bool pageRule = true)
    {
        m_profile = std::make_unique<QWebEngineProfile>();
        m_scheme = new LedgerSchemeHandler(m_profile.get());
        m_profile->installUrlSchemeHandler(kLedgerScheme, m_scheme);
        RenderedDocument document;
        document.pieces =
            std::make_shared<const PiecedDocument>(inTables ? tableInPieces(pieces) : rowsInPieces(pieces, pageRule));
        (void)m_scheme->publish(m_dir->path(), QStringLiteral("satirlar.xml"), std::move(document));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QWebEngineProfile> m_profile;
    LedgerSchemeHandler* m_scheme = nullptr;
};

} // namespace printtest
