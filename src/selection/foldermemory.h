#pragma once

#include "selection/volumes.h"

#include <QString>

namespace selection {

// The remembered place: the last drive and folder the folder list showed, one line in dir.log.
class FolderMemory
{
public:
    static constexpr char kFileName[] = "dir.log";

    explicit FolderMemory(QString filePath);

    // dir.log beside the program when that folder can be written, else in the user's
    // configuration folder; save and restore both use the place chosen here.
    static QString locate(const QString& programFolder, const QString& configFolder);

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
