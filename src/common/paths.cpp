#include "common/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace common {

namespace {
constexpr auto kStylesheetProbe = "yevmiye.xslt";
}

QString programFolder()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString dataFolderFor(const QString& folder)
{
    if (fileExists(pathJoin(folder, QString::fromLatin1(kStylesheetProbe)))) {
        return folder;
    }
    const QString shared = QDir::cleanPath(folder + QStringLiteral("/../share/verazidedaze"));
    if (QFileInfo(shared).isDir()) {
        return QDir::toNativeSeparators(shared);
    }
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
    if (path.isEmpty()) {
        return false;
    }
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

bool folderExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QString describeFileError(const std::error_code& error)
{
    using std::errc;
    static const std::pair<errc, const char*> reasons[] = {
        {errc::no_such_file_or_directory, "böyle bir dosya ya da klasör yok"},
        {errc::permission_denied, "bu işlem için izniniz yok"},
        {errc::operation_not_permitted, "bu işlem için izniniz yok"},
        {errc::not_a_directory, "yolun bir parçası klasör değil"},
        {errc::is_a_directory, "bu bir klasör, dosya değil"},
        {errc::read_only_file_system, "disk yalnızca okunabilir"},
        {errc::no_space_on_device, "diskte yer kalmadı"},
        {errc::io_error, "disk okunurken ya da yazılırken bir aygıt hatası oluştu"},
        {errc::no_such_device, "sürücü hazır değil"},
        {errc::no_such_device_or_address, "sürücü hazır değil"},
        {errc::device_or_resource_busy, "dosya başka bir program tarafından kullanılıyor"},
        {errc::filename_too_long, "dosya yolu çok uzun"},
        {errc::too_many_symbolic_link_levels, "sembolik bağlantılar bir döngü oluşturuyor ya da çok iç içe"},
        {errc::too_many_files_open, "aynı anda açılabilecek dosya sayısı aşıldı"},
        {errc::too_many_files_open_in_system, "aynı anda açılabilecek dosya sayısı aşıldı"},
    };
    for (const auto& [condition, reason] : reasons) {
        if (error == condition) {
            return QString::fromUtf8(reason);
        }
    }
    return QString::fromLocal8Bit(error.message());
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

} // namespace common
