#pragma once

#include "selection/volumes.h"

#include <QHash>
#include <QListWidget>

namespace selection {

// The folder list: the current folder's ancestors from its volume's root, then its sub-folders.
// A single click only selects an entry; a double-click or Enter enters it. Assigning another
// path emits changed() before the assignment returns.
class DirListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit DirListBox(const Volumes& volumes, QWidget* parent = nullptr);

    [[nodiscard]] QString path() const { return m_path; }

    // Moves to the folder. When it cannot be read the list stays where it was, lastError()
    // says why and false is returned.
    bool setPath(const QString& folder);
    // Moves to the drive's current folder: the last one visited on it in this run, else its
    // root (the working folder for the working folder's drive).
    bool setDrive(const QString& driveText);

    [[nodiscard]] QString lastError() const { return m_lastError; }
    [[nodiscard]] QString selectedPath() const;

signals:
    void changed();
    void clicked();
    // A folder the user tried to enter could not be read.
    void failed(const QString& message);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void populate(const struct FolderListing& listing);
    void enterItem(QListWidgetItem* item);

    const Volumes& m_volumes;
    QString m_path;
    QString m_lastError;
    QHash<QString, QString> m_currentFolderByRoot;
};

} // namespace selection
