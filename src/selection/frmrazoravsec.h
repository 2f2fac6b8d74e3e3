#pragma once

#include "common/notifier.h"

#include <QString>
#include <QWidget>

#include <functional>

class QAction;
class QLabel;
class QPushButton;

namespace selection {

class DirListBox;
class DriveListBox;
class FileListBox;
class FolderMemory;
struct OpenRequest;
class SelectionCommands;
class Volumes;

// What the selection window works with, handed in by whoever creates it.
struct SelectionContext
{
    const Volumes& volumes;
    const FolderMemory& memory;
    SelectionCommands& commands;
    QString programFolder;
    // Shows a failure to the user; empty: a warning box over the window. Tests record instead.
    common::Notifier reporter;
};

// The selection window: drive, folder and file lists, Show and Support buttons, the version; the
// folder check, the mizan and the ekstre from the lists' context menu or Alt+K, Alt+M and Alt+E, which keeps
// the designed face of the window.
class frmRazoravSec : public QWidget
{
    Q_OBJECT

public:
    explicit frmRazoravSec(SelectionContext context, QWidget* parent = nullptr);

    // A file named on the command line: the lists go to its drive and folder, it is selected and
    // shown as Show shows it; a refused file is reported and the lists stay where they are.
    void openRequested(const OpenRequest& request);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void layOutControls();
    void connectHandlers();

    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void Dir1_Click();
    void File1_DblClick();
    void cmdGoster_Click();
    void cmdYazdir_Click();
    void cmdDenetle_Triggered();
    void cmdMizan_Triggered();
    void cmdEkstre_Triggered();
    void Form_DblClick();
    void Form_QueryUnload();
    void Form_Unload();

    void runShow();
    bool applyPlace(const QString& place);
    void report(const QString& message);
    [[nodiscard]] QString driveTextOf(const QString& folder) const;

    SelectionContext m_context;
    bool m_closing = false;
    bool m_memoryFailureReported = false;

    QPushButton* const m_cmdGoster;
    DriveListBox* const m_drive1;
    DirListBox* const m_dir1;
    FileListBox* const m_file1;
    QPushButton* const m_cmdYazdir;
    QLabel* const m_lblVER;
    QAction* const m_cmdDenetle;
    QAction* const m_cmdMizan;
    QAction* const m_cmdEkstre;
};

} // namespace selection
