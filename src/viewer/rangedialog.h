#pragma once

#include "viewer/ledgertotals.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace viewer {

// Asks the months of a mizan or an ekstre, and the ekstre's account: "Hesapla" or "Vazgeç".
class RangeDialog : public QDialog
{
    Q_OBJECT

public:
    RangeDialog(const TotalsRequest& request, QWidget* parent = nullptr);

    [[nodiscard]] TotalsRange range() const;

    // Shows the dialog modally; nothing when the user gave up.
    [[nodiscard]] static std::optional<TotalsRange> ask(const TotalsRequest& request, QWidget* owner);

private:
    void updateButton();

    TotalsKind m_kind;
    QComboBox* const m_cboBaslangic;
    QComboBox* const m_cboBitis;
    QLineEdit* const m_txtHesap;
    QPushButton* m_cmdHesapla = nullptr;
};

} // namespace viewer
