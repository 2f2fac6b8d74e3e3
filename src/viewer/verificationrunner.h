#pragma once

#include "common/backgroundtask.h"
#include "verify/verification.h"

#include <QObject>

namespace viewer {

// Checks the shown ledger's signature, its berats and GİB's approval on a worker thread, after
// the ledger is on screen: it never delays the first screen nor blocks the window. A result comes
// only for the ledger still asked about: one shown before never appears under another.
class VerificationRunner : public QObject
{
    Q_OBJECT

public:
    explicit VerificationRunner(QObject* parent = nullptr);
    ~VerificationRunner() override;

    // Checks `path`, dropping any check still running for another file.
    void start(const QString& path);
    // Drops the running check, if any; nothing will be reported for it.
    void cancel();
    [[nodiscard]] bool isRunning() const { return m_running; }
    [[nodiscard]] QString path() const { return m_path; }

    void setOptions(const verify::VerifyOptions& options) { m_options = options; }

signals:
    void verified(const verify::VerificationResult& result);

private:
    verify::VerifyOptions m_options;
    QString m_path;
    bool m_running = false;
    common::BackgroundTask m_task; // last: it waits for the check before the rest goes
};

} // namespace viewer
