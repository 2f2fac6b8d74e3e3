#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace selection {

// One row of the folder list: the ancestors of the current folder from the volume root down to
// the folder itself (open folders), then its sub-folders (closed), indented by depth.
struct FolderRow
{
    QString path;
    QString name;
    int depth = 0;
    bool open = false; // an ancestor or the current folder itself
};

struct FolderListing
{
    QList<FolderRow> rows;
    int currentRow = -1;
    QString error; // empty when the folder could be read
    [[nodiscard]] bool ok() const { return error.isEmpty(); }
};

struct FileListing
{
    QStringList names;
    QString error;
    [[nodiscard]] bool ok() const { return error.isEmpty(); }
};

// Reads the folder; hidden (dot) folders are left out, the rest sorted without regard to case.
FolderListing listFolders(const QString& folder, const QString& volumeRoot);
// The regular, non-hidden files of the folder whose names match the pattern list.
FileListing listFiles(const QString& folder, const QString& patternList);

// The system's reason for a failed read, in a form that names the folder.
QString describeReadError(const QString& folder, const QString& reason);

} // namespace selection
