// A long working day in one run of the program: the viewer window opens, scrolls, searches and
// closes the given ledgers in turn, as many times as asked, and prints some of them to PDF.
// Prints the memory of the whole process tree (web engine processes included), this process's
// threads and open file handles after the first 20 ledgers and after all of them.
#include "common/paths.h"
#include "selection/viewerhost.h"
#include "viewer/frmxml.h"
#include "viewer/webbrowser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>
#include <unistd.h>

namespace {

int parentOf(int pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QByteArray line = stat.readAll(); // pid (comm) state ppid …
    return line.mid(line.lastIndexOf(')') + 2).split(' ').value(1).toInt();
}

// Resident memory of this process and all its descendants, bytes.
qint64 treeResident()
{
    QHash<int, int> parents;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const int pid = entry.toInt(&numeric);
        if (numeric) {
            parents.insert(pid, parentOf(pid));
        }
    }
    const int self = int(getpid());
    qint64 total = 0;
    for (auto it = parents.cbegin(); it != parents.cend(); ++it) {
        bool inTree = false;
        for (int at = it.key(); at > 1 && !inTree; at = parents.value(at, 0)) {
            inTree = at == self;
        }
        QFile statm(QStringLiteral("/proc/%1/statm").arg(it.key()));
        if (inTree && statm.open(QIODevice::ReadOnly)) {
            total += statm.readAll().split(' ').value(1).toLongLong() * sysconf(_SC_PAGESIZE);
        }
    }
    return total;
}

qsizetype entriesIn(const char* folder)
{
    return QDir(QString::fromLatin1(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size();
}

struct Snapshot
{
    qint64 resident = 0;
    qsizetype threads = 0;
    qsizetype handles = 0;
};

Snapshot snapshot()
{
    QTest::qWait(2000); // late deletions and the engine's own tidying up
    return {treeResident(), entriesIn("/proc/self/task"), entriesIn("/proc/self/fd")};
}

void report(const char* when, const Snapshot& s)
{
    std::printf("%-22s tree memory %7.0f MB  threads %4lld  file handles %4lld\n", when, s.resident / 1048576.0,
                qlonglong(s.threads), qlonglong(s.handles));
    std::fflush(stdout);
}

// One ledger as a user goes through it: shown, scrolled to its end, searched, maybe printed, closed.
bool workThrough(selection::ViewerWindowHost& host, const QString& ledger, const QString& pdf)
{
    host.ensureOpen();
    host.navigate(QStringLiteral("file://") + QFileInfo(ledger).absoluteFilePath());
    viewer::WebBrowser* browser = host.window()->browser();
    if (!QTest::qWaitFor([&] { return !browser->Busy(); }, 300000)) {
        return false;
    }
    const auto& pieces = browser->documents().current().pieces;
    if (pieces && pieces->count() > 1) {
        browser->goToPiece(int(pieces->count()) - 1);
    }
    browser->runScript(QStringLiteral("window.scrollTo(0, document.body.scrollHeight)"));
    bool searched = false;
    const QMetaObject::Connection connection =
        QObject::connect(browser, &viewer::WebBrowser::searchUpdated, [&] { searched = true; });
    browser->find(QStringLiteral("kasa"));
    (void)QTest::qWaitFor([&] { return searched; }, 60000);
    QObject::disconnect(connection);
    if (!pdf.isEmpty()) {
        bool printed = false;
        QObject::connect(browser->view()->page(), &QWebEnginePage::pdfPrintingFinished, [&] { printed = true; });
        browser->view()->page()->printToPdf(pdf);
        (void)QTest::qWaitFor([&] { return printed; }, 120000);
        QFile::remove(pdf);
    }
    host.window()->close();
    return QTest::qWaitFor([&] { return host.window() == nullptr; }, 10000);
}

} // namespace

int main(int argc, char* argv[])
{
    viewer::prepareWebEngine();
    QApplication application(argc, argv);
    QStringList files = application.arguments().mid(1);
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: verazidedaze-soakbench LEDGER.xml...\n"
                             "environment: LEDGERS=ledgers to show, going round the list (default 300),\n"
                             "             PRINT_EVERY=print every n-th ledger to PDF (default 50)\n");
        return 64;
    }
    const int count = qEnvironmentVariableIsSet("LEDGERS") ? qEnvironmentVariableIntValue("LEDGERS") : 300;
    const int printEvery =
        qEnvironmentVariableIsSet("PRINT_EVERY") ? qMax(1, qEnvironmentVariableIntValue("PRINT_EVERY")) : 50;
    QTemporaryDir scratch;
    selection::ViewerWindowHost host(common::dataFolder());
    report("start", snapshot());
    Snapshot afterTwenty;
    QElapsedTimer clock;
    clock.start();
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        const QString pdf = i % printEvery == printEvery - 1 ? scratch.filePath(QStringLiteral("p.pdf")) : QString();
        if (!workThrough(host, files.at(i % files.size()), pdf)) {
            ++failed;
        }
        if (i == 19) {
            afterTwenty = snapshot();
            report("after 20 ledgers", afterTwenty);
        }
    }
    const Snapshot end = snapshot();
    report(qPrintable(QStringLiteral("after %1 ledgers").arg(count)), end);
    if (afterTwenty.resident > 0) {
        std::printf("memory %+.1f %%  threads %+lld  file handles %+lld  (%d not finished, %.0f s)\n",
                    100.0 * (end.resident - afterTwenty.resident) / afterTwenty.resident,
                    qlonglong(end.threads - afterTwenty.threads), qlonglong(end.handles - afterTwenty.handles), failed,
                    clock.elapsed() / 1000.0);
    }
    return 0;
}
