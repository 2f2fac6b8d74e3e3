#pragma once

#include "print/pdfassembly.h"
#include "web/webforward.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <optional>

namespace print {

class PieceBook;

// Lays a whole document served in pieces out with several print books at once, each in a
// browser process of its own, so that a long ledger's pages come as many times faster as
// there are cores. Book k begins afresh at its share of the printed pieces; the book before it
// goes on past that point until one of its pages matches a page of book k, block for block at
// the same heights. From there on the two would lay the pages out alike, so book k's are taken.
// Where no page ever matches, the earlier book lays the rest out itself: the pages are always
// those one book would give.
class ParallelBook : public QObject
{
    Q_OBJECT

public:
    // `books`: at most this many at once (one per core); fewer for a short document. `pages`:
    // pages of `profile` to lay out in, one per book, whose browser processes may already run;
    // the book takes them (those not needed go).
    ParallelBook(QWebEngineProfile* profile, const web::LedgerSchemeHandler& documents, QString folder, int books,
                 QObject* parent = nullptr, QList<web::PrintingPage*> pages = {});
    ~ParallelBook() override;

    void produce();
    // While held, only the first book still going lays pieces out, with the cores to itself: for
    // the document's first pages, wanted soon. The others go on once released. Asked again as
    // pages come: the first book still going changes when the one ahead of it stops.
    void holdLaterBooks(bool hold);

    // Pages laid out so far by the books still needed, as they will follow each other: for
    // progress only (it may still fall back a little where a book's page is carried or taken over).
    [[nodiscard]] int pageCount() const;
    [[nodiscard]] int bookCount() const { return int(m_books.size()); }
    // Once completed: the document's pages, stretch by stretch, with each stretch's file's named
    // places in `anchors` when asked.
    [[nodiscard]] QList<PdfPart> parts(QList<QHash<QString, PdfAnchor>>* anchors = nullptr) const;
    // The names of the blocks each of the document's pieces brought to its layouts, by piece.
    [[nodiscard]] const QHash<int, QStringList>& blocks() const { return m_blocks; }
    // Once completed: the user's message when a block of `given` (each piece's, as the document
    // was cut) is not on the pages; empty when every one is. A short document is never printed.
    [[nodiscard]] QString missingBlocks(const QList<int>& given) const;
    // The document's first pages, those that stay whatever the books still find: parts() once
    // completed. Each call's pages begin with the last call's.
    [[nodiscard]] QList<PdfPart> settledParts() const;
    [[nodiscard]] bool isComplete() const { return m_complete; }

signals:
    void progressed();
    void completed();
    void failed(const QString& error);

private:
    // Where a book's pages stop being taken: a page of one of its printed pieces.
    struct Place
    {
        int piece = 0;
        int page = 0;
    };
    struct Book
    {
        QPointer<PieceBook> book;
        QList<PdfPart> laidOut; // every page of each printed piece, in order
        QList<QHash<QString, PdfAnchor>> anchors;
        QList<std::pair<int, int>> holds; // the document's pieces each printed piece holds
        std::optional<Place> stop;        // its pages end here; the next book's begin at `next`
        Place next;
        int startsAt = 0;     // the document's piece it begins with
        bool dropped = false; // an earlier book laid its pages out itself
        bool complete = false;
    };

    void laidOut(int index, const PdfPart& part, const QHash<QString, PdfAnchor>& anchors, std::pair<int, int> holds,
                 const QHash<int, QStringList>& given);
    // Whether a page of the book at `index` matches one of the next live book's, the pieces
    // at `earlierPiece` and `laterPiece` only or, where -1, all of that book's; if so, it stops.
    void compare(int index, int earlierPiece, int laterPiece);
    void discard(int index);
    void bookComplete(int index);
    void settle();
    [[nodiscard]] QList<int> liveBooks() const;

    QList<Book> m_books;
    QHash<int, QStringList> m_blocks;
    bool m_done = false;
    bool m_complete = false;
};

} // namespace print
