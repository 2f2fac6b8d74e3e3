#pragma once

#include "common/backgroundtask.h"
#include "common/notifier.h"
#include "ledgerset/setcheck.h"

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include <atomic>
#include <functional>

class QWidget;

namespace selection {

class LedgerViewer;

// "Klasörü denetle": checks a folder's e-Defter files and sets on a worker thread, with progress and
// İptal, then writes the report into a folder of the program's (the checked folder may be read-only)
// and opens it in the viewer as Show opens a ledger. A new check, or cancel(), drops the running one.
class FolderCheckRunner : public QObject
{
    Q_OBJECT

public:
    using Check = std::function<ledgerset::FolderReport(const QString& folder, const ledgerset::CheckOptions& options,
                                                        const std::atomic_bool* cancel)>;

    // `reportFolder` receives the reports; it is made when missing.
    FolderCheckRunner(LedgerViewer& viewer, QString reportFolder, QObject* parent = nullptr);
    ~FolderCheckRunner() override;

    // Tests hand in a check of their own and record what the user would be told.
    void setCheck(Check check) { m_check = std::move(check); }
    void setReporter(common::Notifier reporter) { m_report = std::move(reporter); }

    void start(const QString& folder, QWidget* owner);
    // Stops the running check, if any; nothing is written or opened for it.
    void cancel();
    [[nodiscard]] bool isRunning() const { return m_running; }

    // <cache>/klasor-denetimi
    [[nodiscard]] static QString defaultReportFolder();

signals:
    // A check ended: its report shown (true), or failed or cancelled (false).
    void finished(bool shown);

private:
    void progressed(qint64 done, qint64 total);
    void ended(const common::Outcome& outcome, const QString& reportPath);
    void closeProgress();
    void report(const QString& message) const;

    LedgerViewer& m_viewer;
    QString m_reportFolder;
    Check m_check;
    common::Notifier m_report;
    QPointer<QProgressDialog> m_progress;
    QPointer<QWidget> m_owner;
    bool m_running = false;
    common::BackgroundTask m_task; // last: it waits for the check before the rest goes
};

} // namespace selection
