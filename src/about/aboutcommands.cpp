#include "about/aboutcommands.h"

#include "about/frmabout.h"
#include "about/registry.h"
#include "about/support.h"
#include "about/sysinfolauncher.h"
#include "common/messagebox.h"

#include <QDesktopServices>

namespace about {

void runSupport(QWidget* owner)
{
    // No console on any platform, unlike a shell's start command.
    const SupportCommand command([owner](const QString& message) { common::showMessage(owner, message); },
                                 [](const QUrl& url) { return QDesktopServices::openUrl(url); });
    command.run();
}

void runAbout(QWidget* owner)
{
    SystemRegistry registry;
    DetachedStarter starter;
    frmAbout window(registry, starter, owner);
    window.exec();
}

} // namespace about
