#pragma once

#include <QString>

#include <filesystem>
#include <system_error>

namespace common {

// Folder of the executable, without a trailing separator (except a root).
QString programFolder();

// Where the stylesheets and the icon are installed: the program folder when they sit beside the
// executable, else ../share/verazidedaze next to it (an installed layout).
QString dataFolder();
QString dataFolderFor(const QString& programFolder);

// Folder, the native separator, then the name. A folder that already ends in a separator gives
// a doubled one, which every file system accepts.
QString pathJoin(const QString& folder, const QString& name);

// A regular file that is not hidden.
bool fileExists(const QString& path);
bool folderExists(const QString& path);

// Why a file-system call failed, in Turkish for the failures a user meets (missing, no permission,
// read-only or full disk, drive gone); anything rarer keeps the system's own message.
QString describeFileError(const std::error_code& error);

std::filesystem::path toFsPath(const QString& path);
QString fromFsPath(const std::filesystem::path& path);

} // namespace common
