#pragma once

#include "common/backgroundtask.h"
#include "common/notifier.h"

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include <functional>

class QWidget;

namespace ledgerexport {
struct ExportResult;
} // namespace ledgerexport

namespace viewer {

// The viewer's "Excel'e aktar": asks where to write, then exports the ledger's lines from its XML
// on a worker thread, with progress and a way to stop; the window stays responsive throughout.
class ExportRunner : public QObject
{
    Q_OBJECT

public:
    explicit ExportRunner(QWidget* window);
    ~ExportRunner() override;

    // Tests answer the dialogs themselves: the target file (empty: cancelled), and what the user
    // is told at the end.
    void setTargetChooser(std::function<QString(const QString& suggested)> chooser)
    {
        m_chooseTarget = std::move(chooser);
    }
    void setReporter(common::Notifier reporter) { m_report = std::move(reporter); }

    // Exports the ledger at `ledgerPath`, after asking for the target file: offered in `folder`, else
    // beside the ledger.
    void start(const QString& ledgerPath, const QString& folder = {});
    [[nodiscard]] bool isRunning() const { return m_running; }
    // Stops a running export; nothing is left behind.
    void cancel();

signals:
    // An export ended: written, failed or cancelled.
    void finished(bool ok);

private:
    QString chooseTarget(const QString& suggested) const;
    void run(const QString& ledgerPath, const QString& target);
    void progressed(qint64 done, qint64 total);
    void ended(const ledgerexport::ExportResult& result, const QString& target);
    void report(const QString& message, bool ok) const;

    QWidget* const m_window;
    QPointer<QProgressDialog> m_progress;
    std::function<QString(const QString&)> m_chooseTarget;
    common::Notifier m_report;
    bool m_running = false;
    common::BackgroundTask m_task; // last: it waits for the export before the rest goes
};

} // namespace viewer
