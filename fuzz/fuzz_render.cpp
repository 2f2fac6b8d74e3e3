// The render engine on mutated ledgers, with the program's own stylesheets beside them, whole
// and cut into pieces, and from the beginning only.
#include "fuzzsupport.h"
#include "render/ledgerrender.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool copied = [] {
        for (const char* name : {"yevmiye.xslt", "kebir.xslt", "berat.xslt", "defterraporu.xslt"}) {
            QFile::copy(QStringLiteral(FUZZ_DATA_DIR "/") + QLatin1String(name),
                        fuzz::workFolder() + u'/' + QLatin1String(name));
        }
        return true;
    }();
    (void)copied;
    if (size == 0) {
        return 0;
    }
    const QString ledger = fuzz::writeFile(QStringLiteral("defter.xml"), fuzz::bytesOf(data + 1, size - 1));
    render::RenderRequest request;
    request.ledgerPath = ledger;
    request.fallbackFolder = QStringLiteral(FUZZ_DATA_DIR);
    request.availableMemory = qint64(8) << 30;
    if (data[0] & 1) {
        request.pieces = render::PieceLimits{60, 150, 300};
    }
    const render::RenderResult result =
        (data[0] & 2) ? render::renderLedgerBeginning(request, 512).value_or(render::RenderResult{})
                      : render::renderLedger(request);
    // Never a blank page: a failure always carries its page.
    fuzz::require(result.ok() || !result.html.isEmpty(), "result.ok() || !result.html.isEmpty()");
    return 0;
}
