#pragma once

#include "print/pdfassembly.h"
#include "render/documentpieces.h"
#include "web/printingpage.h"
#include "web/webforward.h"

#include <QObject>

#include <QStringList>
#include <QUrl>

#include <limits>
#include <memory>
#include <optional>

namespace print {

// Lays a document served in pieces out on printed pages, a few pieces at a time (as many as
// the document's print weight allows, joined into one page), in a hidden web page of the
// viewer's own profile: each such printed piece becomes a vector PDF of its own in `folder`,
// and only one is ever held laid out. The PDFs laid end to end are the document's pages, paged
// as the whole would be: the blocks a printed piece's last, partly filled page holds are
// carried to the start of the next and that page left out, once the next shows them where
// they stood.
class PieceBook : public QObject
{
    Q_OBJECT

public:
    // `documents` serves the document to lay out (its current one, which must be in pieces).
    // `firstPiece`: the printed piece to begin with, on a page of its own (for laying a document
    // out in several books at once). `page`: one of `profile`'s to lay out in, whose browser
    // process may already be running; the book takes it. Without, it makes its own.
    PieceBook(QWebEngineProfile* profile, const web::LedgerSchemeHandler& documents, QString folder,
              QObject* parent = nullptr, int firstPiece = 0, web::PrintingPage* page = nullptr);
    ~PieceBook() override;

    // Lays pieces out, in order, until at least `pages` pages exist or every piece is laid out;
    // asking again with more goes on from there.
    void produce(int pages = std::numeric_limits<int>::max());
    // Lays no more pieces out after the one under way, until asked to produce() again; a last
    // page waiting to be carried waits with it.
    void hold() { m_held = true; }

    // Printed pieces, each one or more of the document's pieces.
    [[nodiscard]] int pieceCount() const { return int(m_groups.size()); }
    [[nodiscard]] int piecesDone() const { return m_first + int(m_parts.size()); }
    [[nodiscard]] int pageCount() const { return m_pages; }
    // The document's piece the book begins with.
    [[nodiscard]] int firstDocumentPiece() const { return m_groups.isEmpty() ? 0 : m_groups.value(m_first).first; }
    [[nodiscard]] bool isComplete() const { return piecesDone() == pieceCount(); }
    [[nodiscard]] bool hasFailed() const { return !m_error.isEmpty(); }
    [[nodiscard]] QString error() const { return m_error; }
    // Each laid-out piece's PDF and its page count, in document order, from the first piece on.
    [[nodiscard]] const QList<PdfPart>& parts() const { return m_parts; }

signals:
    // A printed piece is laid out for good: `part` counts every page of its PDF, also a last
    // page that is then carried into the next piece (parts() leaves that one out), `anchors` are
    // its blocks' places there; it holds the document's pieces `first` to `last`, and `given`
    // names the blocks each of those brought, by piece ('' for one without a usable name).
    void pieceLaidOut(const PdfPart& part, const QHash<QString, PdfAnchor>& anchors, int first, int last,
                      const QHash<int, QStringList>& given);
    // One more piece is laid out.
    void progressed();
    // Every piece is laid out.
    void completed();
    // Laying out stopped; `error` says where and why, in Turkish.
    void failed(const QString& error);

private:
    // Blocks that begin a piece's last page, to begin the next piece with.
    struct Carry
    {
        QString html;  // the blocks and the holders they lie in
        QString plain; // the same without the block before them, to try next (empty: none)
        // Each block from the first on, by id (a named destination in the PDF), and the height
        // where it stood on the last page.
        QList<std::pair<QString, double>> blocks;
    };
    // A piece laid out whose last page waits to be carried into the next.
    struct Pending
    {
        PdfPart part;
        Carry carry;
    };

    // The printed piece in the hidden page.
    struct Piece
    {
        int index = -1;                    // in the book's printed pieces; -1: none being laid out
        QStringList ids;                   // its blocks, in order
        std::optional<Carry> carrying;     // carried into it, being tried
        std::optional<Carry> carriedIn;    // what it begins with, once shown right
        int extensions = 0;                // pieces added to it to move its end
        QHash<QString, PdfAnchor> anchors; // its blocks' places in its latest PDF
        QHash<int, QStringList> given;     // the blocks its document pieces brought, by piece
    };
    // What carrying has shown about the document so far.
    struct CarryRecord
    {
        int fails = 0;         // carried blocks shown elsewhere than they stood
        QList<double> heights; // heights on a last page that could be carried from
    };

    void layOutNext();
    void prepared(const QVariant& result);
    // The printed piece's PDF is written: what it began with is checked, then its last page is
    // carried into the next piece, kept, or moved by printing more pieces with it.
    void laidOut(const PdfPart& part, const QHash<QString, PdfAnchor>& anchors);
    // Whether the blocks carried in stand where they stood; false when the piece is being laid
    // out again, with less carried or with nothing.
    [[nodiscard]] bool acceptCarried(const QHash<QString, PdfAnchor>& anchors);
    void carryFrom(const PdfPart& part, const QHash<QString, PdfAnchor>& anchors, qsizetype first);
    // The page's script has taken the blocks out: the piece waits while the next is laid out.
    void carryTaken(const PdfPart& part, const QList<std::pair<QString, double>>& blocks, const QVariant& result);
    // The page that holds the printed piece being laid out (its first piece's).
    [[nodiscard]] QUrl loadingUrl() const;
    void extendOrFinish(const PdfPart& part);
    void finishPiece(const PdfPart& part);
    void moveOn();
    void settlePending(bool carried);
    void loadingChanged(const QWebEngineLoadingInfo& loading);
    void pdfFinished(const QString& path, bool ok);
    void fail(const QString& error);
    [[nodiscard]] QString piecePath(int index) const;

    const web::LedgerSchemeHandler& m_documents;
    const QString m_folder;
    web::PrintingPage* const m_page;
    std::shared_ptr<const render::PiecedDocument> m_pieces; // the document being laid out
    QList<std::pair<int, int>> m_groups;                    // its first and last piece, per printed piece
    QList<PdfPart> m_parts;
    int m_pages = 0;
    int m_target = 0;
    int m_first = 0; // the printed piece begun with
    int m_next = 0;  // the next printed piece to lay out
    bool m_held = false;
    std::optional<Pending> m_pending;
    Piece m_piece;
    CarryRecord m_carried;
    QString m_error;
};

} // namespace print
