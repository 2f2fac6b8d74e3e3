#include "selection/foldercheck.h"

#include "ledgerset/reportxml.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>

namespace selection {

namespace {

// The report's file in `folder`, or why it could not be written.
viewer::MadeDocument writeReport(const ledgerset::FolderReport& report, const QString& folder)
{
    const QDateTime made = QDateTime::currentDateTime();
    const QString path = QDir(folder).filePath(ledgerset::reportFileName(report, made));
    QSaveFile file(path);
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) ||
        file.write(ledgerset::reportXml(report, made)) < 0 || !file.commit()) {
        return {common::Outcome::failure(QStringLiteral("Denetim raporu yazılamadı: %1\n%2")
                                             .arg(QDir::toNativeSeparators(path), file.errorString())),
                {}};
    }
    return {common::Outcome::done(), path};
}

viewer::MadeDocument checkAndWrite(const QString& folder, const QString& reportFolder, const FolderCheck& check,
                                   const std::atomic_bool* cancel, const viewer::DocumentRunner::Progress& progress)
{
    ledgerset::CheckOptions options;
    options.progress = progress;
    const ledgerset::FolderReport report = check(folder, options, cancel);
    if (report.ok && !cancel->load()) {
        return writeReport(report, reportFolder);
    }
    return {cancel->load() ? common::Outcome::stopped() : common::Outcome(report), {}};
}

} // namespace

viewer::DocumentRunner::Task folderCheckTask(const QString& folder, const QString& reportFolder, FolderCheck check)
{
    return {QStringLiteral("Klasörü denetle"),
            QStringLiteral("Klasör denetleniyor: %1").arg(QDir::toNativeSeparators(folder)),
            QStringLiteral("Klasör denetlenemedi."),
            [folder, reportFolder, check](const std::atomic_bool* cancel,
                                          const viewer::DocumentRunner::Progress& progress) {
                return checkAndWrite(folder, reportFolder, check, cancel, progress);
            }};
}

QString defaultReportFolder()
{
    return viewer::DocumentRunner::cacheFolder(QStringLiteral("klasor-denetimi"));
}

} // namespace selection
