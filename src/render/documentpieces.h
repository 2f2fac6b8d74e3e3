#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

struct _xmlDoc; // libxml2's document, kept out of this header

namespace render {

// How finely a rendered document is cut. Weights count element nodes.
struct PieceLimits
{
    // Measured in the web view here: a kebir piece of about 1,500 elements (some 30 journal
    // entries) is laid out in about 50 ms (3,000: 90 ms), so the first screen and each jump
    // stay quick. Printing lays consecutive pieces out together, up to `printWeight`: every
    // join between printed pieces is a place where a page must be carried over, and fewer of
    // them print faster.
    int unitWeight = 600;   // a block heavier than this is cut into its own children
    int pieceWeight = 1500; // a piece holds blocks up to about this weight
    int printWeight = 3000; // pieces printed together weigh up to about this much
    // A text longer than this many bytes is shown up to there, with a note of what is left out:
    // the web engine takes minutes to lay out a text of megabytes (an attachment's base64, say)
    // and thousands of pages to print it.
    int longestText = 64 * 1024;
};

// A rendered ledger cut into pieces that each make a whole HTML page: the document's head, the
// blocks that come before its repeated blocks (the taxpayer's header), the opening of every
// block a piece continues (a table's column headers), a run of repeated blocks (entries, account
// blocks, rows), and, with the last piece only, the closing blocks (totals). Repeated openings
// carry the repeat mark (pageprotocol.h) so that a continuous view can hide them after their first showing.
struct PiecedDocument
{
    QByteArray head;             // doctype, <html>, <head>…</head> and <body …>
    QList<QByteArray> fragments; // the body's content, piece by piece
    QList<int> weights;          // each piece's weight, for estimating its height before it is shown
    QList<size_t> hashes;        // each piece's content, hashed: a piece unchanged need not be shown anew
    QList<int> blocks;           // each piece's repeated blocks: printing checks that every one reached the pages
    QByteArray tail;             // </body></html>
    QString title;
    int printWeight = 0; // pieces printed together weigh up to this much; 0: each alone

    [[nodiscard]] qsizetype count() const { return fragments.size(); }
    // Piece `index` as a page of its own.
    [[nodiscard]] QByteArray page(qsizetype index) const { return head + fragments.at(index) + tail; }
};

enum class Completeness
{
    Whole,
    // Rendered from the beginning of a ledger only: whatever follows the repeated blocks
    // (totals computed over what was there) is left out.
    Partial
};

// The elements, by lower-case name, whose children may go to different pieces; a table row may
// be entered too when it is a single cell, as layout tables use it.
const QList<QByteArray>& cuttableContainers();

// Cuts an HTML result tree. Its repeated blocks get the unit mark, the blocks holding them the
// frame mark (the same number in every piece; pageprotocol.h), and its element nodes' `_private` pointers
// serve as scratch. A document without an HTML body comes back as a single piece.
PiecedDocument cutIntoPieces(_xmlDoc* document, const PieceLimits& limits = {},
                             Completeness completeness = Completeness::Whole);

} // namespace render
