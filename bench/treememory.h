// Peak resident memory of this process and all its descendants (the web engine's processes),
// sampled every 50 ms on a thread of its own. Shared by the benchmarks.
//
// Cheap on purpose, since it runs beside what is measured: a process's parent is read once,
// when the process first shows up; each sample then reads only the tree's own statm files.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <unistd.h>

class TreeMemory
{
public:
    TreeMemory()
        : m_thread([this] {
              while (!m_stop) {
                  const qint64 now = sample();
                  m_peak = std::max(m_peak.load(), now);
                  m_overall = std::max(m_overall.load(), now);
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
              }
          })
    {}
    ~TreeMemory()
    {
        m_stop = true;
        m_thread.join();
    }
    TreeMemory(const TreeMemory&) = delete;
    TreeMemory& operator=(const TreeMemory&) = delete;

    // The peak since the last reset, in bytes.
    [[nodiscard]] qint64 peak() const { return m_peak; }
    void reset() { m_peak = 0; }
    qint64 takePeak() { return m_peak.exchange(0); }
    [[nodiscard]] qint64 overallPeak() const { return m_overall; }

private:
    qint64 sample()
    {
        const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QSet<int> alive;
        for (const QString& entry : entries) {
            bool numeric = false;
            const int pid = entry.toInt(&numeric);
            if (!numeric) {
                continue;
            }
            alive.insert(pid);
            if (!m_parentOf.contains(pid)) {
                m_parentOf.insert(pid, parentOf(pid));
            }
        }
        for (auto it = m_parentOf.begin(); it != m_parentOf.end();) {
            it = alive.contains(it.key()) ? std::next(it) : m_parentOf.erase(it);
        }

        static const qint64 pageSize = sysconf(_SC_PAGESIZE);
        const int self = int(getpid());
        qint64 total = 0;
        for (auto it = m_parentOf.cbegin(); it != m_parentOf.cend(); ++it) {
            bool inTree = false;
            for (int at = it.key(); at > 1 && !inTree; at = m_parentOf.value(at, 0)) {
                inTree = at == self;
            }
            if (!inTree) {
                continue;
            }
            QFile statm(QStringLiteral("/proc/%1/statm").arg(it.key()));
            if (statm.open(QIODevice::ReadOnly)) {
                total += statm.readAll().split(' ').value(1).toLongLong() * pageSize;
            }
        }
        return total;
    }

    static int parentOf(int pid)
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) {
            return 0;
        }
        // pid (comm) state ppid …: the name may hold spaces and parentheses.
        const QByteArray line = stat.readAll();
        return line.mid(line.lastIndexOf(')') + 2).split(' ').value(1).toInt();
    }

    QHash<int, int> m_parentOf; // only the sampling thread touches it
    std::atomic_bool m_stop = false;
    std::atomic<qint64> m_peak = 0;
    std::atomic<qint64> m_overall = 0;
    std::thread m_thread; // last: starts once the rest is ready
};
