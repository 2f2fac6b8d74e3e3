#include "print/parallelbook.h"

#include "print/blockcount.h"
#include "print/carrydecision.h"
#include "print/piecebook.h"
#include "web/printingpage.h"

#include <QDir>

#include <algorithm>
#include <limits>
#include <utility>

namespace print {

ParallelBook::ParallelBook(QWebEngineProfile* profile, const web::LedgerSchemeHandler& documents, QString folder,
                           int books, QObject* parent, QList<web::PrintingPage*> pages)
    : QObject(parent)
{
    const QDir root(folder);
    auto start = [&](int first) {
        const QString name = QString::number(m_books.size() + 1);
        root.mkpath(name);
        Book book;
        book.book = new PieceBook(profile, documents, root.filePath(name), this, first,
                                  pages.isEmpty() ? nullptr : pages.takeFirst());
        book.startsAt = book.book->firstDocumentPiece();
        m_books.append(book);
    };
    start(0);
    // Each book lays about as many pieces out as the others, the one it goes on into included.
    const int pieces = m_books.constFirst().book->pieceCount();
    const int count = std::clamp(pieces / 2, 1, qMax(1, books));
    for (int k = 1; k < count; ++k) {
        start((k * (pieces - 1) + count / 2) / count);
    }
    qDeleteAll(pages);
    for (int k = 0; k < int(m_books.size()); ++k) {
        PieceBook* book = m_books.at(k).book;
        connect(book, &PieceBook::pieceLaidOut, this,
                [this, k](const PdfPart& part, const QHash<QString, PdfAnchor>& anchors, int first, int last,
                          const QHash<int, QStringList>& given) {
                    laidOut(k, part, anchors, {first, last}, given);
                });
        connect(book, &PieceBook::completed, this, [this, k] { bookComplete(k); });
        connect(book, &PieceBook::failed, this, [this](const QString& error) {
            if (m_done) {
                return;
            }
            m_done = true;
            for (int each = 0; each < int(m_books.size()); ++each) {
                discard(each);
            }
            emit failed(error);
        });
    }
}

ParallelBook::~ParallelBook() = default;

void ParallelBook::produce()
{
    for (const Book& book : std::as_const(m_books)) {
        if (book.book) {
            book.book->produce();
        }
    }
}

void ParallelBook::holdLaterBooks(bool hold)
{
    bool first = true;
    for (const int k : liveBooks()) {
        const Book& book = m_books.at(k);
        if (book.stop || !book.book) { // its pages are settled; it goes
            continue;
        }
        // The first may have been held before the book ahead of it stopped.
        if (std::exchange(first, false) || !hold) {
            book.book->produce();
        } else {
            book.book->hold();
        }
    }
}

QList<int> ParallelBook::liveBooks() const
{
    QList<int> live;
    for (int k = 0; k < int(m_books.size()); ++k) {
        if (!m_books.at(k).dropped) {
            live.append(k);
        }
    }
    return live;
}

int ParallelBook::pageCount() const
{
    // As parts() will lay them end to end; a book that has not yet found where the next takes
    // over counts only up to where the next began, not the pages both lay out.
    int pages = 0;
    Place from;
    const QList<int> live = liveBooks();
    for (qsizetype at = 0; at < live.size(); ++at) {
        const Book& book = m_books.at(live.at(at));
        const Book* next = at + 1 < live.size() ? &m_books.at(live.at(at + 1)) : nullptr;
        for (int piece = from.piece; piece < int(book.laidOut.size()); ++piece) {
            if ((book.stop && piece > book.stop->piece) ||
                (!book.stop && next && !next->holds.isEmpty() &&
                 book.holds.at(piece).first >= next->holds.constFirst().first)) {
                break;
            }
            const int end = book.stop && piece == book.stop->piece ? book.stop->page : book.laidOut.at(piece).pageCount;
            pages += qMax(0, end - (piece == from.piece ? from.page : 0));
        }
        from = book.stop ? book.next : Place{};
    }
    return pages;
}

void ParallelBook::laidOut(int index, const PdfPart& part, const QHash<QString, PdfAnchor>& anchors,
                           std::pair<int, int> holds, const QHash<int, QStringList>& given)
{
    if (m_done) {
        return;
    }
    // Each layout of a piece names its blocks alike; one cut short names fewer.
    for (auto piece = given.cbegin(); piece != given.cend(); ++piece) {
        if (piece.value().size() > m_blocks.value(piece.key()).size()) {
            m_blocks.insert(piece.key(), piece.value());
        }
    }
    Book& book = m_books[index];
    book.laidOut.append(part);
    book.anchors.append(anchors);
    book.holds.append(holds);
    const int piece = int(book.laidOut.size()) - 1;
    const QList<int> live = liveBooks();
    const qsizetype at = live.indexOf(index);
    if (at > 0) {
        compare(live.at(at - 1), -1, piece);
    }
    compare(index, piece, -1);
    emit progressed();
}

void ParallelBook::compare(int index, int earlierPiece, int laterPiece)
{
    Book& earlier = m_books[index];
    const QList<int> live = liveBooks();
    const qsizetype at = live.indexOf(index);
    if (m_done || earlier.stop || at < 0 || at + 1 >= live.size()) {
        return;
    }
    const Book& later = m_books.at(live.at(at + 1));
    const int laterCount = int(later.laidOut.size());
    for (int piece = 0; piece < int(earlier.laidOut.size()); ++piece) {
        if (earlierPiece >= 0 && piece != earlierPiece) {
            continue;
        }
        for (int other = 0; other < laterCount; ++other) {
            const auto [first, last] = earlier.holds.at(piece);
            if ((laterPiece >= 0 && other != laterPiece) || later.holds.at(other).second < first ||
                later.holds.at(other).first > last) {
                continue;
            }
            const std::optional<PageMatch> match = matchingPage(earlier.anchors.at(piece), later.anchors.at(other));
            // Pages from where the later book itself stops are not its to give.
            if (!match ||
                (later.stop && std::pair(other, match->laterPage) >= std::pair(later.stop->piece, later.stop->page))) {
                continue;
            }
            earlier.stop = Place{piece, match->earlierPage};
            earlier.next = Place{other, match->laterPage};
            if (PieceBook* book = earlier.book) {
                // What it kept of its pieces before is settled.
                const QList<PdfPart> kept = book->parts();
                for (int i = 0; i < int(kept.size()) && i < piece; ++i) {
                    earlier.laidOut[i].pageCount = kept.at(i).pageCount;
                }
                discard(index);
            }
            settle();
            return;
        }
    }
}

// The book's browser page goes once it has finished what it was doing; its files stay.
void ParallelBook::discard(int index)
{
    if (PieceBook* book = m_books.at(index).book) {
        book->disconnect(this);
        book->deleteLater();
    }
}

void ParallelBook::bookComplete(int index)
{
    if (m_done) {
        return;
    }
    Book& book = m_books[index];
    book.complete = true;
    const QList<PdfPart> kept = book.book->parts();
    for (int i = 0; i < int(kept.size()) && i < int(book.laidOut.size()); ++i) {
        book.laidOut[i].pageCount = kept.at(i).pageCount;
    }
    if (!book.stop) {
        // It went on to the document's end itself: the books after it are not needed.
        for (int k = index + 1; k < int(m_books.size()); ++k) {
            m_books[k].dropped = true;
            discard(k);
        }
    }
    settle();
}

void ParallelBook::settle()
{
    const QList<int> live = liveBooks();
    for (const int k : live) {
        const Book& book = m_books.at(k);
        if (book.stop) {
            continue;
        }
        if (book.complete && !m_done) {
            m_done = true;
            m_complete = true;
            emit completed();
        }
        return;
    }
}

QList<PdfPart> ParallelBook::parts(QList<QHash<QString, PdfAnchor>>* anchors) const
{
    QList<PdfPart> parts;
    Place from;
    for (const int k : liveBooks()) {
        const Book& book = m_books.at(k);
        const int last = book.stop ? book.stop->piece : int(book.laidOut.size()) - 1;
        for (int piece = from.piece; piece <= last; ++piece) {
            PdfPart part = book.laidOut.at(piece);
            part.firstPage = piece == from.piece ? from.page : 0;
            const int end = book.stop && piece == last ? book.stop->page : part.pageCount;
            part.pageCount = end - part.firstPage;
            if (part.pageCount <= 0) {
                continue;
            }
            parts.append(part);
            if (anchors) {
                anchors->append(book.anchors.at(piece));
            }
        }
        if (!book.stop) {
            break;
        }
        from = book.next;
    }
    return parts;
}

QString ParallelBook::missingBlocks(const QList<int>& given) const
{
    QList<QHash<QString, PdfAnchor>> anchors;
    const QList<PdfPart> laidOut = parts(&anchors);
    return missingBlocksMessage(countBlocks(given, m_blocks, laidOut, anchors));
}

QList<PdfPart> ParallelBook::settledParts() const
{
    if (m_complete) {
        return parts();
    }
    QList<PdfPart> parts;
    Place from;
    const QList<int> live = liveBooks();
    for (qsizetype at = 0; at < live.size(); ++at) {
        const Book& book = m_books.at(live.at(at));
        const auto take = [&](int piece, PdfPart part, int end) {
            part.firstPage = piece == from.piece ? from.page : 0;
            part.pageCount = end - part.firstPage;
            if (part.pageCount > 0) {
                parts.append(part);
            }
        };
        if (book.stop) {
            for (int piece = from.piece; piece <= book.stop->piece; ++piece) {
                const PdfPart& part = book.laidOut.at(piece);
                take(piece, part, piece == book.stop->piece ? book.stop->page : part.pageCount);
            }
            from = book.next;
            continue;
        }
        // The first book still going: a page of its may yet be where the next book's pages are
        // taken from, but only in pieces that book lays out too.
        const int before =
            at + 1 < live.size() ? m_books.at(live.at(at + 1)).startsAt : std::numeric_limits<int>::max();
        const QList<PdfPart> kept = book.book ? book.book->parts() : QList<PdfPart>();
        int piece = from.piece;
        for (; piece < int(kept.size()) && book.holds.at(piece).second < before; ++piece) {
            take(piece, kept.at(piece), kept.at(piece).pageCount);
        }
        // A piece laid out whose last page may still go to the next: the pages before it stay.
        if (piece == int(kept.size()) && piece < int(book.laidOut.size()) && book.holds.at(piece).second < before) {
            take(piece, book.laidOut.at(piece), book.laidOut.at(piece).pageCount - 1);
        }
        break;
    }
    return parts;
}

} // namespace print
