#pragma once

#include "about/registry.h"
#include "common/notifier.h"

#include <QString>

namespace about {

inline constexpr char kSysInfoUnavailable[] = "System Information Is Unavailable At This Time";

// Starts a program without waiting for it.
class ProgramStarter
{
public:
    virtual ~ProgramStarter() = default;
    // `path` is the whole program, never split at spaces. False when it cannot be started.
    [[nodiscard]] virtual bool start(const QString& path) = 0;
};

class DetachedStarter final : public ProgramStarter
{
public:
    [[nodiscard]] bool start(const QString& path) override;
};

// Finds the operating system's system-information tool through the registry and starts it.
class SysInfoLauncher
{
public:
    SysInfoLauncher(Registry& registry, ProgramStarter& starter, common::Notifier notify);

    // Starts the tool, or tells the user that it is unavailable: every failure on the way ends in
    // that one message.
    void StartSysInfo();

    // Reads the value `SubKeyRef` of the key `KeyName` into `KeyVal`: a string as it is, a 32-bit
    // number in decimal. True when the key opened and the value was read; a value of any other
    // type counts as read and leaves `KeyVal` as it was. On failure `KeyVal` is emptied.
    [[nodiscard]] bool GetKeyValue(RegistryKey KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                                   QString& KeyVal);

private:
    [[nodiscard]] bool startTool();

    Registry& m_registry;
    ProgramStarter& m_starter;
    common::Notifier m_notify;
};

} // namespace about
