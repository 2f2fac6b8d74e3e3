#pragma once

#include "about/notifier.h"

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

// The Support command: the notice first, then the support page in the default browser once the
// user has closed the notice. Whether the browser opened is not followed up.
class SupportCommand
{
public:
    using UrlOpener = std::function<void(const QUrl& url)>;

    SupportCommand(Notifier notify, UrlOpener openUrl);
    void run() const;

private:
    Notifier m_notify;
    UrlOpener m_openUrl;
};

} // namespace about
