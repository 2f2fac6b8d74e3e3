#pragma once

#include "common/notifier.h"
#include "viewer/documentrunner.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

// The mizan and the ekstre as commands: which journals, which months, which account, then the
// document made on the runner and opened. The selection window asks over a folder, the viewer over
// the ledger it shows.
namespace viewer {

enum class TotalsKind
{
    Mizan,
    Ekstre,
};

struct TotalsRange
{
    QString from; // "YYYY-MM"
    QString to;
    QString account; // the ekstre's code or prefix, trimmed
};

struct TotalsRequest
{
    TotalsKind kind = TotalsKind::Mizan;
    QStringList journals;
    QStringList months; // "YYYY-MM" the journals cover, ascending; the defaults are among them
    TotalsRange defaults;
};

// A main account ("102"), a sub-account ("102.01.001") or a prefix ("10"), not an amount or a date.
[[nodiscard]] bool looksLikeAccountCode(const QString& text);

// The journals of the folder and its subfolders; the range the whole year of the latest month,
// clipped to the months present.
[[nodiscard]] TotalsRequest requestForFolder(TotalsKind kind, const QString& folder);
// The journals beside a ledger (journal, kebir or defter raporu) of the same taxpayer; the range
// its month; the account the selected text when it looks like a code. Nothing for a file whose
// name is not an e-Defter name.
[[nodiscard]] std::optional<TotalsRequest> requestForDocument(TotalsKind kind, const QString& path,
                                                              const QString& selectedText);

// The job that reads the journals and writes the document into `folder`.
[[nodiscard]] DocumentRunner::Task totalsTask(TotalsKind kind, const QStringList& journals, const TotalsRange& range,
                                              const QString& folder);

class TotalsCommand
{
public:
    // Asks the user the range; nothing when they gave up.
    using Ask = std::function<std::optional<TotalsRange>(const TotalsRequest& request, QWidget* owner)>;

    // Documents go into `folder`, made when missing.
    TotalsCommand(DocumentRunner& runner, QString folder);

    void setAsk(Ask ask) { m_ask = std::move(ask); }
    void setReporter(common::Notifier reporter) { m_report = std::move(reporter); }

    // Refuses with a message when there are no journals or several taxpayers'; else asks and starts.
    void run(const TotalsRequest& request, QWidget* owner);

    // <cache>/belgeler
    [[nodiscard]] static QString defaultFolder();

private:
    void report(const QString& message, QWidget* owner) const;

    DocumentRunner& m_runner;
    QString m_folder;
    Ask m_ask;
    common::Notifier m_report;
};

} // namespace viewer
