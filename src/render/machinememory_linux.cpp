#include "render/ledgerrender.h"

#include <QFile>

#include <sys/resource.h>

namespace render {

namespace {

// A "Name:   123 kB" line of a /proc file, in bytes; -1 when absent.
qint64 procField(const char* path, const QByteArray& name)
{
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    // /proc files report no size, so atEnd() cannot be trusted: read them whole.
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.startsWith(name + ':')) {
            continue;
        }
        bool ok = false;
        const qint64 kilobytes = line.mid(name.size() + 1).trimmed().split(' ').value(0).toLongLong(&ok);
        return ok ? kilobytes * 1024 : -1;
    }
    return -1;
}

} // namespace

std::optional<qint64> availableMemory()
{
    std::optional<qint64> available;
    if (const qint64 free = procField("/proc/meminfo", "MemAvailable"); free >= 0) {
        available = free;
    }
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        const qint64 used = procField("/proc/self/status", "VmSize");
        if (used >= 0) {
            const qint64 left = qMax<qint64>(0, qint64(limit.rlim_cur) - used);
            available = available ? qMin(*available, left) : left;
        }
    }
    return available;
}

} // namespace render
