// What a window manager and its taskbar are told about the program's windows. The suite runs on a
// display of its own with a real window manager (IceWM), so that nothing else shares it.
#include "about/aboutcommands.h"
#include "selection/programcommands.h"
#include "viewer/frmxml.h"
#include "viewer/webbrowser.h"
#include "viewertestsupport.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <sys/prctl.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <utility>

using namespace viewertest;
using viewer::frmXML;

namespace {

struct FreeReply
{
    void operator()(void* reply) const { std::free(reply); }
};

// Xvfb on a display number it picks itself, and IceWM on it; both ended with the suite.
class PrivateDesktop
{
public:
    ~PrivateDesktop()
    {
        for (QProcess* process : {&m_windowManager, &m_server}) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    // Empty when the display and the window manager run; else why not.
    QString start()
    {
        const QString server = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        const QString windowManager = QStandardPaths::findExecutable(QStringLiteral("icewm"));
        for (const auto& [path, name] : {std::pair(server, "Xvfb"), std::pair(windowManager, "icewm")}) {
            if (path.isEmpty()) {
                return QStringLiteral("%1 is not installed (scripts/setup.sh installs it)").arg(QLatin1String(name));
            }
        }
        // Should the suite crash, the server and the window manager go with it.
        for (QProcess* process : {&m_server, &m_windowManager}) {
            process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        }
        m_server.start(server, QStringLiteral("-displayfd 1 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp").split(u' '));
        QByteArray number;
        while (!number.endsWith('\n') && m_server.waitForReadyRead(10000)) {
            number += m_server.readAllStandardOutput();
        }
        if (number.trimmed().isEmpty()) {
            return QStringLiteral("Xvfb did not start: ") + QString::fromLocal8Bit(m_server.readAllStandardError());
        }
        const QByteArray display = ':' + number.trimmed();
        qputenv("DISPLAY", display);
        qputenv("QT_QPA_PLATFORM", "xcb");
        // Its own settings folder: a user's IceWM preferences must not change what is measured.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ICEWM_PRIVCFG"), m_settings.path());
        m_windowManager.setProcessEnvironment(environment);
        m_windowManager.setStandardOutputFile(QProcess::nullDevice());
        m_windowManager.setStandardErrorFile(QProcess::nullDevice());
        m_windowManager.start(windowManager, {});
        if (!m_windowManager.waitForStarted(10000)) {
            return QStringLiteral("icewm did not start: ") + m_windowManager.errorString();
        }
        return {};
    }

private:
    QProcess m_server;
    QProcess m_windowManager;
    QTemporaryDir m_settings;
};

// The X server as the window manager and a taskbar read it.
class XServer
{
public:
    XServer() : m_connection(qApp->nativeInterface<QNativeInterface::QX11Application>()->connection())
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }

    xcb_atom_t atom(const char* name) const
    {
        const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(qstrlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    QString atomName(xcb_atom_t atom) const
    {
        const std::unique_ptr<xcb_get_atom_name_reply_t, FreeReply> reply(
            xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr));
        return reply ? QString::fromLatin1(xcb_get_atom_name_name(reply.get()),
                                           xcb_get_atom_name_name_length(reply.get()))
                     : QString();
    }

    QList<quint32> values(xcb_window_t window, const char* property, xcb_atom_t type) const
    {
        const std::unique_ptr<xcb_get_property_reply_t, FreeReply> reply(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, atom(property), type, 0, 1024), nullptr));
        if (!reply || reply->format != 32) {
            return {};
        }
        const auto* data = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
        return QList<quint32>(data, data + reply->value_len);
    }

    // As a taskbar minimizes a window: it asks the window manager (ICCCM's WM_CHANGE_STATE).
    void iconify(xcb_window_t window) const
    {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = atom("WM_CHANGE_STATE");
        message.data.data32[0] = 3; // IconicState
        xcb_send_event(m_connection, 0, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(m_connection);
    }

    QList<quint32> clients() const { return values(m_root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW); }
    QList<quint32> stacking() const { return values(m_root, "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW); }
    bool managesSomething() const { return !values(m_root, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW).isEmpty(); }

    QStringList states(xcb_window_t window) const
    {
        QStringList names;
        for (const quint32 state : values(window, "_NET_WM_STATE", XCB_ATOM_ATOM)) {
            names << atomName(state);
        }
        return names;
    }

    quint32 transientFor(xcb_window_t window) const
    {
        const QList<quint32> owner = values(window, "WM_TRANSIENT_FOR", XCB_ATOM_WINDOW);
        return owner.isEmpty() ? 0 : owner.constFirst();
    }

    // What a taskbar lists: the managed windows that do not ask to be left out.
    QList<quint32> taskbar() const
    {
        QList<quint32> listed = clients();
        listed.removeIf(
            [this](quint32 window) { return states(window).contains(QLatin1String("_NET_WM_STATE_SKIP_TASKBAR")); });
        return listed;
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
};

quint32 idOf(const QWidget* window)
{
    return static_cast<quint32>(window->winId());
}

} // namespace

class TestWindowManager : public QObject
{
    Q_OBJECT

public:
    explicit TestWindowManager(QString unavailable) : m_unavailable(std::move(unavailable)) {}

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void viewer_noTaskbarEntry_notOwnedBySelection_alsoAfterPrintPreview();
    void viewer_minimizedByWindowManager_comesBack();
    void show_leavesOpenViewerWhereItLies();
    void about_transientForSelection_noTaskbarEntry();

private:
    frmXML* showLedger(const QString& name);
    [[nodiscard]] bool managed(const QWidget* window) const { return m_x->clients().contains(idOf(window)); }

    QString m_unavailable;
    std::unique_ptr<XServer> m_x;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QWidget> m_selection;
    std::unique_ptr<selection::ProgramCommands> m_commands;
};

void TestWindowManager::initTestCase()
{
    if (!m_unavailable.isEmpty()) {
        QSKIP(qPrintable(m_unavailable));
    }
    m_x = std::make_unique<XServer>();
    QTRY_VERIFY_WITH_TIMEOUT(m_x->managesSomething(), 10000);
}

void TestWindowManager::init()
{
    // The folder is the program folder too: the four stylesheets are there, nothing is copied.
    m_dir = std::make_unique<QTemporaryDir>();
    for (const char* name : {"berat.xslt", "kebir.xslt", "yevmiye.xslt", "defterraporu.xslt", "sayfa.xslt"}) {
        writeFile(m_dir->filePath(QLatin1String(name)), stylesheet());
    }
    writeFile(m_dir->filePath(QStringLiteral("a.xml")),
              ledgerXml("sayfa.xslt", "<p>a</p>").replace("<defter>", "<defter title=\"Birinci\">"));
    writeFile(m_dir->filePath(QStringLiteral("b.xml")),
              ledgerXml("sayfa.xslt", "<p>b</p>").replace("<defter>", "<defter title=\"İkinci\">"));
    m_selection = std::make_unique<QWidget>();
    m_selection->setGeometry(100, 100, 400, 300);
    m_selection->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_selection.get()));
    QTRY_VERIFY(managed(m_selection.get()));
    m_commands = std::make_unique<selection::ProgramCommands>(m_dir->path());
}

void TestWindowManager::cleanup()
{
    m_commands.reset();
    m_selection.reset();
}

frmXML* TestWindowManager::showLedger(const QString& name)
{
    m_commands->show(m_dir->path(), name);
    frmXML* viewer = m_commands->viewer().window();
    const bool shown =
        viewer != nullptr && QTest::qWaitFor(
                                 [&] {
                                     return managed(viewer) && !viewer->windowTitle().isEmpty() &&
                                            viewer->windowTitle() != QString::fromUtf8(frmXML::kBusyCaption);
                                 },
                                 30000);
    return shown ? viewer : nullptr;
}

void TestWindowManager::viewer_noTaskbarEntry_notOwnedBySelection_alsoAfterPrintPreview()
{
    frmXML* viewer = showLedger(QStringLiteral("a.xml"));
    QVERIFY(viewer);
    const QList<quint32> selectionOnly{idOf(m_selection.get())};
    QTRY_COMPARE(m_x->taskbar(), selectionOnly);
    QVERIFY(m_x->states(idOf(viewer)).contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_VERT")));
    // The selection window may lie on top of it: a window transient for it never could.
    QCOMPARE(m_x->transientFor(idOf(viewer)), 0u);

    // Print preview hides the viewer while it is open; the window manager forgets a hidden
    // window's states.
    viewer->hide();
    QTRY_VERIFY(!managed(viewer));
    viewer->show();
    QTRY_VERIFY(managed(viewer));
    QCOMPARE(m_x->taskbar(), selectionOnly);
}

// Without a taskbar entry a minimized viewer could not be reached again.
void TestWindowManager::viewer_minimizedByWindowManager_comesBack()
{
    frmXML* viewer = showLedger(QStringLiteral("a.xml"));
    QVERIFY(viewer);
    QSignalSpy states(viewer->windowHandle(), &QWindow::windowStateChanged);
    m_x->iconify(idOf(viewer));
    const auto wasMinimized = [&] {
        return std::any_of(states.cbegin(), states.cend(), [](const QVariantList& change) {
            return change.constFirst().value<Qt::WindowState>() == Qt::WindowMinimized;
        });
    };
    QTRY_VERIFY(wasMinimized());
    QTRY_COMPARE(m_x->states(idOf(viewer)).filter(QStringLiteral("HIDDEN")), QStringList());
    QVERIFY(m_x->states(idOf(viewer)).contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_VERT")));
    QVERIFY(managed(viewer));
}

void TestWindowManager::show_leavesOpenViewerWhereItLies()
{
    frmXML* viewer = showLedger(QStringLiteral("a.xml"));
    QVERIFY(viewer);
    m_selection->raise();
    m_selection->activateWindow();
    const auto selectionOnTop = [&] {
        const QList<quint32> order = m_x->stacking();
        return order.indexOf(idOf(m_selection.get())) > order.indexOf(idOf(viewer));
    };
    QTRY_VERIFY(selectionOnTop());
    QTRY_VERIFY(m_selection->isActiveWindow());

    QCOMPARE(showLedger(QStringLiteral("b.xml")), viewer);
    QTRY_COMPARE_WITH_TIMEOUT(viewer->windowTitle(), QStringLiteral("İkinci"), 30000);
    QTest::qWait(300); // room for the window manager to act on a raise, were one asked for
    QVERIFY(selectionOnTop());
    QVERIFY(m_selection->isActiveWindow());
}

void TestWindowManager::about_transientForSelection_noTaskbarEntry()
{
    QList<quint32> taskbar;
    QStringList states;
    quint32 owner = 0;
    QTimer::singleShot(0, this, [&] {
        QWidget* about = QApplication::activeModalWidget();
        if (about != nullptr && QTest::qWaitFor([&] { return managed(about); }, 5000)) {
            taskbar = m_x->taskbar();
            states = m_x->states(idOf(about));
            owner = m_x->transientFor(idOf(about));
        }
        while (QWidget* left = QApplication::activeModalWidget()) {
            left->close();
        }
    });
    about::runAbout(m_selection.get());
    QCOMPARE(taskbar, QList<quint32>{idOf(m_selection.get())});
    QCOMPARE(owner, idOf(m_selection.get()));
    QVERIFY2(states.contains(QLatin1String("_NET_WM_STATE_MODAL")), qPrintable(states.join(u' ')));
}

int main(int argc, char* argv[])
{
    PrivateDesktop desktop;
    const QString unavailable = desktop.start();
    if (!unavailable.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    viewer::prepareWebEngine();
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true); // never the developer's own settings
    TestWindowManager test(unavailable);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowmanager.moc"
