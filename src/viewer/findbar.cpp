#include "viewer/findbar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace viewer {

FindBar::FindBar(QWidget* parent)
    : QWidget(parent), m_term(new QLineEdit(this)), m_previous(new QToolButton(this)), m_next(new QToolButton(this)),
      m_status(new QLabel(this)), m_close(new QToolButton(this))
{
    setObjectName(QStringLiteral("FindBar"));
    m_term->setObjectName(QStringLiteral("txtFind"));
    m_term->setPlaceholderText(QStringLiteral("Defterde ara"));
    m_term->setClearButtonEnabled(true);
    m_term->setMinimumWidth(260);
    m_previous->setText(QStringLiteral("Önceki"));
    m_previous->setToolTip(QStringLiteral("Önceki eşleşme (Shift+Enter)"));
    m_next->setText(QStringLiteral("Sonraki"));
    m_next->setToolTip(QStringLiteral("Sonraki eşleşme (Enter, F3)"));
    m_close->setText(QStringLiteral("✕"));
    m_close->setToolTip(QStringLiteral("Kapat (Esc)"));
    m_close->setAutoRaise(true);
    m_status->setMinimumWidth(160);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->addWidget(new QLabel(QStringLiteral("Ara:"), this));
    layout->addWidget(m_term);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addWidget(m_status);
    layout->addStretch();
    layout->addWidget(m_close);

    connect(m_next, &QToolButton::clicked, this, [this] { emit search(term(), false); });
    connect(m_previous, &QToolButton::clicked, this, [this] { emit search(term(), true); });
    // The line edit reports Return with or without Shift and passes the key on to this bar too:
    // its keys are taken before it sees them, so that each searches once, in one direction.
    m_term->installEventFilter(this);
    connect(m_close, &QToolButton::clicked, this, &FindBar::close);
    hide();
}

QString FindBar::term() const
{
    return m_term->text();
}

void FindBar::open()
{
    show();
    m_term->setFocus();
    m_term->selectAll();
}

void FindBar::setStatus(const QString& text)
{
    m_status->setText(text);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_term || event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) {
        return false;
    }
    emit search(term(), key->modifiers() & Qt::ShiftModifier);
    return true;
}

void FindBar::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->key() == Qt::Key_F3) {
        emit search(term(), event->modifiers() & Qt::ShiftModifier);
        return;
    }
    QWidget::keyPressEvent(event);
}

void FindBar::close()
{
    hide();
    emit closed();
}

} // namespace viewer
