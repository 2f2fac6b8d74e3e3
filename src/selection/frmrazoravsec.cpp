#include "selection/frmrazoravsec.h"

#include "common/appinfo.h"
#include "common/messagebox.h"
#include "common/ui.h"
#include "selection/dirlistbox.h"
#include "selection/drivelistbox.h"
#include "selection/filelistbox.h"
#include "selection/filepattern.h"
#include "selection/foldermemory.h"
#include "selection/openwith.h"
#include "selection/selectioncommands.h"
#include "selection/volumes.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>

#include <utility>

namespace selection {

using common::twips;

frmRazoravSec::frmRazoravSec(SelectionContext context, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_context(std::move(context)), m_cmdGoster(new QPushButton(QStringLiteral("Görüntüle"), this)),
      m_drive1(new DriveListBox(m_context.volumes, this)), m_dir1(new DirListBox(m_context.volumes, this)),
      m_file1(new FileListBox(this)), m_cmdYazdir(new QPushButton(QStringLiteral("&Destek"), this)),
      m_lblVER(new QLabel(QStringLiteral("Label1"), this)),
      m_cmdDenetle(new QAction(QStringLiteral("&Klasörü denetle"), this)),
      m_cmdMizan(new QAction(QStringLiteral("&Mizan"), this)),
      m_cmdEkstre(new QAction(QStringLiteral("Hesap &ekstresi"), this))
{
    setWindowTitle(QStringLiteral("Pelvora E-Defter ve E-Defter Berat Yazıdırma Yardımcısı"));
    setWindowIcon(common::programIcon());
    layOutControls();
    m_file1->setPattern(QString::fromLatin1(kLedgerPattern));
    if (const QString error = m_file1->setPath(m_dir1->path()); !error.isEmpty()) {
        report(error);
    }
    connectHandlers();
    Form_Load();
}

void frmRazoravSec::layOutControls()
{
    setFixedSize(twips(6735), twips(7755));
    m_cmdGoster->setObjectName(QStringLiteral("cmdGoster"));
    m_drive1->setObjectName(QStringLiteral("Drive1"));
    m_dir1->setObjectName(QStringLiteral("Dir1"));
    m_file1->setObjectName(QStringLiteral("File1"));
    m_cmdYazdir->setObjectName(QStringLiteral("cmdYazdir"));
    m_lblVER->setObjectName(QStringLiteral("lblVER"));
    m_cmdDenetle->setObjectName(QStringLiteral("cmdDenetle"));
    m_cmdMizan->setObjectName(QStringLiteral("cmdMizan"));
    m_cmdEkstre->setObjectName(QStringLiteral("cmdEkstre"));

    m_cmdGoster->setGeometry(twips(1305), twips(7080), twips(1995), twips(495));
    m_drive1->setGeometry(twips(60), twips(60), twips(6555), twips(480));
    m_dir1->setGeometry(twips(60), twips(600), twips(6555), twips(3990));
    m_file1->setGeometry(twips(60), twips(4680), twips(6555), twips(2250));
    m_cmdYazdir->setGeometry(twips(3480), twips(7080), twips(1995), twips(495));
    m_lblVER->setGeometry(twips(5580), twips(7140), twips(975), twips(375));

    const QFont buttonFont = common::legacyFont(12, true);
    const QFont listFont = common::legacyFont(13.5, true);
    m_cmdGoster->setFont(buttonFont);
    m_cmdYazdir->setFont(buttonFont);
    m_drive1->setFont(listFont);
    m_dir1->setFont(listFont);
    m_file1->setFont(listFont);
    m_lblVER->setFont(common::legacyFont(13.5, false));
    QPalette grey = m_lblVER->palette();
    grey.setColor(QPalette::WindowText, palette().color(QPalette::Disabled, QPalette::WindowText));
    m_lblVER->setPalette(grey);
    m_lblVER->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    setTabOrder(m_cmdGoster, m_drive1);
    setTabOrder(m_drive1, m_dir1);
    setTabOrder(m_dir1, m_file1);
    setTabOrder(m_file1, m_cmdYazdir);
    m_cmdGoster->setFocus();

    // No room for more buttons: the commands live in both lists' context menus, and Alt+K, Alt+M and Alt+E
    // reach them anywhere.
    m_cmdDenetle->setShortcut(QKeySequence(Qt::ALT | Qt::Key_K));
    m_cmdDenetle->setToolTip(QStringLiteral("Açık klasördeki e-Defter dosyalarını ay ay denetler ve raporu gösterir"));
    m_cmdMizan->setShortcut(QKeySequence(Qt::ALT | Qt::Key_M));
    m_cmdMizan->setToolTip(QStringLiteral("Açık klasördeki yevmiye defterlerinden seçilen ayların mizanını hesaplar"));
    m_cmdEkstre->setShortcut(QKeySequence(Qt::ALT | Qt::Key_E));
    m_cmdEkstre->setToolTip(QStringLiteral("Açık klasördeki yevmiye defterlerinden bir hesabın ekstresini çıkarır"));
    const QList<QAction*> commands{m_cmdDenetle, m_cmdMizan, m_cmdEkstre};
    addActions(commands);
    for (QWidget* list : {static_cast<QWidget*>(m_dir1), static_cast<QWidget*>(m_file1)}) {
        list->addActions(commands);
        list->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
}

void frmRazoravSec::connectHandlers()
{
    connect(m_drive1, &DriveListBox::changed, this, &frmRazoravSec::Drive1_Change);
    connect(m_drive1, &DriveListBox::failed, this, &frmRazoravSec::report);
    connect(m_dir1, &DirListBox::changed, this, &frmRazoravSec::Dir1_Change);
    connect(m_dir1, &DirListBox::clicked, this, &frmRazoravSec::Dir1_Click);
    connect(m_dir1, &DirListBox::failed, this, &frmRazoravSec::report);
    connect(m_file1, &FileListBox::fileActivated, this, &frmRazoravSec::File1_DblClick);
    connect(m_cmdGoster, &QPushButton::clicked, this, &frmRazoravSec::cmdGoster_Click);
    connect(m_cmdYazdir, &QPushButton::clicked, this, &frmRazoravSec::cmdYazdir_Click);
    connect(m_cmdDenetle, &QAction::triggered, this, &frmRazoravSec::cmdDenetle_Triggered);
    connect(m_cmdMizan, &QAction::triggered, this, &frmRazoravSec::cmdMizan_Triggered);
    connect(m_cmdEkstre, &QAction::triggered, this, &frmRazoravSec::cmdEkstre_Triggered);
}

void frmRazoravSec::Form_Load()
{
    m_lblVER->setText(common::shortVersionText());
    applyPlace(m_context.memory.restore(m_context.programFolder, m_context.volumes.list()));
}

// Drive first, folder second: the folder assignment has the last word.
bool frmRazoravSec::applyPlace(const QString& place)
{
    if (place.isEmpty()) {
        return false;
    }
    const QStringList fields = place.split(QLatin1Char('\t'));
    if (!m_drive1->setDrive(fields.at(0))) {
        report(QStringLiteral("“%1” sürücüsü hazır değil: artık bağlı görünmüyor.").arg(fields.at(0)));
        return false;
    }
    if (!m_dir1->setPath(fields.value(1))) {
        report(m_dir1->lastError());
        return false;
    }
    return true;
}

void frmRazoravSec::openRequested(const OpenRequest& request)
{
    if (request.action == OpenRequest::Action::Refuse) {
        report(request.message);
    }
    if (request.action != OpenRequest::Action::Show) {
        return;
    }
    if (!applyPlace(driveTextOf(request.folder) + QLatin1Char('\t') + request.folder)) {
        return;
    }
    // A file outside the ledger pattern is not listed, yet it was asked for by name: show it anyway.
    const QList<QListWidgetItem*> found = m_file1->findItems(request.fileName, Qt::MatchExactly);
    if (!found.isEmpty()) {
        m_file1->setCurrentItem(found.constFirst());
    }
    m_context.commands.show(m_file1->path(), request.fileName);
}

void frmRazoravSec::Drive1_Change()
{
    if (m_dir1->setDrive(m_drive1->drive())) {
        return;
    }
    report(m_dir1->lastError());
    m_drive1->revertTo(driveTextOf(m_dir1->path()));
}

void frmRazoravSec::Dir1_Change()
{
    if (const QString error = m_file1->setPath(m_dir1->path()); !error.isEmpty()) {
        report(error);
    }
    const QString error = m_context.memory.save(m_drive1->drive(), m_dir1->path());
    // Once per run: the place stays unwritable, and a box at every folder change helps nobody.
    if (!error.isEmpty() && !std::exchange(m_memoryFailureReported, true)) {
        report(error);
    }
}

void frmRazoravSec::Dir1_Click()
{
    if (const QString error = m_file1->refresh(); !error.isEmpty()) {
        report(error);
    }
}

void frmRazoravSec::File1_DblClick()
{
    runShow();
}

void frmRazoravSec::cmdGoster_Click()
{
    runShow();
}

void frmRazoravSec::cmdYazdir_Click()
{
    m_context.commands.support(this);
}

void frmRazoravSec::cmdDenetle_Triggered()
{
    m_context.commands.checkFolder(m_dir1->path(), this);
}

void frmRazoravSec::cmdMizan_Triggered()
{
    m_context.commands.totals(viewer::TotalsKind::Mizan, m_dir1->path(), this);
}

void frmRazoravSec::cmdEkstre_Triggered()
{
    m_context.commands.totals(viewer::TotalsKind::Ekstre, m_dir1->path(), this);
}

void frmRazoravSec::Form_DblClick()
{
    m_context.commands.about(this);
}

// Closing is never refused: nothing needs saving, the folder memory is written at each change.
void frmRazoravSec::Form_QueryUnload()
{
    m_closing = true;
}

// Closing the selection window ends the program, with every other window.
void frmRazoravSec::Form_Unload()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible()) {
            window->close();
        }
    }
    QCoreApplication::quit();
}

void frmRazoravSec::runShow()
{
    const QString name = m_file1->fileName();
    if (name.isEmpty()) {
        return;
    }
    m_context.commands.show(m_file1->path(), name);
}

void frmRazoravSec::report(const QString& message)
{
    if (m_context.reporter) {
        m_context.reporter(message);
        return;
    }
    common::showMessage(this, message, QMessageBox::Warning);
}

QString frmRazoravSec::driveTextOf(const QString& folder) const
{
    const std::optional<Volume> volume = volumeOf(m_context.volumes.list(), folder);
    return volume ? driveText(*volume) : m_drive1->drive();
}

void frmRazoravSec::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Only the background: a double-click on a control (the version label too) is the control's.
    if (childAt(event->position().toPoint()) == nullptr) {
        Form_DblClick();
    } else {
        QWidget::mouseDoubleClickEvent(event);
    }
}

void frmRazoravSec::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_closing) {
        return;
    }
    Form_QueryUnload();
    Form_Unload();
}

} // namespace selection
