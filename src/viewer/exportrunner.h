#pragma once

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

class QWidget;

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
    void setReporter(std::function<void(const QString& message, bool ok)> reporter) { m_report = std::move(reporter); }

    // Exports the ledger at `ledgerPath`, after asking for the target file.
    void start(const QString& ledgerPath);
    [[nodiscard]] bool isRunning() const { return m_thread != nullptr; }
    // Stops a running export; nothing is left behind.
    void cancel();

signals:
    // An export ended: written, failed or cancelled.
    void finished(bool ok);

private:
    struct Outcome;

    QString chooseTarget(const QString& suggested) const;
    void run(const QString& ledgerPath, const QString& target);
    void progressed(qint64 done, qint64 total);
    void ended(const Outcome& outcome, const QString& target);
    void report(const QString& message, bool ok) const;

    QWidget* const m_window;
    QPointer<QThread> m_thread;
    QPointer<QProgressDialog> m_progress;
    std::shared_ptr<std::atomic_bool> m_cancel;
    std::function<QString(const QString&)> m_chooseTarget;
    std::function<void(const QString&, bool)> m_report;
};

} // namespace viewer
