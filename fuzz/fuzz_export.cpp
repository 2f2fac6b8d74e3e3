// The export reader on mutated ledgers, to CSV or XLSX by the first byte; a failed export leaves
// no file behind.
#include "export/ledgerexport.h"
#include "fuzzsupport.h"

#include <QFileInfo>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    const QString ledger =
        fuzz::writeFile(QStringLiteral("1234567890-202403-Y-000001.xml"), fuzz::bytesOf(data + 1, size - 1));
    const bool xlsx = data[0] & 1;
    const QString out = fuzz::workFolder() + (xlsx ? QStringLiteral("/cikti.xlsx") : QStringLiteral("/cikti.csv"));
    QFile::remove(out);
    ledgerexport::ExportOptions options;
    options.sheetRowLimit = 50;
    const ledgerexport::ExportResult result = ledgerexport::exportLedger(
        ledger, out, xlsx ? ledgerexport::Format::Xlsx : ledgerexport::Format::Csv, {}, nullptr, options);
    fuzz::require(result.ok == QFileInfo::exists(out), "result.ok == QFileInfo::exists(out)");
    fuzz::require(result.ok || !result.error.isEmpty(), "result.ok || !result.error.isEmpty()");
    return 0;
}
