#include "selection/volumes.h"

#include <QDir>
#include <QStorageInfo>

namespace selection {

QList<Volume> SystemVolumes::list() const
{
    QList<Volume> result;
    for (const QFileInfo& drive : QDir::drives()) {
        const QString root = QDir::toNativeSeparators(drive.absolutePath()); // "C:\"
        const QStorageInfo info(root);
        result.append({root, info.isReady() ? info.name() : QString()});
    }
    return result;
}

// Windows shows drives as "c: [label]".
QString driveText(const Volume& volume)
{
    const QString letter = volume.root.left(2).toLower();
    if (volume.label.isEmpty()) {
        return letter;
    }
    return letter + QStringLiteral(" [") + volume.label + QLatin1Char(']');
}

QString driveRootFromText(const QString& text)
{
    if (text.size() < 2 || text.at(1) != QLatin1Char(':') || !text.at(0).isLetter()) {
        return {};
    }
    return text.left(1).toUpper() + QStringLiteral(":\\");
}

} // namespace selection
