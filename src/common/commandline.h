#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;

// What the command-line tools share: exit codes, and how they answer --help, --version and a
// wrong command line.
namespace common {

// Scripts read these; verazidedaze-render's single-ledger HTML mode adds its own codes for each
// kind of failure.
enum ExitCode : int
{
    AllDone = 0,     // every input done
    SomeFailed = 1,  // some input failed
    NothingDone = 2, // nothing could be done or checked
    UsageError = 64, // the command line is wrong (EX_USAGE of sysexits)
};

// Adds --help and --version to the tool's options and parses `arguments` (the program name
// first). --help and --version are answered on standard output, a wrong command line on standard
// error; then the exit code to end with comes back. Nothing comes back when the tool should go on.
[[nodiscard]] std::optional<int> parseCommandLine(QCommandLineParser& parser, const QStringList& arguments);

// "<tool>: <problem>" and the hint to --help on standard error; returns UsageError.
int usageError(const QString& problem);

} // namespace common
