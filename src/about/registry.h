#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <span>

namespace about {

// An open key or a predefined root, as wide as a Windows HKEY; 0 is no key.
using RegistryKey = std::uintptr_t;
// A Windows error code: 0 is success.
using RegistryStatus = long;

// Windows defines its predefined roots as 32-bit values sign-extended to the handle's width.
constexpr RegistryKey predefinedKey(std::uint32_t value)
{
    return static_cast<RegistryKey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}

inline constexpr RegistryKey kHKeyLocalMachine = predefinedKey(0x80000002);

// Read control, query value, enumerate sub-keys and notify: what a user without administrator
// rights is granted on machine-wide keys.
inline constexpr std::uint32_t kKeyRead = 0x20019;

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

inline constexpr RegistryStatus kErrorSuccess = 0;
inline constexpr RegistryStatus kErrorFileNotFound = 2;
inline constexpr RegistryStatus kErrorAccessDenied = 5;
inline constexpr RegistryStatus kErrorInvalidHandle = 6;
inline constexpr RegistryStatus kErrorMoreData = 234;

// Where Windows records its system-information tool: the executable's full path, and failing
// that the folder that holds MSINFO32.EXE.
inline constexpr char kSysInfoPathKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr char kSysInfoPathValue[] = "PATH";
inline constexpr char kSysInfoFolderKey[] = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr char kSysInfoFolderValue[] = "MSINFO";

struct OpenedKey
{
    RegistryStatus status = kErrorFileNotFound;
    RegistryKey key = 0; // open only when status is 0
};

struct QueriedValue
{
    RegistryStatus status = kErrorFileNotFound;
    std::uint32_t type = 0;
    std::uint32_t length = 0; // bytes written into the buffer
};

// The registry as the program uses it: read only, in the shape of RegOpenKeyExA,
// RegQueryValueExA and RegCloseKey. Names are narrow text in the system code page; values arrive
// as raw bytes.
class Registry
{
public:
    virtual ~Registry() = default;
    // A key opened with status 0 must be closed.
    virtual OpenedKey openKey(RegistryKey root, const QByteArray& subKey, std::uint32_t access) = 0;
    // Writes the value into `buffer`; a value longer than the buffer gives kErrorMoreData.
    virtual QueriedValue queryValue(RegistryKey key, const QByteArray& valueName, std::span<std::byte> buffer) = 0;
    virtual void closeKey(RegistryKey key) = 0;
};

// The machine's registry: advapi32 on Windows; elsewhere a read-only stand-in that holds only the
// path of the desktop's system-information program, when one is installed.
class SystemRegistry final : public Registry
{
public:
    OpenedKey openKey(RegistryKey root, const QByteArray& subKey, std::uint32_t access) override;
    QueriedValue queryValue(RegistryKey key, const QByteArray& valueName, std::span<std::byte> buffer) override;
    void closeKey(RegistryKey key) override;
};

} // namespace about
