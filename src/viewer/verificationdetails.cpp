#include "viewer/verificationdetails.h"

#include "common/ui.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace viewer {

VerificationDetails::VerificationDetails(const verify::VerificationResult& result, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmImzaAyrinti"));
    setWindowTitle(QStringLiteral("İmza ve onay ayrıntıları"));
    setWindowIcon(common::programIcon());
    auto* heading = new QLabel(result.summary, this);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    heading->setFont(bold);
    heading->setWordWrap(true);
    auto* file = new QLabel(QDir::toNativeSeparators(result.path), this);
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* facts = new QPlainTextEdit(this);
    facts->setObjectName(QStringLiteral("txtAyrinti"));
    facts->setReadOnly(true);
    facts->setPlainText(result.details.join(QLatin1Char('\n')));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Kapat"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(file);
    layout->addWidget(facts, 1);
    layout->addWidget(buttons);
    resize(720, 460);
}

QString VerificationDetails::text(const verify::VerificationResult& result)
{
    return result.summary + QLatin1Char('\n') + result.details.join(QLatin1Char('\n'));
}

} // namespace viewer
