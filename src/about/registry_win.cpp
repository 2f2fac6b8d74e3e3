#include "about/registry.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <winreg.h>

#include <type_traits>

namespace about {

// The reader's constants stand in for these headers' on every platform: they must agree.
static_assert(sizeof(RegistryKey) == sizeof(HKEY));
static_assert(std::is_same_v<RegistryStatus, LSTATUS>);
static_assert(kKeyRead == KEY_READ);
static_assert(kRegSz == REG_SZ && kRegExpandSz == REG_EXPAND_SZ && kRegBinary == REG_BINARY && kRegDword == REG_DWORD);
static_assert(kErrorSuccess == ERROR_SUCCESS && kErrorFileNotFound == ERROR_FILE_NOT_FOUND &&
              kErrorAccessDenied == ERROR_ACCESS_DENIED && kErrorInvalidHandle == ERROR_INVALID_HANDLE &&
              kErrorMoreData == ERROR_MORE_DATA);

namespace {

HKEY toHkey(RegistryKey key)
{
    return reinterpret_cast<HKEY>(key);
}

} // namespace

OpenedKey SystemRegistry::openKey(RegistryKey root, const QByteArray& subKey, std::uint32_t access)
{
    HKEY opened = nullptr;
    const LSTATUS status = RegOpenKeyExA(toHkey(root), subKey.constData(), 0, static_cast<REGSAM>(access), &opened);
    if (status != ERROR_SUCCESS) {
        return {status, 0};
    }
    return {status, reinterpret_cast<RegistryKey>(opened)};
}

QueriedValue SystemRegistry::queryValue(RegistryKey key, const QByteArray& valueName, std::span<std::byte> buffer)
{
    DWORD type = 0;
    DWORD length = static_cast<DWORD>(buffer.size());
    const LSTATUS status = RegQueryValueExA(toHkey(key), valueName.constData(), nullptr, &type,
                                            reinterpret_cast<LPBYTE>(buffer.data()), &length);
    return {status, static_cast<std::uint32_t>(type), static_cast<std::uint32_t>(length)};
}

void SystemRegistry::closeKey(RegistryKey key)
{
    if (key != 0) {
        RegCloseKey(toHkey(key));
    }
}

} // namespace about
