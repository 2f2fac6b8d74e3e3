#include "about/registry.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <winreg.h>

namespace about {

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
    if (status != ERROR_SUCCESS)
        return {status, 0};
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
    if (key != 0)
        RegCloseKey(toHkey(key));
}

} // namespace about
