#include "about/registry.h"

#include <QStandardPaths>
#include <QStringList>

#include <algorithm>

namespace about {

namespace {

constexpr RegistryKey kSysInfoKeyHandle = 1;

// Asking for any of these on a read-only registry is refused, as Windows refuses them to a user
// without administrator rights: set value, create sub-key, create link, delete, write DAC, write
// owner.
constexpr std::uint32_t kWriteRights = 0x0002 | 0x0004 | 0x0020 | 0x10000 | 0x40000 | 0x80000;

// Desktop programs that show the machine's hardware and software, in order of preference.
const QStringList& sysInfoPrograms()
{
    static const QStringList programs = {QStringLiteral("kinfocenter"), QStringLiteral("hardinfo2"),
                                         QStringLiteral("hardinfo")};
    return programs;
}

QString sysInfoProgram()
{
    for (const QString& name : sysInfoPrograms()) {
        if (QString path = QStandardPaths::findExecutable(name); !path.isEmpty()) {
            return path;
        }
    }
    return {};
}

// Registry names are case-insensitive.
bool sameName(const QByteArray& name, const char* expected)
{
    return name.compare(expected, Qt::CaseInsensitive) == 0;
}

} // namespace

OpenedKey SystemRegistry::openKey(RegistryKey root, const QByteArray& subKey, std::uint32_t access)
{
    if (root != kHKeyLocalMachine || !sameName(subKey, kSysInfoPathKey) || sysInfoProgram().isEmpty()) {
        return {kErrorFileNotFound, 0};
    }
    if ((access & kWriteRights) != 0) {
        return {kErrorAccessDenied, 0};
    }
    return {kErrorSuccess, kSysInfoKeyHandle};
}

QueriedValue SystemRegistry::queryValue(RegistryKey key, const QByteArray& valueName, std::span<std::byte> buffer)
{
    if (key != kSysInfoKeyHandle) {
        return {kErrorInvalidHandle};
    }
    const QString program = sysInfoProgram();
    if (!sameName(valueName, kSysInfoPathValue) || program.isEmpty()) {
        return {kErrorFileNotFound};
    }
    // Stored as Windows stores a string: with its terminating zero byte.
    const QByteArray data = program.toLocal8Bit() + '\0';
    const auto length = static_cast<std::uint32_t>(data.size());
    if (std::size_t(data.size()) > buffer.size()) {
        return {kErrorMoreData, kRegSz, length};
    }
    std::copy_n(reinterpret_cast<const std::byte*>(data.constData()), data.size(), buffer.begin());
    return {kErrorSuccess, kRegSz, length};
}

void SystemRegistry::closeKey(RegistryKey key)
{
    Q_UNUSED(key);
}

} // namespace about
