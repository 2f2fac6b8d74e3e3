#pragma once

#include "ledgerset/setcheck.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The folder report as a document of the program's own (common::kProgramNamespace): the viewer shows
// it through klasor-denetimi.xslt as it shows a ledger through its stylesheet, so printing, search and
// PDF work on it unchanged.
namespace ledgerset {

// Everything the command line shows: the folder, when, per set the month grid and the findings, and
// every file's one-line result.
[[nodiscard]] QByteArray reportXml(const FolderReport& report, const QDateTime& made);

// "<taxpayer or folder>-<yyyyMMdd-HHmmss>.xml": the taxpayer when the report is about one, else the
// folder's name; only characters safe in a file name on every system.
[[nodiscard]] QString reportFileName(const FolderReport& report, const QDateTime& made);

} // namespace ledgerset
