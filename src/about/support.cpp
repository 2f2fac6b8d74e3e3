#include "about/support.h"

#include "common/appinfo.h"

namespace about {

QString supportPhone()
{
    // A telephone number reads as one unit: wrapped labels must not break it across lines.
    return QString::fromUtf8(common::kSupportPhone).replace(QLatin1Char(' '), QChar::Nbsp);
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
    url.setHost(QString::fromUtf8(common::kSupportHost));
    url.setPath(QStringLiteral("/contact.asp"));
    url.setQuery(QStringLiteral("verazidedazedestek"));
    return url;
}

QString browserUnavailableNotice()
{
    return QStringLiteral("Web tarayıcısı açılamadı. Destek sayfasına ulaşmak için bu adresi tarayıcınızın adres "
                          "satırına yazın:\n\n") +
           supportPageUrl().toString();
}

SupportCommand::SupportCommand(common::Notifier notify, UrlOpener openUrl)
    : m_notify(std::move(notify)), m_openUrl(std::move(openUrl))
{}

void SupportCommand::run() const
{
    m_notify(supportNotice());
    if (!m_openUrl(supportPageUrl())) {
        m_notify(browserUnavailableNotice());
    }
}

} // namespace about
