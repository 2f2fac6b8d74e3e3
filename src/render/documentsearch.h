#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>

namespace render {

// Folds text the way the search compares it: Turkish lower case, dotted and dotless i alike.
QString foldForSearch(const QString& text);

// How often `term` occurs in the text a page shows for this HTML, counted text node by text
// node: repeated openings (the repeat mark), scripts and styles left out, entities decoded,
// matches not overlapping. The page's own script walks the same nodes the same way, so "the n-th
// match" names the same place for both.
int countMatches(const QByteArray& html, const QString& term);

// Matches per piece; `cancel` stops early (the counts so far come back).
QList<int> countMatchesPerPiece(const QList<QByteArray>& pieces, const QString& term,
                                const std::atomic_bool* cancel = nullptr);

} // namespace render
