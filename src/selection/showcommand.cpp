#include "selection/showcommand.h"

#include "common/documentkind.h"
#include "common/paths.h"

#include <QFile>
#include <QFileInfo>

namespace selection {

Provisioning provisionStylesheets(const QString& ledgerFolder, const QString& programFolder)
{
    Provisioning result;
    // The stylesheets the program ships, in the order they are provisioned beside every ledger it shows.
    for (const QString& name : common::programStylesheets()) {
        const QString target = common::pathJoin(ledgerFolder, name);
        if (common::fileExists(target)) {
            continue;
        }
        const QString source = common::pathJoin(programFolder, name);
        if (!common::fileExists(source)) {
            result.missingFromProgram.append(name);
            continue;
        }
        if (QFile::copy(source, target)) {
            result.copied.append(name);
        } else {
            result.notCopied.append(name);
        }
    }
    return result;
}

QString ledgerUrlText(const QString& folder, const QString& fileName)
{
    QString converted = folder;
    converted.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QStringLiteral("file://") + converted + QLatin1Char('/') + fileName;
}

void showDocument(LedgerViewer& viewer, const QString& path)
{
    const QFileInfo file(path);
    viewer.ensureOpen();
    viewer.navigate(ledgerUrlText(file.absolutePath(), file.fileName()));
}

ShowCommand::ShowCommand(QString programFolder, LedgerViewer& viewer)
    : m_programFolder(std::move(programFolder)), m_viewer(viewer)
{}

QString ShowCommand::run(const QString& folder, const QString& fileName)
{
    if (fileName.isEmpty()) {
        return {};
    }
    const Provisioning provisioning = provisionStylesheets(folder, m_programFolder);
    QStringList newlyMissing;
    for (const QString& name : provisioning.missingFromProgram) {
        if (!m_reportedMissing.contains(name)) {
            newlyMissing.append(name);
        }
    }
    m_reportedMissing.append(newlyMissing);

    m_viewer.ensureOpen();
    m_viewer.navigate(ledgerUrlText(folder, fileName));

    if (newlyMissing.isEmpty()) {
        return {};
    }
    QStringList paths;
    for (const QString& name : newlyMissing) {
        paths.append(common::pathJoin(m_programFolder, name));
    }
    return QStringLiteral("Programın stil sayfası eksik: %1\nKurulum bozulmuş olabilir; programı yeniden kurun.")
        .arg(paths.join(QStringLiteral(", ")));
}

} // namespace selection
