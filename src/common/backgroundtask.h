#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>
#include <utility>

namespace common {

// Runs work off the receiver's thread, on a pool or on threads of its own. What the work posts
// reaches the receiver's thread only while the receiver lives and the work's request is still the
// current one: renew() starts a new request, and what earlier ones post is dropped. stop() raises
// the flag the work polls; renew() and cancel() raise it too. The destructor waits for all work.
class BackgroundTask
{
public:
    // Makes an unstarted thread for `work`, e.g. one with a larger stack.
    using ThreadMaker = std::function<QThread*(std::function<void()> work)>;

    // What a running work sees of its request.
    class Context
    {
    public:
        [[nodiscard]] bool stopRequested() const { return m_stop->load(); }
        // For code that polls a flag of its own.
        [[nodiscard]] const std::atomic_bool* stopFlag() const { return m_stop.get(); }
        // Runs `deliver` on the receiver's thread, unless the receiver is gone or the request
        // superseded by then.
        template <typename Deliver>
        void post(Deliver&& deliver) const
        {
            QObject* const target = m_receiver.data();
            if (!target) {
                return;
            }
            QMetaObject::invokeMethod(
                target,
                [receiver = m_receiver, current = m_current, request = m_request,
                 deliver = std::forward<Deliver>(deliver)]() mutable {
                    if (receiver && current->load() == request) {
                        deliver();
                    }
                },
                Qt::QueuedConnection);
        }

    private:
        friend class BackgroundTask;
        QPointer<QObject> m_receiver;
        std::shared_ptr<std::atomic_int> m_current;
        int m_request = 0;
        std::shared_ptr<std::atomic_bool> m_stop;
    };

    using Work = std::function<void(const Context&)>;

    // No thread maker: the work runs on the task's pool.
    explicit BackgroundTask(QObject* receiver, ThreadMaker makeThread = {});
    ~BackgroundTask();
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    // A thread made with ThreadMaker starts at this priority.
    void setPriority(QThread::Priority priority) { m_priority = priority; }

    // Supersedes the current request; work started from now on belongs to a new one.
    void renew();
    // Runs `work` for the current request.
    void run(Work work);
    // renew() and run().
    void start(Work work)
    {
        renew();
        run(std::move(work));
    }
    // Asks the current request's work to stop; what it still posts arrives.
    void stop();
    // Stops the current request's work and drops what it would post.
    void cancel() { renew(); }
    // Waits until no work runs.
    void wait();

private:
    QPointer<QObject> m_receiver;
    ThreadMaker m_makeThread;
    QThread::Priority m_priority = QThread::InheritPriority;
    std::shared_ptr<std::atomic_int> m_current = std::make_shared<std::atomic_int>(0);
    std::shared_ptr<std::atomic_bool> m_stop = std::make_shared<std::atomic_bool>(false);
    QThreadPool m_pool;
    QList<QPointer<QThread>> m_threads;
};

} // namespace common
