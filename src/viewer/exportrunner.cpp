#include "viewer/exportrunner.h"

#include "common/appinfo.h"
#include "common/messagebox.h"
#include "common/turkishformat.h"
#include "export/ledgerexport.h"
#include "viewer/documentrunner.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QWidget>

namespace viewer {

namespace {

constexpr auto kXlsxFilter = "Excel çalışma kitabı (*.xlsx)";
constexpr auto kCsvFilter = "CSV, noktalı virgülle ayrılmış (*.csv)";

ledgerexport::Format formatOf(const QString& target)
{
    return target.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ? ledgerexport::Format::Csv
                                                                       : ledgerexport::Format::Xlsx;
}

} // namespace

ExportRunner::ExportRunner(QWidget* window) : QObject(window), m_window(window), m_task(this) {}

ExportRunner::~ExportRunner() = default;

QString ExportRunner::chooseTarget(const QString& suggested) const
{
    if (m_chooseTarget) {
        return m_chooseTarget(suggested);
    }
    QString filter = QString::fromUtf8(kXlsxFilter);
    QString target = QFileDialog::getSaveFileName(
        m_window, QStringLiteral("Excel'e aktar"), suggested,
        QString::fromUtf8(kXlsxFilter) + QStringLiteral(";;") + QString::fromUtf8(kCsvFilter), &filter);
    // The dialog may come back without the extension the chosen type implies.
    const QString extension =
        filter == QString::fromUtf8(kCsvFilter) ? QStringLiteral(".csv") : QStringLiteral(".xlsx");
    if (!target.isEmpty() && QFileInfo(target).suffix().isEmpty()) {
        target += extension;
    }
    return target;
}

void ExportRunner::start(const QString& ledgerPath, const QString& folder)
{
    if (isRunning() || ledgerPath.isEmpty()) {
        return;
    }
    const QFileInfo ledger(ledgerPath);
    const QDir offered = folder.isEmpty() ? ledger.dir() : QDir(folder);
    const QString target = chooseTarget(offered.filePath(ledger.completeBaseName() + QStringLiteral(".xlsx")));
    if (target.isEmpty()) {
        return;
    }
    run(ledgerPath, QDir::toNativeSeparators(target));
}

void ExportRunner::run(const QString& ledgerPath, const QString& target)
{
    m_running = true;
    m_progress = workProgress(QStringLiteral("Excel'e aktar"),
                              QStringLiteral("Defter satırları aktarılıyor: %1").arg(target), m_window);
    connect(m_progress, &QProgressDialog::canceled, this, &ExportRunner::cancel);
    const ledgerexport::Format format = formatOf(target);
    m_task.start([this, ledgerPath, target, format](const common::BackgroundTask::Context& context) {
        const auto progress = [this, &context](qint64 done, qint64 total) {
            context.post([this, done, total] { progressed(done, total); });
        };
        ledgerexport::ExportResult result =
            ledgerexport::exportLedger(ledgerPath, target, format, progress, context.stopFlag());
        context.post([this, result = std::move(result), target] { ended(result, target); });
    });
}

void ExportRunner::progressed(qint64 done, qint64 total)
{
    if (m_progress && total > 0) {
        m_progress->setValue(int(done * 1000 / total));
    }
}

void ExportRunner::ended(const ledgerexport::ExportResult& result, const QString& target)
{
    m_running = false;
    delete m_progress;
    if (result.cancelled) {
        emit finished(false);
        return;
    }
    if (!result.ok) {
        report(result.error, false);
        emit finished(false);
        return;
    }
    report(QStringLiteral("%1 satır aktarıldı:\n%2").arg(common::number(result.rows), target), true);
    emit finished(true);
}

void ExportRunner::cancel()
{
    m_task.stop();
}

void ExportRunner::report(const QString& message, bool ok) const
{
    if (m_report) {
        m_report(message);
        return;
    }
    common::showMessage(m_window, message, ok ? QMessageBox::Information : QMessageBox::Warning);
}

} // namespace viewer
