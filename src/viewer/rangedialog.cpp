#include "viewer/rangedialog.h"

#include "common/ui.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace viewer {

namespace {

void fill(QComboBox* combo, const QStringList& months, const QString& chosen)
{
    combo->addItems(months);
    combo->setCurrentIndex(std::max(0, int(months.indexOf(chosen))));
}

} // namespace

RangeDialog::RangeDialog(const TotalsRequest& request, QWidget* parent)
    : QDialog(parent), m_kind(request.kind), m_cboBaslangic(new QComboBox(this)), m_cboBitis(new QComboBox(this)),
      m_txtHesap(new QLineEdit(this))
{
    const bool ekstre = m_kind == TotalsKind::Ekstre;
    setObjectName(QStringLiteral("frmAralik"));
    setWindowTitle(ekstre ? QStringLiteral("Hesap ekstresi") : QStringLiteral("Mizan"));
    setWindowIcon(common::programIcon());
    m_cboBaslangic->setObjectName(QStringLiteral("cboBaslangic"));
    m_cboBitis->setObjectName(QStringLiteral("cboBitis"));
    m_txtHesap->setObjectName(QStringLiteral("txtHesap"));
    fill(m_cboBaslangic, request.months, request.defaults.from);
    fill(m_cboBitis, request.months, request.defaults.to);
    m_txtHesap->setText(request.defaults.account);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Başlangıç:"), m_cboBaslangic);
    form->addRow(QStringLiteral("B&itiş:"), m_cboBitis);
    if (ekstre) {
        auto* hint = new QLabel(QStringLiteral("Ana hesap (102), alt hesap (102.01.001) ya da baştaki haneler (10). "
                                               "Defterde bir koda çift tıklamak onu buraya yazar."),
                                this);
        hint->setObjectName(QStringLiteral("lblHesapAciklama"));
        hint->setWordWrap(true);
        form->addRow(QStringLiteral("&Hesap kodu:"), m_txtHesap);
        form->addRow(QString(), hint);
    } else {
        m_txtHesap->hide();
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_cmdHesapla = buttons->button(QDialogButtonBox::Ok);
    m_cmdHesapla->setObjectName(QStringLiteral("cmdHesapla"));
    m_cmdHesapla->setText(QStringLiteral("Hesapla"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Vazgeç"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_cboBaslangic, &QComboBox::currentIndexChanged, this, &RangeDialog::updateButton);
    connect(m_cboBitis, &QComboBox::currentIndexChanged, this, &RangeDialog::updateButton);
    connect(m_txtHesap, &QLineEdit::textChanged, this, &RangeDialog::updateButton);
    updateButton();
    if (ekstre) {
        m_txtHesap->setFocus();
    }
    setMinimumWidth(420);
}

TotalsRange RangeDialog::range() const
{
    return {m_cboBaslangic->currentText(), m_cboBitis->currentText(),
            m_kind == TotalsKind::Ekstre ? m_txtHesap->text().trimmed() : QString()};
}

// "YYYY-MM" compares as text in time order.
void RangeDialog::updateButton()
{
    const TotalsRange chosen = range();
    m_cmdHesapla->setEnabled(!chosen.from.isEmpty() && chosen.from <= chosen.to &&
                             (m_kind == TotalsKind::Mizan || !chosen.account.isEmpty()));
}

std::optional<TotalsRange> RangeDialog::ask(const TotalsRequest& request, QWidget* owner)
{
    RangeDialog dialog(request, owner);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.range();
}

} // namespace viewer
