#include "about/support.h"

#include "app/appinfo.h"

namespace about {

QString supportPhone()
{
    return QString::fromUtf8(app::kSupportPhone);
}

QString supportNotice()
{
    return QStringLiteral("Hata aldığınız ya da acil güncelleme talep ettiğiniz bir husus varsa lütfen ") +
           supportPhone() + QStringLiteral(" numaralı telefonu arayınız.");
}

QUrl supportPageUrl()
{
    QUrl url;
    url.setScheme(QStringLiteral("https"));
    url.setHost(QString::fromUtf8(app::kSupportHost));
    url.setPath(QStringLiteral("/contact.asp"));
    url.setQuery(QStringLiteral("verazidedazedestek"));
    return url;
}

SupportCommand::SupportCommand(Notifier notify, UrlOpener openUrl)
    : m_notify(std::move(notify)), m_openUrl(std::move(openUrl))
{}

void SupportCommand::run() const
{
    m_notify(supportNotice());
    m_openUrl(supportPageUrl());
}

} // namespace about
