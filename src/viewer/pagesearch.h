#pragma once

#include "common/backgroundtask.h"

#include <QList>
#include <QObject>
#include <QString>

namespace web {
class LedgerSchemeHandler;
} // namespace web

namespace viewer {

class ComposerBridge;
class FindBar;

// Searches the whole document shown, not only what is on screen: counts the matches per piece off
// the GUI thread, then moves from match to match, bringing each one's piece in and selecting it.
// The find bar says where the reader is of how many.
class PageSearch : public QObject
{
    Q_OBJECT

public:
    PageSearch(const web::LedgerSchemeHandler& documents, ComposerBridge& composer, FindBar& bar, QObject* parent);

    // Moves to the next (or previous) match of `term`; counts them first when the term is new.
    void find(const QString& term, bool backwards = false);
    // Forgets the search: another document, or another version of it, is coming.
    void reset();
    // Matches per piece of the last search, once counted.
    [[nodiscard]] const QList<int>& counts() const { return m_counts; }
    [[nodiscard]] int current() const { return m_current; }

signals:
    // A search finished counting, or moved to another match.
    void updated();

private:
    void clear();
    void count(const QString& term, bool backwards);
    void counted(QList<int> counts);
    void startAt(int piece);
    void step(bool backwards);
    void reveal();
    void updateStatus();

    const web::LedgerSchemeHandler& m_documents;
    ComposerBridge& m_composer;
    FindBar& m_bar;
    QString m_term;
    QList<int> m_counts;
    int m_total = 0;
    int m_current = -1;
    bool m_counting = false;
    bool m_backwards = false;      // the direction asked for while counting
    int m_generation = 0;          // a status asked for an earlier search is dropped
    common::BackgroundTask m_task; // last: it waits for the counting before the rest goes
};

} // namespace viewer
