#pragma once

#include "selection/volumes.h"

#include <QString>

#include <functional>

namespace selection {

// Whether the program may write at `path`: a folder where a new file can be created, or an existing
// file that can be opened for writing. Tests hand in their own answer, since they run as root.
using WritableProbe = std::function<bool(const QString& path)>;

// Asks the file system by doing it: a temporary file made in the folder and removed again, or the
// file opened for appending and closed. Attributes and permission bits lie on Windows (Program
// Files, ACLs) and to root.
bool probeWritable(const QString& path);

// The remembered place: the last drive and folder the folder list showed, one line in dir.log.
class FolderMemory
{
public:
    static constexpr char kFileName[] = "dir.log";

    explicit FolderMemory(QString filePath);

    // dir.log beside the program when a file can be created in that folder (saving writes a
    // temporary file beside dir.log and renames it over) and an existing dir.log can be written,
    // else in the user's configuration folder; save and restore both use the place chosen here.
    static QString locate(const QString& programFolder, const QString& configFolder,
                          const WritableProbe& writable = probeWritable);

    [[nodiscard]] const QString& filePath() const { return m_filePath; }

    // Rewrites the whole file: drive, TAB, folder, CR LF. Returns an error text, empty on success.
    [[nodiscard]] QString save(const QString& drive, const QString& folder) const;

    // Empty, or "drive TAB folder". A missing, empty or malformed file yields the program
    // folder's place; a remembered folder or drive that is gone yields nothing.
    [[nodiscard]] QString restore(const QString& programFolder, const QList<Volume>& volumes) const;

private:
    QString m_filePath;
};

} // namespace selection
