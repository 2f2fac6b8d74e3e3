#include "selection/drivelistbox.h"

#include <QDir>
#include <QSignalBlocker>

namespace selection {

DriveListBox::DriveListBox(const Volumes& volumes, QWidget* parent) : QComboBox(parent), m_volumes(volumes)
{
    reload();
    const std::optional<Volume> current = volumeOf(m_volumes.list(), QDir::toNativeSeparators(QDir::currentPath()));
    if (current) {
        revertTo(driveText(*current));
    }
    connect(this, &QComboBox::activated, this, &DriveListBox::onActivated);
}

bool DriveListBox::setDrive(const QString& text)
{
    reload();
    const std::optional<Volume> volume = volumeForDriveText(m_volumes.list(), text);
    if (!volume) {
        return false;
    }
    const QString newDrive = driveText(*volume);
    const bool isChange = newDrive != m_drive;
    revertTo(newDrive);
    if (isChange) {
        emit changed();
    }
    return true;
}

void DriveListBox::revertTo(const QString& text)
{
    const QSignalBlocker blocker(this);
    const int index = findText(text);
    if (index >= 0) {
        setCurrentIndex(index);
    }
    m_drive = text;
}

void DriveListBox::showPopup()
{
    // Volumes come and go (a USB stick); read them afresh each time the list opens.
    reload();
    QComboBox::showPopup();
}

void DriveListBox::reload()
{
    const QSignalBlocker blocker(this);
    QStringList texts;
    for (const Volume& volume : m_volumes.list()) {
        texts.append(driveText(volume));
    }
    if (!m_drive.isEmpty() && !texts.contains(m_drive)) {
        texts.append(m_drive); // the current drive stays visible until another is chosen
    }
    if (texts == itemTexts()) {
        return;
    }
    clear();
    addItems(texts);
    setCurrentIndex(findText(m_drive));
}

QStringList DriveListBox::itemTexts() const
{
    QStringList texts;
    for (int i = 0; i < count(); ++i) {
        texts.append(itemText(i));
    }
    return texts;
}

void DriveListBox::onActivated(int index)
{
    const QString chosen = itemText(index);
    if (!setDrive(chosen)) {
        revertTo(m_drive);
        emit failed(QStringLiteral("“%1” sürücüsü hazır değil: artık bağlı görünmüyor.").arg(chosen));
    }
}

} // namespace selection
