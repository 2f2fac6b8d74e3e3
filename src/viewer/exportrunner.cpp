#include "viewer/exportrunner.h"

#include "common/messagebox.h"
#include "export/ledgerexport.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QProgressDialog>
#include <QThread>
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

struct ExportRunner::Outcome
{
    ledgerexport::ExportResult result;
};

ExportRunner::ExportRunner(QWidget* window) : QObject(window), m_window(window) {}

ExportRunner::~ExportRunner()
{
    cancel();
    if (m_thread) {
        m_thread->wait();
    }
}

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

void ExportRunner::start(const QString& ledgerPath)
{
    if (isRunning() || ledgerPath.isEmpty()) {
        return;
    }
    const QFileInfo ledger(ledgerPath);
    const QString target = chooseTarget(ledger.dir().filePath(ledger.completeBaseName() + QStringLiteral(".xlsx")));
    if (target.isEmpty()) {
        return;
    }
    run(ledgerPath, QDir::toNativeSeparators(target));
}

void ExportRunner::run(const QString& ledgerPath, const QString& target)
{
    m_cancel = std::make_shared<std::atomic_bool>(false);
    m_progress = new QProgressDialog(QStringLiteral("Defter satırları aktarılıyor: %1").arg(target),
                                     QStringLiteral("İptal"), 0, 1000, m_window);
    m_progress->setWindowTitle(QStringLiteral("Excel'e aktar"));
    m_progress->setMinimumDuration(300);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    connect(m_progress, &QProgressDialog::canceled, this, &ExportRunner::cancel);
    QPointer<ExportRunner> self(this);
    const ledgerexport::Format format = formatOf(target);
    m_thread = QThread::create([self, ledgerPath, target, format, cancel = m_cancel] {
        const auto progress = [self](qint64 done, qint64 total) {
            QMetaObject::invokeMethod(
                self, [self, done, total] { self->progressed(done, total); }, Qt::QueuedConnection);
        };
        Outcome outcome{ledgerexport::exportLedger(ledgerPath, target, format, progress, cancel.get())};
        QMetaObject::invokeMethod(
            self, [self, outcome, target] { self->ended(outcome, target); }, Qt::QueuedConnection);
    });
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    m_thread->start();
}

void ExportRunner::progressed(qint64 done, qint64 total)
{
    if (m_progress && total > 0) {
        m_progress->setValue(int(done * 1000 / total));
    }
}

void ExportRunner::ended(const Outcome& outcome, const QString& target)
{
    if (m_thread) {
        m_thread->wait();
    }
    m_thread = nullptr;
    delete m_progress;
    const ledgerexport::ExportResult& result = outcome.result;
    if (result.cancelled) {
        emit finished(false);
        return;
    }
    if (!result.ok) {
        report(result.error, false);
        emit finished(false);
        return;
    }
    const QLocale turkish(QLocale::Turkish);
    report(QStringLiteral("%1 satır aktarıldı:\n%2").arg(turkish.toString(result.rows), target), true);
    emit finished(true);
}

void ExportRunner::cancel()
{
    if (m_cancel) {
        m_cancel->store(true);
    }
}

void ExportRunner::report(const QString& message, bool ok) const
{
    if (m_report) {
        m_report(message, ok);
        return;
    }
    common::showMessage(m_window, message, ok ? QMessageBox::Information : QMessageBox::Warning);
}

} // namespace viewer
