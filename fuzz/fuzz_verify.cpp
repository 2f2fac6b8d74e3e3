// The signature verification reader on mutated signed ledgers, named as a journal.
#include "fuzzsupport.h"
#include "verify/verification.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::writeFile(QStringLiteral("1234567890-202403-Y-000001.xml"), fuzz::bytesOf(data, size));
    verify::VerifyOptions options;
    options.rootsFolder = fuzz::workFolder() + QStringLiteral("/kokler-yok");
    options.checkCompanions = false;
    const verify::VerificationResult result = verify::verifyFile(path, options);
    fuzz::require(!result.summary.isEmpty(), "!result.summary.isEmpty()");
    return 0;
}
