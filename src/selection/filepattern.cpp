#include "selection/filepattern.h"

#include <QList>
#include <QStringView>

namespace selection {

namespace {

// Iterative wildcard match with single-star backtracking: linear in practice, no recursion.
bool matchOne(QStringView name, QStringView pattern)
{
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace

bool matchesPattern(const QString& name, const QString& patternList)
{
    const QString folded = name.toCaseFolded();
    for (const QStringView pattern : QStringView(patternList).split(u';')) {
        const QString trimmed = pattern.trimmed().toString().toCaseFolded();
        if (!trimmed.isEmpty() && matchOne(folded, trimmed)) {
            return true;
        }
    }
    return false;
}

} // namespace selection
