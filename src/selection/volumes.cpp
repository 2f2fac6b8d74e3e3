#include "selection/volumes.h"

#include <QDir>

namespace selection {

namespace {

bool isUnderRoot(const QString& path, const QString& root)
{
    const Qt::CaseSensitivity cs = QDir::separator() == u'\\' ? Qt::CaseInsensitive : Qt::CaseSensitive;
    if (!path.startsWith(root, cs)) {
        return false;
    }
    if (path.size() == root.size() || root.endsWith(QDir::separator())) {
        return true;
    }
    return path.at(root.size()) == QDir::separator();
}

} // namespace

std::optional<Volume> volumeOf(const QList<Volume>& volumes, const QString& path)
{
    std::optional<Volume> best;
    for (const Volume& volume : volumes) {
        if (isUnderRoot(path, volume.root) && (!best || volume.root.size() > best->root.size())) {
            best = volume;
        }
    }
    return best;
}

std::optional<Volume> outermostVolumeOf(const QList<Volume>& volumes, const QString& path)
{
    std::optional<Volume> best;
    for (const Volume& volume : volumes) {
        if (isUnderRoot(path, volume.root) && (!best || volume.root.size() < best->root.size())) {
            best = volume;
        }
    }
    return best;
}

std::optional<Volume> volumeForDriveText(const QList<Volume>& volumes, const QString& text)
{
    // The list's own texts first: a root or label may itself hold brackets.
    for (const Volume& volume : volumes) {
        if (driveText(volume) == text) {
            return volume;
        }
    }
    const QString root = driveRootFromText(text);
    if (root.isEmpty()) {
        return std::nullopt;
    }
    for (const Volume& volume : volumes) {
        if (QString::compare(volume.root, root, QDir::separator() == u'\\' ? Qt::CaseInsensitive : Qt::CaseSensitive) ==
            0) {
            return volume;
        }
    }
    return std::nullopt;
}

} // namespace selection
