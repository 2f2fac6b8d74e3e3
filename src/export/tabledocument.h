#pragma once

#include "common/documentkind.h"
#include "common/result.h"
#include "export/tablewriter.h"

#include <QString>

#include <atomic>

// The program's own table documents (mizan, hesap ekstresi) written by the same table writers as
// ledger lines. Their columns are fixed, for scripts to rely on.
namespace ledgerexport {

// Mizan or Ekstre for such a document at path, by its root in the program's namespace; Unknown for
// anything else (only the start of the file is read).
[[nodiscard]] common::DocumentKind tableDocumentKind(const QString& path);

// Streams the document's rows into the writer; rows counts the data rows written.
[[nodiscard]] common::Outcome writeTableDocument(const QString& path, common::DocumentKind kind, TableWriter& writer,
                                                 qint64& rows, const std::atomic_bool* cancel);

} // namespace ledgerexport
