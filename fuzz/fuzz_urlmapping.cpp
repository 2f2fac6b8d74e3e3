// The URL mapping: file URLs of both platforms to paths, and resource requests that must never
// leave the ledger's folder, whatever their spelling.
#include "fuzzsupport.h"
#include "render/urlmapping.h"

#include <QFileInfo>

namespace {

QString ledgerFolder()
{
    const QString root = fuzz::workFolder();
    QDir().mkpath(root + QStringLiteral("/defterler/img"));
    QDir().mkpath(root + QStringLiteral("/defterler-eski"));
    for (const char* name :
         {"/gizli.txt", "/defterler/stil.css", "/defterler/img/a b.png", "/defterler-eski/gizli.txt"}) {
        fuzz::writeFile(QString::fromUtf8(name).mid(1), "x");
    }
    QFile::link(root + QStringLiteral("/defterler-eski"), root + QStringLiteral("/defterler/eski"));
    QFile::link(root, root + QStringLiteral("/defterler/dis"));
    QFile::link(root + QStringLiteral("/defterler/stil.css"), root + QStringLiteral("/defterler/ic.css"));
    return QFileInfo(root + QStringLiteral("/defterler")).canonicalFilePath();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString folder = ledgerFolder();
    const QString text = QString::fromUtf8(fuzz::bytesOf(data, size));
    (void)render::localPathFromUrlTextFor(text, render::PathStyle::Posix);
    (void)render::localPathFromUrlTextFor(text, render::PathStyle::Windows);
    const std::optional<QString> path = render::resourcePathInFolder(folder, text);
    if (path) {
        fuzz::require(path->startsWith(folder + u'/') && QFileInfo(*path).isFile(),
                      "path->startsWith(folder + u'/') && QFileInfo(*path).isFile()");
    }
    return 0;
}
