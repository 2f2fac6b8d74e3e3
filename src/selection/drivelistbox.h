#pragma once

#include "selection/volumes.h"

#include <QComboBox>

namespace selection {

// The drive list: one entry per volume. Assigning another drive emits changed() before the
// assignment returns, as does the user's choice.
class DriveListBox : public QComboBox
{
    Q_OBJECT

public:
    explicit DriveListBox(const Volumes& volumes, QWidget* parent = nullptr);

    [[nodiscard]] QString drive() const { return m_drive; }
    [[nodiscard]] const Volumes& volumes() const { return m_volumes; }

    // Selects the drive a drive text names; false when no such drive is there.
    bool setDrive(const QString& text);
    // Puts the list back on a drive without announcing it (after a drive that could not be read).
    void revertTo(const QString& text);

    void showPopup() override;

signals:
    void changed();
    // The user chose a drive that is no longer there; the list stays where it was.
    void failed(const QString& message);

private:
    void reload();
    [[nodiscard]] QStringList itemTexts() const;
    void onActivated(int index);

    const Volumes& m_volumes;
    QString m_drive;
};

} // namespace selection
