#include "viewer/documentrunner.h"

#include "common/messagebox.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QWidget>

namespace viewer {

DocumentRunner::DocumentRunner(Opener open, QObject* parent)
    : QObject(parent), m_open(std::move(open)),
      m_task(this, [](std::function<void()> work) { return QThread::create(std::move(work)); })
{}

DocumentRunner::~DocumentRunner() = default;

QString DocumentRunner::cacheFolder(const QString& name)
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).filePath(name);
}

QProgressDialog* workProgress(const QString& title, const QString& text, QWidget* owner)
{
    auto* progress = new QProgressDialog(text, QStringLiteral("İptal"), 0, 1000, owner);
    progress->setWindowTitle(title);
    progress->setMinimumDuration(300);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    return progress;
}

void DocumentRunner::start(Task task, QWidget* owner)
{
    cancel();
    m_running = true;
    m_owner = owner;
    m_progress = workProgress(task.title, task.text, owner);
    m_progress->setObjectName(QStringLiteral("dlgIlerleme"));
    // İptal stops the job; what it posts still arrives, and says it was cancelled.
    connect(m_progress, &QProgressDialog::canceled, this, [this] { m_task.stop(); });
    m_task.start([this, job = std::move(task.job),
                  failure = std::move(task.failure)](const common::BackgroundTask::Context& context) {
        const Progress progress = [this, &context](qint64 done, qint64 total) {
            context.post([this, done, total] { progressed(done, total); });
        };
        MadeDocument made = job(context.stopFlag(), progress);
        if (context.stopRequested()) {
            if (made.ok && !made.path.isEmpty()) {
                QFile::remove(made.path); // stopped while it was written: no half-wanted document stays
            }
            static_cast<common::Outcome&>(made) = common::Outcome::stopped();
        }
        context.post([this, made, failure] { ended(made, failure); });
    });
}

void DocumentRunner::cancel()
{
    m_task.cancel();
    delete m_progress;
    if (std::exchange(m_running, false)) {
        emit finished(false);
    }
}

void DocumentRunner::progressed(qint64 done, qint64 total)
{
    if (m_progress && total > 0) {
        m_progress->setValue(int(done * 1000 / total));
    }
}

void DocumentRunner::ended(const MadeDocument& made, const QString& failure)
{
    m_running = false;
    delete m_progress;
    if (!made.ok) {
        if (!made.cancelled) {
            report(made.error.isEmpty() ? failure : made.error);
        }
        emit finished(false);
        return;
    }
    m_open(made.path);
    emit finished(true);
}

void DocumentRunner::report(const QString& message) const
{
    if (m_report) {
        m_report(message);
        return;
    }
    common::showMessage(m_owner, message, QMessageBox::Warning);
}

} // namespace viewer
