#pragma once

#include "about/sysinfolauncher.h"
#include "common/notifier.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace about {

// How much taller than `box` the text wrapped at the box's width is, rounded up to whole lines of
// the font; 0 when it fits.
int missingTextHeight(const QFont& font, const QString& text, const QSize& box);

// The About window: the program's icon, title and version, what the program is, the template date
// it follows, and a way to the system-information tool. Modal over its owner; made anew for each
// opening.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    // Without a notifier, messages are plain boxes over the window.
    frmAbout(Registry& registry, ProgramStarter& starter, QWidget* owner, common::Notifier notify = {});

    void StartSysInfo();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void layOutControls();
    void growToFitTexts();
    void connectHandlers();

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    int m_lowerBlockShift = 0; // how far the description's extra lines pushed the lower block down
    SysInfoLauncher m_launcher;

    QPushButton* const m_cmdOK;
    QLabel* const m_picIcon;
    QPushButton* const m_cmdSysInfo;
    QLabel* const m_lblDescription;
    QLabel* const m_lblDisclaimer;
    QLabel* const m_lblTitle;
    QLabel* const m_lblVersion;
};

} // namespace about
