#include "common/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace app {

namespace {
constexpr auto kStylesheetProbe = "yevmiye.xslt";
}

QString programFolder()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString dataFolderFor(const QString& folder)
{
    if (fileExists(pathJoin(folder, QString::fromLatin1(kStylesheetProbe))))
        return folder;
    const QString shared = QDir::cleanPath(folder + QStringLiteral("/../share/verazidedaze"));
    if (QFileInfo(shared).isDir())
        return QDir::toNativeSeparators(shared);
    return folder;
}

QString dataFolder()
{
    return dataFolderFor(programFolder());
}

QString pathJoin(const QString& folder, const QString& name)
{
    return folder + QDir::separator() + name;
}

bool fileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

bool folderExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

std::filesystem::path toFsPath(const QString& path)
{
    const QByteArray utf8 = path.toUtf8();
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.constData()), utf8.size()));
}

QString fromFsPath(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return QString::fromUtf8(reinterpret_cast<const char*>(utf8.data()), qsizetype(utf8.size()));
}

} // namespace app
