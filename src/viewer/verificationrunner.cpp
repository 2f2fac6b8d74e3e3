#include "viewer/verificationrunner.h"

namespace viewer {

VerificationRunner::VerificationRunner(QObject* parent)
    : QObject(parent), m_task(this, [](std::function<void()> work) { return QThread::create(std::move(work)); })
{
    qRegisterMetaType<verify::VerificationResult>();
    // Behind the window and the render: the check is there to be read once it is done.
    m_task.setPriority(QThread::LowPriority);
}

VerificationRunner::~VerificationRunner() = default;

void VerificationRunner::start(const QString& path)
{
    m_path = path;
    m_running = true;
    m_task.start([this, path, options = m_options](const common::BackgroundTask::Context& context) {
        verify::VerificationResult result = verify::verifyFile(path, options, context.stopFlag());
        context.post([this, result = std::move(result)] {
            m_running = false;
            emit verified(result);
        });
    });
}

void VerificationRunner::cancel()
{
    m_task.cancel();
    m_running = false;
    m_path.clear();
}

} // namespace viewer
