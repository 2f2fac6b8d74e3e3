#pragma once

#include <QString>
#include <QStringList>

namespace selection {

struct Provisioning
{
    QStringList copied;             // names copied into the ledger's folder
    QStringList missingFromProgram; // names the program folder itself lacks (a broken installation)
    QStringList notCopied;          // could not be copied (read-only media, no permission): not an error,
                                    // the view falls back to the program folder's copy
};

// Copies each stylesheet the ledger's folder lacks from the program folder; one already there is
// never replaced, even when it differs.
Provisioning provisionStylesheets(const QString& ledgerFolder, const QString& programFolder);

// "file://", the folder with '/' separators, '/', the file name; nothing percent-encoded.
QString ledgerUrlText(const QString& folder, const QString& fileName);

// The window that shows ledgers, as the Show command needs it.
class LedgerViewer
{
public:
    virtual ~LedgerViewer() = default;
    // Creates and shows the viewer when it is not open; true when it was open already (it is then
    // left where it lies, behind other windows or not).
    virtual bool ensureOpen() = 0;
    virtual void navigate(const QString& urlText) = 0;
};

// Opens a document of the program's own (a report, a mizan) in the viewer, as Show opens a ledger.
void showDocument(LedgerViewer& viewer, const QString& path);

// Opens a ledger file in the viewer; reports a broken installation once per missing stylesheet.
class ShowCommand
{
public:
    ShowCommand(QString programFolder, LedgerViewer& viewer);

    // Returns a message for the user, empty when there is nothing to say.
    [[nodiscard]] QString run(const QString& folder, const QString& fileName);

private:
    QString m_programFolder;
    LedgerViewer& m_viewer;
    QStringList m_reportedMissing;
};

} // namespace selection
