#pragma once

#include "viewer/ledgertotals.h"

#include <QString>

class QWidget;

namespace selection {

// What the selection window's buttons and gestures start; handed to the window so that tests
// can watch the calls.
class SelectionCommands
{
public:
    virtual ~SelectionCommands() = default;
    // Show the ledger file `fileName` of `folder` in the viewer.
    virtual void show(const QString& folder, const QString& fileName) = 0;
    // Check the e-Defter files and sets of `folder` and show the report in the viewer.
    virtual void checkFolder(const QString& folder, QWidget* owner) = 0;
    // The mizan or an ekstre of the journals of `folder` and its subfolders, in the viewer.
    virtual void totals(viewer::TotalsKind kind, const QString& folder, QWidget* owner) = 0;
    virtual void support(QWidget* owner) = 0;
    virtual void about(QWidget* owner) = 0;
};

} // namespace selection
