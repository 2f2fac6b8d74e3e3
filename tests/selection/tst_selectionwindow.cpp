#include "selection/dirlistbox.h"
#include "selection/drivelistbox.h"
#include "selection/filelistbox.h"
#include "selection/foldercheck.h"
#include "selection/foldermemory.h"
#include "selection/frmrazoravsec.h"
#include "selection/openwith.h"
#include "selection/selectioncommands.h"
#include "selection/showcommand.h"
#include "selection/volumes.h"
#include "viewer/documentrunner.h"
#include "viewer/ledgertotals.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace selection;

namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

class FakeVolumes final : public Volumes
{
public:
    QList<Volume> volumes;
    [[nodiscard]] QList<Volume> list() const override { return volumes; }
};

class RecordingCommands final : public SelectionCommands
{
public:
    QStringList calls;
    void show(const QString& folder, const QString& fileName) override { calls << "show " + folder + '|' + fileName; }
    void checkFolder(const QString& folder, QWidget*) override { calls << "check " + folder; }
    void totals(viewer::TotalsKind kind, const QString& folder, QWidget*) override
    {
        calls << (kind == viewer::TotalsKind::Mizan ? "mizan " : "ekstre ") + folder;
    }
    void support(QWidget*) override { calls << QStringLiteral("support"); }
    void about(QWidget*) override { calls << QStringLiteral("about"); }
};

class RecordingViewer final : public LedgerViewer
{
public:
    QStringList shown;
    bool ensureOpen() override { return false; }
    void navigate(const QString& urlText) override { shown << urlText; }
};

// Runs until told to stop, as a check of a large folder would.
ledgerset::FolderReport slowCheck(const QString&, const ledgerset::CheckOptions& options,
                                  const std::atomic_bool* cancel)
{
    for (qint64 done = 0; !cancel->load(); ++done) {
        options.progress(done, 1'000'000);
        QThread::msleep(5);
    }
    ledgerset::FolderReport report;
    report.cancelled = true;
    return report;
}

ledgerset::FolderReport oneSetChecked(const QString& folder, const ledgerset::CheckOptions&, const std::atomic_bool*)
{
    ledgerset::FolderReport report;
    report.ok = true;
    report.root = folder;
    ledgerset::SetReport set{"1234567890", 2025, {}, {}};
    set.findings.append({ledgerset::FindingCode::DrCount, ledgerset::Severity::Error, "2025-02", "", "", "eksik"});
    report.sets = {set};
    return report;
}

ledgerset::FolderReport unreadableFolder(const QString&, const ledgerset::CheckOptions&, const std::atomic_bool*)
{
    return {common::Outcome::failure(QStringLiteral("Klasör okunamadı")), {}, {}, {}};
}

void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QListWidgetItem* itemNamed(QListWidget* list, const QString& name)
{
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.constFirst();
}

// Item views act on a double-click only after the press that starts it.
void doubleClick(QListWidget* list, QListWidgetItem* item)
{
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

QStringList texts(const QListWidget* list)
{
    QStringList result;
    for (int i = 0; i < list->count(); ++i) {
        result << list->item(i)->text();
    }
    return result;
}

} // namespace

class TestSelectionWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layout_matchesDesign_data();
    void layout_matchesDesign();
    void texts_fonts_focusAndTabOrder();

    void firstRun_opensProgramFolder_andRemembersIt();
    void firstRun_startedInProgramFolder_writesNothingYet();
    void rememberedFolder_isRestored_withSpacesAndTurkishLetters();
    void rememberedFolderGone_opensWorkingFolder_andLeavesMemoryAlone();
    void rememberedDrive_isAppliedBeforeFolder();

    void driveChange_movesFolderThenFilesThenSaves();
    void driveChange_returnsToLastFolderVisitedOnThatDrive();
    void singleClickOnFolder_rereadsFiles_withoutChangingFolder();
    void doubleClickOrEnterOnFolder_entersIt_data();
    void doubleClickOrEnterOnFolder_entersIt();

    void show_withNothingSelected_doesNothing();
    void show_fromButtonAndFileDoubleClick();
    void backgroundDoubleClick_opensAbout_labelDoubleClickDoesNot();
    void supportButton_runsSupport();
    void commands_fromAltKeys_andBothListsMenus_data();
    void commands_fromAltKeys_andBothListsMenus();
    void folderCheck_showsReport_orNothingWhenStopped_data();
    void folderCheck_showsReport_orNothingWhenStopped();
    void totals_showDocument_orTellWhy_data();
    void totals_showDocument_orTellWhy();

    void vanishedFolder_reportsAndStays();
    void driveNotReady_reportsAndStaysOnLastDrive();
    void unplugDrive_chosenFromList_reportsAndStays();
    void memoryCannotBeWritten_reportedOnceAndKeepsWorking();

    void openWith_data();
    void openWith();

    void closing_endsWithEveryOtherWindow();

private:
    std::unique_ptr<frmRazoravSec> makeWindow(const QString& memoryFile = {});
    QString path(const QString& relative) const { return native(m_root->filePath(relative)); }

    std::unique_ptr<QTemporaryDir> m_root;
    FakeVolumes m_volumes;
    std::unique_ptr<FolderMemory> m_memory;
    RecordingCommands m_commands;
    QStringList m_messages;
    QString m_savedCurrent;
};

void TestSelectionWindow::init()
{
    QStandardPaths::setTestModeEnabled(true); // never the developer's own settings
    m_root = std::make_unique<QTemporaryDir>();
    QDir root(m_root->path());
    for (const char* folder : {"prog", "work", "vol2/Defter 2025/Şubat", "Müşteri Defterleri/2025 Ocak/alt"}) {
        QVERIFY(root.mkpath(QString::fromUtf8(folder)));
    }
    touch(path("prog/1234567890-202501-Y-000000.xml"));
    touch(path("Müşteri Defterleri/2025 Ocak/1234567890-202501-Y-000001.xml"));
    touch(path("Müşteri Defterleri/2025 Ocak/1234567890-202501-YB-000001.xml"));
    touch(path("Müşteri Defterleri/2025 Ocak/notlar.txt"));
    touch(path("vol2/Defter 2025/GIB-1234567890-202502-KB-000000.xml"));
    m_volumes.volumes = {{native("/"), {}}, {path("vol2"), QStringLiteral("YEDEK")}};
    m_memory = std::make_unique<FolderMemory>(path("prog/dir.log"));
    m_commands.calls.clear();
    m_messages.clear();
    m_savedCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(path("work")));
}

void TestSelectionWindow::cleanup()
{
    QDir::setCurrent(m_savedCurrent);
}

std::unique_ptr<frmRazoravSec> TestSelectionWindow::makeWindow(const QString& memoryFile)
{
    if (!memoryFile.isEmpty()) {
        m_memory = std::make_unique<FolderMemory>(memoryFile);
    }
    SelectionContext context{m_volumes, *m_memory, m_commands, path("prog")};
    context.reporter = [this](const QString& message) {
        m_messages << message;
    };
    return std::make_unique<frmRazoravSec>(std::move(context));
}

void TestSelectionWindow::layout_matchesDesign_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("cmdGoster") << "cmdGoster" << QRect(87, 472, 133, 33);
    QTest::newRow("Drive1") << "Drive1" << QRect(4, 4, 437, 32);
    QTest::newRow("Dir1") << "Dir1" << QRect(4, 40, 437, 266);
    QTest::newRow("File1") << "File1" << QRect(4, 312, 437, 150);
    QTest::newRow("cmdYazdir") << "cmdYazdir" << QRect(232, 472, 133, 33);
    QTest::newRow("lblVER") << "lblVER" << QRect(372, 476, 65, 25);
}

void TestSelectionWindow::layout_matchesDesign()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    const auto window = makeWindow();
    QCOMPARE(window->size(), QSize(449, 517));
    auto* control = window->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
}

void TestSelectionWindow::texts_fonts_focusAndTabOrder()
{
    const auto window = makeWindow();
    QCOMPARE(window->windowTitle(), QStringLiteral("Pelvora E-Defter ve E-Defter Berat Yazıdırma Yardımcısı"));
    QVERIFY(!window->windowIcon().isNull());
    QVERIFY(!(window->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));

    auto* show = window->findChild<QPushButton*>(QStringLiteral("cmdGoster"));
    auto* support = window->findChild<QPushButton*>(QStringLiteral("cmdYazdir"));
    auto* version = window->findChild<QLabel*>(QStringLiteral("lblVER"));
    QCOMPARE(show->text(), QStringLiteral("Görüntüle"));
    QCOMPARE(support->text(), QStringLiteral("&Destek"));
    QCOMPARE(version->text(), QStringLiteral("v0.0.25"));
    QCOMPARE(show->font().pointSizeF(), 12.0);
    QVERIFY(show->font().bold());
    QCOMPARE(window->findChild<QWidget*>(QStringLiteral("Dir1"))->font().pointSizeF(), 13.5);
    QVERIFY(!version->font().bold());

    QCOMPARE(window->focusWidget(), show);
    QStringList chain;
    for (QWidget* w = show; chain.size() < 5; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus) {
            chain << w->objectName();
        }
    }
    QCOMPARE(chain, (QStringList{"cmdGoster", "Drive1", "Dir1", "File1", "cmdYazdir"}));
}

void TestSelectionWindow::firstRun_opensProgramFolder_andRemembersIt()
{
    const auto window = makeWindow();
    QCOMPARE(window->findChild<DirListBox*>()->path(), path("prog"));
    QCOMPARE(texts(window->findChild<FileListBox*>()), QStringList{"1234567890-202501-Y-000000.xml"});
    QCOMPARE(readAll(path("prog/dir.log")), ("/\t" + path("prog") + "\r\n").toUtf8());
    QVERIFY(m_messages.isEmpty());
}

void TestSelectionWindow::firstRun_startedInProgramFolder_writesNothingYet()
{
    QVERIFY(QDir::setCurrent(path("prog")));
    const auto window = makeWindow();
    QCOMPARE(window->findChild<DirListBox*>()->path(), path("prog"));
    QVERIFY(!QFile::exists(path("prog/dir.log")));
}

void TestSelectionWindow::rememberedFolder_isRestored_withSpacesAndTurkishLetters()
{
    const QString folder = path("Müşteri Defterleri/2025 Ocak");
    QVERIFY(m_memory->save(QStringLiteral("/"), folder).isEmpty());
    const auto window = makeWindow();
    QCOMPARE(window->findChild<DirListBox*>()->path(), folder);
    QCOMPARE(texts(window->findChild<FileListBox*>()),
             (QStringList{"1234567890-202501-Y-000001.xml", "1234567890-202501-YB-000001.xml"}));
    QCOMPARE(readAll(path("prog/dir.log")), ("/\t" + folder + "\r\n").toUtf8());
}

void TestSelectionWindow::rememberedFolderGone_opensWorkingFolder_andLeavesMemoryAlone()
{
    const QByteArray remembered = ("/\t" + path("silinmiş klasör") + "\r\n").toUtf8();
    QFile file(path("prog/dir.log"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(remembered);
    file.close();
    const auto window = makeWindow();
    QCOMPARE(window->findChild<DirListBox*>()->path(), path("work"));
    QCOMPARE(readAll(path("prog/dir.log")), remembered);
    QVERIFY(m_messages.isEmpty());
}

void TestSelectionWindow::rememberedDrive_isAppliedBeforeFolder()
{
    const QString folder = path("vol2/Defter 2025");
    QVERIFY(m_memory->save(QStringLiteral("%1 [YEDEK]").arg(path("vol2")), folder).isEmpty());
    const auto window = makeWindow();
    QCOMPARE(window->findChild<DriveListBox*>()->drive(), path("vol2") + " [YEDEK]");
    QCOMPARE(window->findChild<DirListBox*>()->path(), folder);
    QCOMPARE(readAll(path("prog/dir.log")), (path("vol2") + " [YEDEK]\t" + folder + "\r\n").toUtf8());
}

void TestSelectionWindow::driveChange_movesFolderThenFilesThenSaves()
{
    const auto window = makeWindow();
    auto* drive = window->findChild<DriveListBox*>();
    auto* dir = window->findChild<DirListBox*>();
    auto* files = window->findChild<FileListBox*>();
    QStringList events;
    // Connected after the window's own handlers, so each record sees what they left behind.
    connect(drive, &DriveListBox::changed, this, [&] { events << "drive " + drive->drive(); });
    connect(dir, &DirListBox::changed, this, [&] {
        events << "folder " + dir->path() + " files " + files->path() + " memory " +
                      QString::fromUtf8(readAll(m_memory->filePath())).trimmed();
    });

    const QString volume = path("vol2") + " [YEDEK]";
    QVERIFY(drive->setDrive(volume));
    // The folder's change runs nested inside the drive's handler, before the assignment returns,
    // so it is recorded before the drive's own record.
    const QStringList expected{"folder " + path("vol2") + " files " + path("vol2") + " memory " + volume + '\t' +
                                   path("vol2"),
                               "drive " + volume};
    QCOMPARE(events, expected);
    QVERIFY(m_messages.isEmpty());

    events.clear();
    QVERIFY(drive->setDrive(volume));
    QVERIFY2(events.isEmpty(), "choosing the same drive again changes nothing");
}

void TestSelectionWindow::driveChange_returnsToLastFolderVisitedOnThatDrive()
{
    const auto window = makeWindow();
    auto* drive = window->findChild<DriveListBox*>();
    auto* dir = window->findChild<DirListBox*>();
    QVERIFY(drive->setDrive(path("vol2") + " [YEDEK]"));
    QVERIFY(dir->setPath(path("vol2/Defter 2025/Şubat")));
    QVERIFY(drive->setDrive(QStringLiteral("/")));
    QCOMPARE(dir->path(), path("prog"));
    QVERIFY(drive->setDrive(path("vol2") + " [YEDEK]"));
    QCOMPARE(dir->path(), path("vol2/Defter 2025/Şubat"));
}

void TestSelectionWindow::singleClickOnFolder_rereadsFiles_withoutChangingFolder()
{
    const auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* dir = window->findChild<DirListBox*>();
    auto* files = window->findChild<FileListBox*>();
    QVERIFY(dir->setPath(path("Müşteri Defterleri/2025 Ocak")));
    touch(path("Müşteri Defterleri/2025 Ocak/1234567890-202501-DR-000001.xml"));
    QCOMPARE(files->count(), 2);

    QListWidgetItem* child = itemNamed(dir, QStringLiteral("alt"));
    QVERIFY(child);
    QTest::mouseClick(dir->viewport(), Qt::LeftButton, {}, dir->visualItemRect(child).center());
    QCOMPARE(dir->path(), path("Müşteri Defterleri/2025 Ocak"));
    QCOMPARE(dir->currentItem(), child);
    QCOMPARE(files->count(), 3);
    QCOMPARE(files->path(), path("Müşteri Defterleri/2025 Ocak"));
}

void TestSelectionWindow::doubleClickOrEnterOnFolder_entersIt_data()
{
    QTest::addColumn<bool>("byKeyboard");
    QTest::newRow("double-click") << false;
    QTest::newRow("enter") << true;
}

void TestSelectionWindow::doubleClickOrEnterOnFolder_entersIt()
{
    QFETCH(bool, byKeyboard);
    const auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* dir = window->findChild<DirListBox*>();
    QVERIFY(dir->setPath(path("Müşteri Defterleri")));
    QListWidgetItem* child = itemNamed(dir, QStringLiteral("2025 Ocak"));
    QVERIFY(child);
    if (byKeyboard) {
        dir->setFocus();
        dir->setCurrentItem(child);
        QTest::keyClick(dir, Qt::Key_Return);
    } else {
        doubleClick(dir, child);
    }
    QCOMPARE(dir->path(), path("Müşteri Defterleri/2025 Ocak"));
    QCOMPARE(window->findChild<FileListBox*>()->count(), 2);
    QCOMPARE(readAll(path("prog/dir.log")), ("/\t" + path("Müşteri Defterleri/2025 Ocak") + "\r\n").toUtf8());
}

void TestSelectionWindow::show_withNothingSelected_doesNothing()
{
    const auto window = makeWindow();
    window->findChild<QPushButton*>(QStringLiteral("cmdGoster"))->click();
    QVERIFY(m_commands.calls.isEmpty());
}

void TestSelectionWindow::show_fromButtonAndFileDoubleClick()
{
    const auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* files = window->findChild<FileListBox*>();
    files->setCurrentRow(0);
    window->findChild<QPushButton*>(QStringLiteral("cmdGoster"))->click();
    const QString expected = "show " + path("prog") + "|1234567890-202501-Y-000000.xml";
    QCOMPARE(m_commands.calls, QStringList{expected});

    doubleClick(files, files->item(0));
    QCOMPARE(m_commands.calls, (QStringList{expected, expected}));
}

void TestSelectionWindow::backgroundDoubleClick_opensAbout_labelDoubleClickDoesNot()
{
    const auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTest::mouseDClick(window->findChild<QLabel*>(QStringLiteral("lblVER")), Qt::LeftButton);
    QVERIFY(m_commands.calls.isEmpty());
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(20, 490));
    QCOMPARE(m_commands.calls, QStringList{"about"});
}

void TestSelectionWindow::supportButton_runsSupport()
{
    const auto window = makeWindow();
    window->findChild<QPushButton*>(QStringLiteral("cmdYazdir"))->click();
    QCOMPARE(m_commands.calls, QStringList{"support"});
}

void TestSelectionWindow::commands_fromAltKeys_andBothListsMenus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("call");
    QTest::newRow("folder check") << "cmdDenetle"
                                  << "&Klasörü denetle" << int(Qt::Key_K) << "check ";
    QTest::newRow("mizan") << "cmdMizan"
                           << "&Mizan" << int(Qt::Key_M) << "mizan ";
    QTest::newRow("ekstre") << "cmdEkstre"
                            << "Hesap &ekstresi" << int(Qt::Key_E) << "ekstre ";
}

// No more buttons: the designed face stays (layout_matchesDesign), the commands are a key and a menu away.
void TestSelectionWindow::commands_fromAltKeys_andBothListsMenus()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(int, key);
    QFETCH(QString, call);
    const auto window = makeWindow();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    auto* command = window->findChild<QAction*>(name);
    QVERIFY(command);
    QCOMPARE(command->text(), text);
    for (const char* list : {"Dir1", "File1"}) {
        auto* widget = window->findChild<QWidget*>(QString::fromLatin1(list));
        QVERIFY(widget->actions().contains(command));
        QCOMPARE(widget->contextMenuPolicy(), Qt::ActionsContextMenu);
    }
    QTest::keyClick(window.get(), Qt::Key(key), Qt::AltModifier);
    QCOMPARE(m_commands.calls, QStringList{call + path("prog")});
}

void TestSelectionWindow::folderCheck_showsReport_orNothingWhenStopped_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("checked") << "checked" << true << QStringList{};
    QTest::newRow("İptal") << "İptal" << false << QStringList{};
    QTest::newRow("a new Show") << "a new Show" << false << QStringList{};
    QTest::newRow("failed") << "failed" << false << QStringList{"Klasör okunamadı"};
}

void TestSelectionWindow::folderCheck_showsReport_orNothingWhenStopped()
{
    QFETCH(QString, how);
    QFETCH(bool, shown);
    QFETCH(QStringList, messages);
    QWidget owner;
    RecordingViewer viewer;
    viewer::DocumentRunner runner([&viewer](const QString& made) { showDocument(viewer, made); });
    runner.setReporter([this](const QString& message) { m_messages << message; });
    QSignalSpy finished(&runner, &viewer::DocumentRunner::finished);

    runner.start(folderCheckTask(path("prog"), path("raporlar"),
                                 how == "checked"  ? oneSetChecked
                                 : how == "failed" ? unreadableFolder
                                                   : slowCheck),
                 &owner);
    QVERIFY(runner.isRunning());
    if (how == "İptal") {
        QTest::qWait(50);
        auto* progress = owner.findChild<QProgressDialog*>(QStringLiteral("dlgIlerleme"));
        progress->findChild<QPushButton*>()->click();
    } else if (how == "a new Show") {
        runner.cancel();
    }
    if (finished.isEmpty()) {
        QVERIFY(finished.wait(5000));
    }
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toBool(), shown);
    QVERIFY(!runner.isRunning());
    QVERIFY(!owner.findChild<QProgressDialog*>());
    QCOMPARE(m_messages, messages);
    const QStringList written = QDir(path("raporlar")).entryList(QDir::Files);
    QCOMPARE(written.size(), shown ? 1 : 0);
    if (shown) {
        QVERIFY(written.first().startsWith(QLatin1String("1234567890-")));
        QCOMPARE(viewer.shown, QStringList{ledgerUrlText(QDir(path("raporlar")).absolutePath(), written.first())});
        QVERIFY(readAll(path("raporlar/" + written.first())).contains("code=\"dr_count\""));
    } else {
        QVERIFY(viewer.shown.isEmpty());
    }
}

void TestSelectionWindow::totals_showDocument_orTellWhy_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("files"); // in defter/; "journal": the sample journal, in a subfolder
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QString>("asked"); // the range the dialog offered; empty: never asked
    QTest::addColumn<QString>("made");  // the document's name starts so; empty: nothing shown
    QTest::addColumn<QString>("message");
    const int mizan = int(viewer::TotalsKind::Mizan);
    const int ekstre = int(viewer::TotalsKind::Ekstre);
    QTest::newRow("mizan") << mizan << QStringList{"journal"} << true << "2024-03 2024-03"
                           << "mizan-4840012345-"
                           << "";
    QTest::newRow("ekstre") << ekstre << QStringList{"journal"} << true << "2024-03 2024-03"
                            << "ekstre-4840012345-102"
                            << "";
    // The whole year of the latest month, clipped to the months there are.
    QTest::newRow("Vazgeç") << mizan
                            << QStringList{"1234567890-202411-Y-000000.xml", "1234567890-202501-Y-000000.xml",
                                           "1234567890-202503-Y-000001.xml", "1234567890-202504-K-000000.xml"}
                            << false << "2025-01 2025-03"
                            << ""
                            << "";
    QTest::newRow("empty journal") << mizan << QStringList{"1234567890-202501-Y-000000.xml"} << true
                                   << "2025-01 2025-01"
                                   << ""
                                   << "okunamadı: dosya boş";
    QTest::newRow("no journals") << ekstre << QStringList{"1234567890-202501-K-000000.xml"} << true << ""
                                 << ""
                                 << "yevmiye defteri yok";
    QTest::newRow("two taxpayers") << mizan
                                   << QStringList{"1234567890-202501-Y-000000.xml", "9876543210-202501-Y-000000.xml"}
                                   << true << ""
                                   << ""
                                   << "1234567890, 9876543210";
}

void TestSelectionWindow::totals_showDocument_orTellWhy()
{
    QFETCH(int, kind);
    QFETCH(QStringList, files);
    QFETCH(bool, answered);
    QFETCH(QString, asked);
    QFETCH(QString, made);
    QFETCH(QString, message);
    QVERIFY(QDir().mkpath(path("defter/2024")));
    for (const QString& file : files) {
        if (file == "journal") {
            QVERIFY(QFile::copy(QStringLiteral(TEST_SOURCE_DIR "/tests/data/ledgers/4840012345-202403-Y-000000.xml"),
                                path("defter/2024/4840012345-202403-Y-000000.xml")));
        } else {
            touch(path("defter/" + file));
        }
    }
    RecordingViewer viewer;
    viewer::DocumentRunner runner([&viewer](const QString& document) { showDocument(viewer, document); });
    viewer::TotalsCommand command(runner, path("belgeler"));
    command.setReporter([this](const QString& text) { m_messages << text; });
    runner.setReporter([this](const QString& text) { m_messages << text; });
    QString offered;
    command.setAsk([&](const viewer::TotalsRequest& request, QWidget*) -> std::optional<viewer::TotalsRange> {
        offered = request.defaults.from + ' ' + request.defaults.to;
        return answered ? std::optional(viewer::TotalsRange{request.defaults.from, request.defaults.to, "102"})
                        : std::nullopt;
    });
    QSignalSpy finished(&runner, &viewer::DocumentRunner::finished);
    QWidget owner;
    command.run(viewer::requestForFolder(viewer::TotalsKind(kind), path("defter")), &owner);
    if (runner.isRunning()) {
        QVERIFY(finished.wait(10000));
    }
    QCOMPARE(offered, asked);
    QCOMPARE(m_messages.size(), message.isEmpty() ? 0 : 1);
    QVERIFY2(message.isEmpty() || m_messages.constFirst().contains(message), qPrintable(m_messages.join(" / ")));
    const QStringList written = QDir(path("belgeler")).entryList(QDir::Files);
    QCOMPARE(written.size(), made.isEmpty() ? 0 : 1);
    QCOMPARE(viewer.shown.size(), written.size());
    if (!made.isEmpty()) {
        QVERIFY2(written.constFirst().startsWith(made), qPrintable(written.constFirst()));
        QCOMPARE(viewer.shown, QStringList{ledgerUrlText(QDir(path("belgeler")).absolutePath(), written.first())});
    }
}

void TestSelectionWindow::vanishedFolder_reportsAndStays()
{
    const auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* dir = window->findChild<DirListBox*>();
    QVERIFY(dir->setPath(path("Müşteri Defterleri/2025 Ocak")));
    QListWidgetItem* child = itemNamed(dir, QStringLiteral("alt"));
    QVERIFY(QDir(path("Müşteri Defterleri/2025 Ocak/alt")).removeRecursively());
    doubleClick(dir, child);

    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.constFirst().contains(path("Müşteri Defterleri/2025 Ocak/alt")), qPrintable(m_messages[0]));
    QCOMPARE(dir->path(), path("Müşteri Defterleri/2025 Ocak"));
    QCOMPARE(window->findChild<FileListBox*>()->count(), 2);
}

void TestSelectionWindow::driveNotReady_reportsAndStaysOnLastDrive()
{
    const auto window = makeWindow();
    auto* drive = window->findChild<DriveListBox*>();
    auto* dir = window->findChild<DirListBox*>();
    QVERIFY(QDir(path("vol2")).removeRecursively()); // still listed, but nothing can be read there
    QVERIFY(drive->setDrive(path("vol2") + " [YEDEK]"));

    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.constFirst().contains(QStringLiteral("hazır değil")), qPrintable(m_messages[0]));
    QCOMPARE(drive->drive(), QStringLiteral("/"));
    QCOMPARE(drive->currentText(), QStringLiteral("/"));
    QCOMPARE(dir->path(), path("prog"));
}

void TestSelectionWindow::unplugDrive_chosenFromList_reportsAndStays()
{
    const auto window = makeWindow();
    auto* drive = window->findChild<DriveListBox*>();
    const int index = drive->findText(path("vol2") + " [YEDEK]");
    QVERIFY(index > 0);
    m_volumes.volumes.removeLast();
    emit drive->activated(index);

    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(drive->drive(), QStringLiteral("/"));
    QCOMPARE(window->findChild<DirListBox*>()->path(), path("prog"));
}

void TestSelectionWindow::memoryCannotBeWritten_reportedOnceAndKeepsWorking()
{
    touch(path("engel"));
    const auto window = makeWindow(path("engel/dir.log"));
    QCOMPARE(m_messages.size(), 1); // the first folder change at start-up
    QVERIFY2(m_messages.constFirst().contains(QStringLiteral("dir.log")), qPrintable(m_messages.constFirst()));
    auto* dir = window->findChild<DirListBox*>();
    QVERIFY(dir->setPath(path("Müşteri Defterleri/2025 Ocak")));
    QVERIFY(dir->setPath(path("Müşteri Defterleri")));
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(dir->path(), path("Müşteri Defterleri"));
}

void TestSelectionWindow::openWith_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("folder"); // where the lists end up
    QTest::addColumn<QString>("shown");  // empty: nothing shown, one message
    QTest::newRow("ledger on another drive") << "vol2/Defter 2025/GIB-1234567890-202502-KB-000000.xml"
                                             << "vol2/Defter 2025"
                                             << "GIB-1234567890-202502-KB-000000.xml";
    QTest::newRow("missing file") << "vol2/Defter 2025/silindi.xml"
                                  << "prog"
                                  << "";
    QTest::newRow("not XML") << "Müşteri Defterleri/2025 Ocak/notlar.txt"
                             << "prog"
                             << "";
}

void TestSelectionWindow::openWith()
{
    QFETCH(QString, file);
    QFETCH(QString, folder);
    QFETCH(QString, shown);
    const auto window = makeWindow();
    QFile ledger(path("vol2/Defter 2025/GIB-1234567890-202502-KB-000000.xml"));
    QVERIFY(ledger.open(QIODevice::WriteOnly) && ledger.write("<defter/>") > 0);
    ledger.close();
    window->openRequested(decideOpen({path(file)}, path("work")));

    QCOMPARE(window->findChild<DirListBox*>()->path(), path(folder));
    QCOMPARE(m_commands.calls, shown.isEmpty() ? QStringList() : QStringList{"show " + path(folder) + '|' + shown});
    QCOMPARE(window->findChild<FileListBox*>()->fileName(), shown);
    QCOMPARE(m_messages.size(), shown.isEmpty() ? 1 : 0);
    if (!shown.isEmpty()) {
        QCOMPARE(window->findChild<DriveListBox*>()->drive(), path("vol2") + " [YEDEK]");
    }
}

void TestSelectionWindow::closing_endsWithEveryOtherWindow()
{
    const auto window = makeWindow();
    QWidget other;
    other.show();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->close();
    QVERIFY(!other.isVisible());
}

QTEST_MAIN(TestSelectionWindow)
#include "tst_selectionwindow.moc"
