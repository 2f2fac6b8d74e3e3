#include "viewer/verificationrunner.h"

namespace viewer {

VerificationRunner::VerificationRunner(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<verify::VerificationResult>();
}

VerificationRunner::~VerificationRunner()
{
    cancel();
    for (const QPointer<QThread>& thread : std::as_const(m_retired)) {
        if (thread) {
            thread->wait();
        }
    }
}

void VerificationRunner::start(const QString& path)
{
    cancel();
    m_path = path;
    const int generation = ++m_generation;
    m_cancel = std::make_shared<std::atomic_bool>(false);
    QPointer<VerificationRunner> self(this);
    m_thread = QThread::create([self, generation, path, options = m_options, cancel = m_cancel] {
        const verify::VerificationResult result = verify::verifyFile(path, options, cancel.get());
        QMetaObject::invokeMethod(
            self,
            [self, generation, result] {
                if (self) {
                    self->finished(generation, result);
                }
            },
            Qt::QueuedConnection);
    });
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    m_retired.removeAll(nullptr);
    m_retired.append(m_thread);
    // Behind the window and the render: the check is there to be read once it is done.
    m_thread->start(QThread::LowPriority);
}

void VerificationRunner::cancel()
{
    ++m_generation;
    if (m_cancel) {
        m_cancel->store(true);
    }
    m_cancel.reset();
    m_thread = nullptr;
    m_path.clear();
}

void VerificationRunner::finished(int generation, const verify::VerificationResult& result)
{
    if (generation != m_generation) {
        return; // for a ledger no longer asked about
    }
    m_thread = nullptr;
    m_cancel.reset();
    emit verified(result);
}

} // namespace viewer
