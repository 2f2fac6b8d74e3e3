#pragma once

#include "ledgerset/setcheck.h"
#include "viewer/documentrunner.h"

#include <QString>

#include <atomic>
#include <functional>

namespace selection {

// "Klasörü denetle": checks a folder's e-Defter files and sets, then writes the report into a folder
// of the program's (the checked folder may be read-only), for the runner to open as Show opens a ledger.
using FolderCheck = std::function<ledgerset::FolderReport(const QString& folder, const ledgerset::CheckOptions& options,
                                                          const std::atomic_bool* cancel)>;

// Tests hand in a check of their own.
[[nodiscard]] viewer::DocumentRunner::Task folderCheckTask(const QString& folder, const QString& reportFolder,
                                                           FolderCheck check = ledgerset::checkFolder);

// <cache>/klasor-denetimi
[[nodiscard]] QString defaultReportFolder();

} // namespace selection
