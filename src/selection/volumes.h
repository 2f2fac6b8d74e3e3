#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace selection {

// A drive as the drive list shows it: a mounted volume (Windows: a drive letter).
struct Volume
{
    QString root;  // native path of the volume's root folder
    QString label; // may be empty
    bool operator==(const Volume&) const = default;
};

class Volumes
{
public:
    virtual ~Volumes() = default;
    // Root first, then the others in a stable order.
    [[nodiscard]] virtual QList<Volume> list() const = 0;
};

// The volumes of this machine that hold real file systems.
class SystemVolumes final : public Volumes
{
public:
    [[nodiscard]] QList<Volume> list() const override;
};

// "root [label]" on Unix, "c: [label]" on Windows: the text the drive list shows and the folder
// memory stores.
QString driveText(const Volume& volume);
// The root a drive text names (the label part ignored); empty when the text names none.
QString driveRootFromText(const QString& text);

// The volume whose root is the longest prefix of the path: the volume that holds it.
std::optional<Volume> volumeOf(const QList<Volume>& volumes, const QString& path);
// The volume whose root is the shortest prefix: where the folder list's chain of ancestors starts,
// so that a volume mounted inside another can be left upwards.
std::optional<Volume> outermostVolumeOf(const QList<Volume>& volumes, const QString& path);
std::optional<Volume> volumeForDriveText(const QList<Volume>& volumes, const QString& text);

} // namespace selection
