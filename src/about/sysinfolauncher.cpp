#include "about/sysinfolauncher.h"

#include "common/paths.h"

#include <QProcess>

#include <algorithm>
#include <array>
#include <exception>

namespace about {

namespace {

constexpr std::size_t kValueBufferSize = 1024;
constexpr char kSysInfoExecutable[] = "MSINFO32.EXE";

// Closes a key on every way out, errors included.
class KeyCloser
{
public:
    KeyCloser(Registry& registry, RegistryKey key) : m_registry(registry), m_key(key) {}
    ~KeyCloser() { m_registry.closeKey(m_key); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

private:
    Registry& m_registry;
    RegistryKey m_key;
};

// The value's bytes without the string terminator: a last byte of zero is dropped, nothing else.
QByteArray valueBytes(const std::array<std::byte, kValueBufferSize>& buffer, std::uint32_t length)
{
    const std::size_t written = std::min<std::size_t>(length, buffer.size());
    const auto* data = reinterpret_cast<const char*>(buffer.data());
    if (written == 0) {
        return {};
    }
    return QByteArray(data, qsizetype(data[written - 1] == '\0' ? written - 1 : written));
}

// Least significant byte first; a zero high byte dropped as a terminator leaves the number as it
// was. A value with no bytes at all holds no number.
QString dwordText(const QByteArray& bytes)
{
    if (bytes.isEmpty()) {
        return {};
    }
    quint32 number = 0;
    for (qsizetype i = std::min<qsizetype>(bytes.size(), 4) - 1; i >= 0; --i) {
        number = (number << 8) | static_cast<quint8>(bytes.at(i));
    }
    return QString::number(number);
}

} // namespace

bool DetachedStarter::start(const QString& path)
{
    return !path.isEmpty() && QProcess::startDetached(path, {});
}

SysInfoLauncher::SysInfoLauncher(Registry& registry, ProgramStarter& starter, common::Notifier notify)
    : m_registry(registry), m_starter(starter), m_notify(std::move(notify))
{}

void SysInfoLauncher::StartSysInfo()
{
    bool started = false;
    try {
        started = startTool();
    } catch (const std::exception&) {
        // Whatever breaks on the way, inside the registry too, means the tool is unavailable.
    }
    if (!started) {
        m_notify(QString::fromLatin1(kSysInfoUnavailable));
    }
}

// Only a path that cannot be read sends us to the folder; a path that names nothing startable
// ends the search.
bool SysInfoLauncher::startTool()
{
    QString toolPath;
    if (!GetKeyValue(kHKeyLocalMachine, QString::fromLatin1(kSysInfoPathKey), QString::fromLatin1(kSysInfoPathValue),
                     toolPath)) {
        if (!GetKeyValue(kHKeyLocalMachine, QString::fromLatin1(kSysInfoFolderKey),
                         QString::fromLatin1(kSysInfoFolderValue), toolPath)) {
            return false;
        }
        const QString candidate = common::pathJoin(toolPath, QString::fromLatin1(kSysInfoExecutable));
        if (!common::fileExists(candidate)) {
            return false;
        }
        toolPath = candidate;
    }
    return m_starter.start(toolPath);
}

bool SysInfoLauncher::GetKeyValue(RegistryKey KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                                  QString& KeyVal)
{
    // Read access only: asking for write rights fails for every user without administrator rights.
    const OpenedKey opened = m_registry.openKey(KeyRoot, KeyName.toLocal8Bit(), kKeyRead);
    if (opened.status != kErrorSuccess) {
        KeyVal.clear();
        return false;
    }
    const KeyCloser closer(m_registry, opened.key);

    std::array<std::byte, kValueBufferSize> buffer{};
    const QueriedValue value = m_registry.queryValue(opened.key, SubKeyRef.toLocal8Bit(), buffer);
    if (value.status != kErrorSuccess) {
        KeyVal.clear();
        return false;
    }
    const QByteArray bytes = valueBytes(buffer, value.length);
    if (value.type == kRegSz) {
        KeyVal = QString::fromLocal8Bit(bytes);
    } else if (value.type == kRegDword) {
        KeyVal = dwordText(bytes);
    }
    return true;
}

} // namespace about
