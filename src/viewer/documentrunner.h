#pragma once

#include "common/backgroundtask.h"
#include "common/notifier.h"
#include "common/result.h"

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include <atomic>
#include <functional>

class QWidget;

namespace viewer {

// The progress dialog of a piece of work on a worker thread: 0–1000, with İptal, shown once the
// work has taken 300 ms, kept open until its owner deletes it.
[[nodiscard]] QProgressDialog* workProgress(const QString& title, const QString& text, QWidget* owner);

// What a job made: the document's path when it is ok.
struct MadeDocument : common::Outcome
{
    QString path;
};

// Makes a document of the program's own (the folder check, a mizan, an ekstre) on a worker thread,
// with progress and İptal, then hands its path to whoever opens it. The documents go into a folder
// of the program's: the ledgers' own may be read-only. A new start(), or cancel(), drops the running one.
class DocumentRunner : public QObject
{
    Q_OBJECT

public:
    // done and total in any unit; called from the worker thread.
    using Progress = std::function<void(qint64 done, qint64 total)>;
    // Runs on the worker thread: polls `cancel`, tells its progress, writes the document.
    using Job = std::function<MadeDocument(const std::atomic_bool* cancel, const Progress& progress)>;
    using Opener = std::function<void(const QString& path)>;

    struct Task
    {
        QString title;   // the progress dialog's caption: the command's name
        QString text;    // what it does, e.g. "Klasör denetleniyor: …"
        QString failure; // said when the job fails without a reason of its own
        Job job;
    };

    explicit DocumentRunner(Opener open, QObject* parent = nullptr);
    ~DocumentRunner() override;

    // Tests record what the user would be told.
    void setReporter(common::Notifier reporter) { m_report = std::move(reporter); }

    void start(Task task, QWidget* owner);
    // Stops the running job, if any; nothing is opened for it.
    void cancel();
    [[nodiscard]] bool isRunning() const { return m_running; }

    // <cache>/<name>: where the program's documents of that kind go.
    [[nodiscard]] static QString cacheFolder(const QString& name);

signals:
    // A job ended: its document opened (true), or failed or cancelled (false).
    void finished(bool shown);

private:
    void progressed(qint64 done, qint64 total);
    void ended(const MadeDocument& made, const QString& failure);
    void report(const QString& message) const;

    Opener m_open;
    common::Notifier m_report;
    QPointer<QProgressDialog> m_progress;
    QPointer<QWidget> m_owner;
    bool m_running = false;
    common::BackgroundTask m_task; // last: it waits for the job before the rest goes
};

} // namespace viewer
