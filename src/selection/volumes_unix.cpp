#include "selection/volumes.h"

#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>

namespace selection {

namespace {

// Mounts that hold no user files: kernel interfaces, containers' plumbing, boot partitions.
bool isSystemMount(const QString& root)
{
    static const QStringList hiddenPrefixes = {
        QStringLiteral("/proc"), QStringLiteral("/sys"),     QStringLiteral("/dev"), QStringLiteral("/boot"),
        QStringLiteral("/snap"), QStringLiteral("/var/lib"), QStringLiteral("/etc"), QStringLiteral("/usr")};
    if (root.startsWith(QLatin1String("/run")) && !root.startsWith(QLatin1String("/run/media/"))) {
        return true;
    }
    return std::any_of(hiddenPrefixes.cbegin(), hiddenPrefixes.cend(), [&](const QString& prefix) {
        return root == prefix || root.startsWith(prefix + QLatin1Char('/'));
    });
}

bool isRealFileSystem(const QStorageInfo& info)
{
    static const QSet<QByteArray> virtualTypes = {
        "proc",    "sysfs",       "devtmpfs",   "devpts",   "tmpfs", "cgroup", "cgroup2",    "mqueue",
        "debugfs", "tracefs",     "securityfs", "pstore",   "bpf",   "autofs", "hugetlbfs",  "configfs",
        "fusectl", "binfmt_misc", "efivarfs",   "squashfs", "nsfs",  "ramfs",  "rpc_pipefs", "overlay"};
    return !virtualTypes.contains(info.fileSystemType());
}

} // namespace

QList<Volume> SystemVolumes::list() const
{
    QList<Volume> result;
    const QStorageInfo root = QStorageInfo::root();
    result.append({QStringLiteral("/"), root.name()});
    QList<Volume> others;
    for (const QStorageInfo& info : QStorageInfo::mountedVolumes()) {
        const QString path = info.rootPath();
        if (path == QLatin1String("/") || !info.isValid() || !isRealFileSystem(info) || isSystemMount(path) ||
            !QFileInfo(path).isDir()) {
            continue;
        }
        if (std::none_of(others.cbegin(), others.cend(), [&](const Volume& v) { return v.root == path; })) {
            others.append({path, info.name()});
        }
    }
    std::sort(others.begin(), others.end(), [](const Volume& a, const Volume& b) { return a.root < b.root; });
    result.append(others);
    return result;
}

QString driveText(const Volume& volume)
{
    if (volume.label.isEmpty()) {
        return volume.root;
    }
    return volume.root + QStringLiteral(" [") + volume.label + QLatin1Char(']');
}

QString driveRootFromText(const QString& text)
{
    if (!text.startsWith(QLatin1Char('/'))) {
        return {};
    }
    if (text.endsWith(QLatin1Char(']'))) {
        const qsizetype open = text.indexOf(QStringLiteral(" ["));
        if (open > 0) {
            return text.left(open);
        }
    }
    return text;
}

} // namespace selection
