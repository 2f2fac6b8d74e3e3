// An arbitrary stylesheet under the engine's security preferences, on a small fixed ledger. The
// stylesheet must never write a file: the work folder is checked after every run.
#include "fuzzsupport.h"
#include "render/ledgerrender.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString ledger = fuzz::writeFile(
        QStringLiteral("defter.xml"),
        "<?xml version=\"1.0\"?><?xml-stylesheet type=\"text/xsl\" href=\"s.xslt\"?>\n"
        "<defter><madde no=\"1\"><satir borc=\"10.5\">Kasa</satir><satir alacak=\"10.5\">Banka</satir></madde>"
        "<madde no=\"2\"><satir borc=\"3\">Şğİı</satir></madde></defter>\n");
    fuzz::writeFile(QStringLiteral("s.xslt"), fuzz::bytesOf(data, size));
    render::RenderRequest request;
    request.ledgerPath = ledger;
    request.availableMemory = qint64(8) << 30;
    const render::RenderResult result = render::renderLedger(request);
    fuzz::require(result.ok() || !result.html.isEmpty(), "result.ok() || !result.html.isEmpty()");
    fuzz::require(
        QDir(fuzz::workFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size() == 2,
        "QDir(fuzz::workFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size() == 2");
    return 0;
}
