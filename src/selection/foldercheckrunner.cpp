#include "selection/foldercheckrunner.h"

#include "common/messagebox.h"
#include "ledgerset/reportxml.h"
#include "selection/showcommand.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QStandardPaths>
#include <QWidget>

namespace selection {

namespace {

// The report's file in `folder`, or why it could not be written.
common::Outcome writeReport(const ledgerset::FolderReport& report, const QString& folder, QString& path)
{
    const QDateTime made = QDateTime::currentDateTime();
    path = QDir(folder).filePath(ledgerset::reportFileName(report, made));
    QSaveFile file(path);
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) ||
        file.write(ledgerset::reportXml(report, made)) < 0 || !file.commit()) {
        return common::Outcome::failure(QStringLiteral("Denetim raporu yazılamadı: %1\n%2")
                                            .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    return common::Outcome::done();
}

} // namespace

FolderCheckRunner::FolderCheckRunner(LedgerViewer& viewer, QString reportFolder, QObject* parent)
    : QObject(parent), m_viewer(viewer), m_reportFolder(std::move(reportFolder)), m_check(ledgerset::checkFolder),
      m_task(this, [](std::function<void()> work) { return QThread::create(std::move(work)); })
{}

FolderCheckRunner::~FolderCheckRunner() = default;

QString FolderCheckRunner::defaultReportFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
        .filePath(QStringLiteral("klasor-denetimi"));
}

void FolderCheckRunner::start(const QString& folder, QWidget* owner)
{
    cancel();
    m_running = true;
    m_owner = owner;
    m_progress = new QProgressDialog(QStringLiteral("Klasör denetleniyor: %1").arg(QDir::toNativeSeparators(folder)),
                                     QStringLiteral("İptal"), 0, 1000, owner);
    m_progress->setObjectName(QStringLiteral("dlgKlasorDenetimi"));
    m_progress->setWindowTitle(QStringLiteral("Klasörü denetle"));
    m_progress->setMinimumDuration(300);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    // İptal stops the check; what it posts still arrives, and says it was cancelled.
    connect(m_progress, &QProgressDialog::canceled, this, [this] { m_task.stop(); });
    m_task.start([this, folder, check = m_check,
                  reportFolder = m_reportFolder](const common::BackgroundTask::Context& context) {
        ledgerset::CheckOptions options;
        options.progress = [this, &context](qint64 done, qint64 total) {
            context.post([this, done, total] { progressed(done, total); });
        };
        const ledgerset::FolderReport report = check(folder, options, context.stopFlag());
        QString path;
        const common::Outcome outcome = report.ok && !context.stopRequested() ? writeReport(report, reportFolder, path)
                                        : context.stopRequested()             ? common::Outcome::stopped()
                                                                              : common::Outcome(report);
        context.post([this, outcome, path] { ended(outcome, path); });
    });
}

void FolderCheckRunner::cancel()
{
    m_task.cancel();
    closeProgress();
    if (std::exchange(m_running, false)) {
        emit finished(false);
    }
}

void FolderCheckRunner::progressed(qint64 done, qint64 total)
{
    if (m_progress && total > 0) {
        m_progress->setValue(int(done * 1000 / total));
    }
}

void FolderCheckRunner::ended(const common::Outcome& outcome, const QString& reportPath)
{
    m_running = false;
    closeProgress();
    if (!outcome.ok) {
        if (!outcome.cancelled) {
            report(outcome.error.isEmpty() ? QStringLiteral("Klasör denetlenemedi.") : outcome.error);
        }
        emit finished(false);
        return;
    }
    const QFileInfo file(reportPath);
    m_viewer.ensureOpen();
    m_viewer.navigate(ledgerUrlText(file.absolutePath(), file.fileName()));
    emit finished(true);
}

void FolderCheckRunner::closeProgress()
{
    delete m_progress;
}

void FolderCheckRunner::report(const QString& message) const
{
    if (m_report) {
        m_report(message);
        return;
    }
    common::showMessage(m_owner, message, QMessageBox::Warning);
}

} // namespace selection
