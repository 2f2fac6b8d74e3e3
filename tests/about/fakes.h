#pragma once

#include "about/registry.h"
#include "about/sysinfolauncher.h"
#include "common/paths.h"

#include <QByteArrayList>
#include <QMap>
#include <QStringList>

#include <algorithm>

// Machine-wide keys as a user without administrator rights sees them: readable, never writable.
class FakeRegistry final : public about::Registry
{
public:
    struct Value
    {
        std::uint32_t type = about::kRegSz;
        QByteArray data;
    };

    void addKey(const QByteArray& key) { m_keys[key.toLower()]; }
    void setValue(const QByteArray& key, const QByteArray& name, Value value)
    {
        m_keys[key.toLower()][name.toLower()] = value;
    }

    QByteArrayList openedKeys; // every key asked for, in order
    int openCount = 0;         // keys open right now

    about::OpenedKey openKey(about::RegistryKey root, const QByteArray& subKey, std::uint32_t access) override
    {
        openedKeys.append(subKey);
        if (root != about::kHKeyLocalMachine || !m_keys.contains(subKey.toLower())) {
            return {about::kErrorFileNotFound};
        }
        if ((access & ~about::kKeyRead) != 0) {
            return {about::kErrorAccessDenied};
        }
        ++openCount;
        m_handles.append(subKey.toLower());
        return {about::kErrorSuccess, about::RegistryKey(m_handles.size())};
    }

    about::QueriedValue queryValue(about::RegistryKey key, const QByteArray& valueName,
                                   std::span<std::byte> buffer) override
    {
        const auto values = m_keys.value(m_handles.value(qsizetype(key) - 1));
        if (!values.contains(valueName.toLower())) {
            return {about::kErrorFileNotFound};
        }
        const Value value = values.value(valueName.toLower());
        const auto length = std::uint32_t(value.data.size());
        if (length > buffer.size()) {
            return {about::kErrorMoreData, value.type, length};
        }
        std::copy_n(reinterpret_cast<const std::byte*>(value.data.constData()), length, buffer.begin());
        return {about::kErrorSuccess, value.type, length};
    }

    void closeKey(about::RegistryKey key) override
    {
        if (key != 0) {
            --openCount;
        }
    }

private:
    QMap<QByteArray, QMap<QByteArray, Value>> m_keys;
    QByteArrayList m_handles;
};

// Starts what a real start would: an existing file.
class FakeStarter final : public about::ProgramStarter
{
public:
    QStringList started;

    bool start(const QString& path) override
    {
        if (!common::fileExists(path)) {
            return false;
        }
        started.append(path);
        return true;
    }
};
