// The folder-memory reader on arbitrary dir.log contents: whatever it restores names an existing
// folder on a known drive, or is the program folder's place, or is empty.
#include "fuzzsupport.h"
#include "selection/foldermemory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString file = fuzz::writeFile(QStringLiteral("dir.log"), fuzz::bytesOf(data, size));
    const QList<selection::Volume> volumes{{QStringLiteral("/"), QString()},
                                           {fuzz::workFolder(), QStringLiteral("Çalışma [1]")}};
    const selection::FolderMemory memory(file);
    const QString place = memory.restore(fuzz::workFolder(), volumes);
    if (!place.isEmpty()) {
        fuzz::require(place.count(u'\t') >= 1, "place.count(u'\\t') >= 1");
    }
    return 0;
}
