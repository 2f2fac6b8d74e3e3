#include "selection/folderlisting.h"

#include "common/paths.h"
#include "selection/filepattern.h"

#include <QCollator>
#include <QDir>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace selection {

namespace fs = std::filesystem;

namespace {

struct DirEntries
{
    QStringList folders;
    QStringList files;
    QString error;
    [[nodiscard]] bool ok() const { return error.isEmpty(); }
};

bool isHiddenName(const QString& name)
{
    return name.startsWith(QLatin1Char('.'));
}

DirEntries readEntries(const QString& folder)
{
    DirEntries result;
    std::error_code ec;
    const fs::path path = common::toFsPath(folder);
    if (!fs::is_directory(path, ec)) {
        result.error = ec ? common::describeFileError(ec) : QStringLiteral("böyle bir klasör yok");
        return result;
    }
    fs::directory_iterator it(path, fs::directory_options::skip_permission_denied, ec);
    if (ec) {
        result.error = common::describeFileError(ec);
        return result;
    }
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            break;
        }
        const QString name = common::fromFsPath(it->path().filename());
        if (isHiddenName(name)) {
            continue;
        }
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            result.folders.append(name);
        } else if (it->is_regular_file(typeError)) {
            result.files.append(name);
        }
    }
    if (ec) {
        result.error = common::describeFileError(ec);
    }
    return result;
}

void sortNames(QStringList& names)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::sort(names.begin(), names.end(), collator);
}

QStringList ancestorChain(const QString& folder, const QString& volumeRoot)
{
    // From the volume root down to the folder: "/", "/home", "/home/x".
    QStringList chain;
    QString current = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    const QString root = QDir::cleanPath(QDir::fromNativeSeparators(volumeRoot));
    while (true) {
        chain.prepend(QDir::toNativeSeparators(current));
        if (current == root || current.size() <= root.size()) {
            break;
        }
        const qsizetype slash = current.lastIndexOf(QLatin1Char('/'));
        if (slash < 0) {
            break;
        }
        const QString parent = slash == 0 ? QStringLiteral("/") : current.left(slash);
        if (parent == current) {
            break;
        }
        if (parent.endsWith(QLatin1Char(':'))) { // "C:" -> "C:/"
            current = parent + QLatin1Char('/');
            continue;
        }
        current = parent;
    }
    return chain;
}

QString displayName(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

} // namespace

QString describeReadError(const QString& folder, const QString& reason)
{
    return QStringLiteral("“%1” klasörü okunamadı: %2").arg(folder, reason);
}

FolderListing listFolders(const QString& folder, const QString& volumeRoot)
{
    FolderListing listing;
    DirEntries entries = readEntries(folder);
    if (!entries.ok()) {
        listing.error = entries.error;
        return listing;
    }
    const QStringList chain = ancestorChain(folder, volumeRoot);
    for (int i = 0; i < chain.size(); ++i) {
        listing.rows.append({chain.at(i), displayName(chain.at(i)), i, true});
    }
    listing.currentRow = int(listing.rows.size()) - 1;
    sortNames(entries.folders);
    for (const QString& name : std::as_const(entries.folders)) {
        listing.rows.append({common::pathJoin(chain.constLast(), name), name, int(chain.size()), false});
    }
    // A root folder already ends in a separator; keep child paths free of doubled ones.
    for (FolderRow& row : listing.rows) {
        row.path = QDir::toNativeSeparators(QDir::cleanPath(QDir::fromNativeSeparators(row.path)));
    }
    return listing;
}

FileListing listFiles(const QString& folder, const QString& patternList)
{
    FileListing listing;
    DirEntries entries = readEntries(folder);
    if (!entries.ok()) {
        listing.error = entries.error;
        return listing;
    }
    for (const QString& name : std::as_const(entries.files)) {
        if (matchesPattern(name, patternList)) {
            listing.names.append(name);
        }
    }
    sortNames(listing.names);
    return listing;
}

} // namespace selection
