#include "common/backgroundtask.h"

namespace common {

BackgroundTask::BackgroundTask(QObject* receiver, ThreadMaker makeThread)
    : m_receiver(receiver), m_makeThread(std::move(makeThread))
{}

BackgroundTask::~BackgroundTask()
{
    cancel();
    wait();
}

void BackgroundTask::renew()
{
    m_stop->store(true);
    m_stop = std::make_shared<std::atomic_bool>(false);
    ++*m_current;
}

void BackgroundTask::run(Work work)
{
    Context context;
    context.m_receiver = m_receiver;
    context.m_current = m_current;
    context.m_request = m_current->load();
    context.m_stop = m_stop;
    auto job = [work = std::move(work), context = std::move(context)] {
        work(context);
    };
    if (!m_makeThread) {
        m_pool.start(std::move(job));
        return;
    }
    QThread* thread = m_makeThread(std::move(job));
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    m_threads.removeAll(nullptr);
    m_threads.append(thread);
    thread->start(m_priority);
}

void BackgroundTask::stop()
{
    m_stop->store(true);
}

void BackgroundTask::wait()
{
    m_pool.waitForDone();
    for (const QPointer<QThread>& thread : std::as_const(m_threads)) {
        if (thread) {
            thread->wait();
        }
    }
}

} // namespace common
