#include "viewer/worknotice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace viewer {

WorkNotice::WorkNotice(QWidget* parent)
    : QWidget(parent), m_text(new QLabel(this)), m_stop(new QPushButton(QStringLiteral("&Durdur"), this))
{
    setObjectName(QStringLiteral("WorkNotice"));
    m_text->setObjectName(QStringLiteral("lblCalisiyor"));
    m_stop->setObjectName(QStringLiteral("cmdDurdur"));
    m_text->setText(QStringLiteral("Defter hâlâ hazırlanıyor; büyük ya da karmaşık defterlerde bu uzun sürebilir. "
                                   "Beklemek istemiyorsanız durdurabilirsiniz."));
    m_text->setWordWrap(true);
    setAutoFillBackground(true);
    QPalette notice = palette();
    notice.setColor(QPalette::Window, QColor(0xff, 0xf8, 0xd6));
    setPalette(notice);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_stop);
    connect(m_stop, &QPushButton::clicked, this, &WorkNotice::stopRequested);
    hide();
}

} // namespace viewer
