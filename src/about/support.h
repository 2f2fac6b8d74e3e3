#pragma once

#include "common/notifier.h"

#include <QString>
#include <QUrl>

#include <functional>

namespace about {

// The support telephone number, also named in the About window's description.
QString supportPhone();
// How to reach support: call the support number.
QString supportNotice();
// The maker's support page: https on the support host, /contact.asp with a bare query key.
QUrl supportPageUrl();

// Said when no web browser could be started: the support page's address, to be typed by hand.
QString browserUnavailableNotice();

// The Support command: the notice first, then the support page in the default browser once the
// user has closed the notice. When no browser can be started, the user is given the address.
class SupportCommand
{
public:
    // True when a browser was started with the page.
    using UrlOpener = std::function<bool(const QUrl& url)>;

    SupportCommand(common::Notifier notify, UrlOpener openUrl);
    void run() const;

private:
    common::Notifier m_notify;
    UrlOpener m_openUrl;
};

} // namespace about
