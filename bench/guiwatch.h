#pragma once

// What the GUI benchmarks watch: how long the event loop went without running a short timer (the
// GUI thread blocked), and a wait that keeps the loop running.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <functional>

class BlockWatch
{
public:
    explicit BlockWatch(int tickMs) : m_tick(tickMs)
    {
        m_clock.start();
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.elapsed();
            m_longest = std::max(m_longest, now - m_last - m_tick);
            if (qEnvironmentVariableIsSet("VZ_TRACE") && now - m_last - m_tick > 50) {
                qWarning("B gap %lld ms ending at %lld", now - m_last - m_tick, now);
            }
            m_last = now;
        });
        m_timer.start(m_tick);
    }
    void reset()
    {
        m_longest = 0;
        m_last = m_clock.elapsed();
    }
    [[nodiscard]] qint64 longest() const { return m_longest; }

private:
    int m_tick;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// Runs the event loop, every pollMs at the latest, until condition holds; false after timeoutMs.
inline bool waitFor(const std::function<bool()>& condition, int timeoutMs, int pollMs = 20)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, pollMs);
    }
    return true;
}
