#include "about/frmabout.h"

#include "about/support.h"
#include "common/appinfo.h"
#include "common/messagebox.h"
#include "common/taskbar.h"
#include "common/ui.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

namespace about {

using common::twips;

namespace {

QString descriptionText()
{
    return QStringLiteral("Bu yazılım Pelvora Ltd tarafından Serbest Muhasebeci ve Mali Müşavirler için geliştirilmiş "
                          "kullanımı kolay, basit ve ücretsiz bir yazılımdır. Dağıtımında ya da tedariğinde para "
                          "talep edilemez. Para talep eden kişi ya da kurumlar hakkında ") +
           supportPhone() + QStringLiteral(" numaralı telefon ile irtibata geçebilirsiniz.");
}

QString disclaimerText()
{
    return QStringLiteral("Dikkat : Yazılım GİB tarafından oluşturulmuş Mayıs 2025 tarihli şablonlara uygundur. Bu "
                          "tarihten sonra şablonlar üzerinde gerçekleştirilmiş değişikliklerden ötürü görüntüleme "
                          "sorunları yaşayabilirsiniz.");
}

void makeTextBlack(QLabel* label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
}

// The window opens at a fixed place, not centred: measured from the top-left of its owner's screen.
QPoint screenOrigin(const QWidget* owner)
{
    const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().topLeft() : QPoint();
}

} // namespace

int missingTextHeight(const QFont& font, const QString& text, const QSize& box)
{
    const QFontMetrics metrics(font);
    const QRect needed =
        metrics.boundingRect(QRect(0, 0, box.width(), QWIDGETSIZE_MAX), Qt::AlignLeft | Qt::TextWordWrap, text);
    const int missing = needed.height() - box.height();
    if (missing <= 0) {
        return 0;
    }
    const int line = metrics.lineSpacing();
    return (missing + line - 1) / line * line;
}

frmAbout::frmAbout(Registry& registry, ProgramStarter& starter, QWidget* owner, common::Notifier notify)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      m_launcher(
          registry, starter,
          notify ? std::move(notify) : [this](const QString& message) { common::showMessage(this, message); }),
      m_cmdOK(new QPushButton(QStringLiteral("OK"), this)), m_picIcon(new QLabel(this)),
      m_cmdSysInfo(new QPushButton(QStringLiteral("&System Info..."), this)),
      m_lblDescription(new QLabel(descriptionText(), this)), m_lblDisclaimer(new QLabel(disclaimerText(), this)),
      m_lblTitle(new QLabel(QStringLiteral("Application Title"), this)),
      m_lblVersion(new QLabel(QStringLiteral("Version"), this))
{
    setWindowTitle(QStringLiteral("About MyApp"));
    // Nothing else of the program takes input while the window is open.
    setWindowModality(Qt::ApplicationModal);
    layOutControls();
    connectHandlers();
    Form_Load();
}

void frmAbout::layOutControls()
{
    // The client area's size and place; setting the place also keeps the dialog from centring itself.
    setGeometry(
        QRect(screenOrigin(parentWidget()) + QPoint(twips(2340), twips(1935)), QSize(twips(5730), twips(3555))));
    setFixedSize(size());

    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_picIcon->setObjectName(QStringLiteral("picIcon"));
    m_cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    m_lblDescription->setObjectName(QStringLiteral("lblDescription"));
    m_lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    m_lblTitle->setObjectName(QStringLiteral("lblTitle"));
    m_lblVersion->setObjectName(QStringLiteral("lblVersion"));

    m_cmdOK->setGeometry(twips(4245), twips(2625), twips(1260), twips(345));
    m_picIcon->setGeometry(twips(240), twips(240), twips(540), twips(540));
    m_cmdSysInfo->setGeometry(twips(4260), twips(3075), twips(1245), twips(345));
    m_lblDescription->setGeometry(twips(1050), twips(1125), twips(3885), twips(1170));
    m_lblDisclaimer->setGeometry(twips(255), twips(2625), twips(3870), twips(825));
    m_lblTitle->setGeometry(twips(1050), twips(240), twips(3885), twips(480));
    m_lblVersion->setGeometry(twips(1050), twips(780), twips(3885), twips(225));

    const QFont font = common::legacyFont(8, false);
    for (QWidget* control : std::initializer_list<QWidget*>{m_cmdOK, m_cmdSysInfo, m_lblDescription, m_lblDisclaimer,
                                                            m_lblTitle, m_lblVersion}) {
        control->setFont(font);
    }
    for (QLabel* label : {m_lblDescription, m_lblDisclaimer, m_lblTitle, m_lblVersion}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    for (QLabel* label : {m_lblDescription, m_lblDisclaimer, m_lblTitle}) {
        makeTextBlack(label);
    }
    m_lblDescription->setWordWrap(true);
    m_lblDisclaimer->setWordWrap(true);
    growToFitTexts();

    // A sunken border around a 32 × 32 picture.
    m_picIcon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_picIcon->setLineWidth(2);
    m_picIcon->setAlignment(Qt::AlignCenter);

    // OK answers Enter unless the other button has the focus; Esc presses it wherever the focus is.
    m_cmdOK->setDefault(true);
    setTabOrder(m_cmdOK, m_cmdSysInfo);
    m_cmdOK->setFocus();
}

// The designed heights hold the texts in the designer's font; a wider installed face needs more
// lines. The description's extra lines push the separator, the disclaimer and the buttons down
// with it; the disclaimer's extra lines only lengthen the window. Nothing else moves.
void frmAbout::growToFitTexts()
{
    const int description =
        missingTextHeight(m_lblDescription->font(), m_lblDescription->text(), m_lblDescription->contentsRect().size());
    const int disclaimer =
        missingTextHeight(m_lblDisclaimer->font(), m_lblDisclaimer->text(), m_lblDisclaimer->contentsRect().size());
    if (description + disclaimer == 0) {
        return;
    }
    m_lowerBlockShift = description;
    m_lblDescription->resize(m_lblDescription->width(), m_lblDescription->height() + description);
    for (QWidget* below : std::initializer_list<QWidget*>{m_lblDisclaimer, m_cmdOK, m_cmdSysInfo}) {
        below->move(below->x(), below->y() + description);
    }
    m_lblDisclaimer->resize(m_lblDisclaimer->width(), m_lblDisclaimer->height() + disclaimer);
    setFixedSize(width(), height() + description + disclaimer);
}

void frmAbout::connectHandlers()
{
    connect(m_cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(m_cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

void frmAbout::Form_Load()
{
    const QIcon icon = parentWidget() != nullptr ? parentWidget()->windowIcon() : common::programIcon();
    setWindowIcon(icon);
    m_picIcon->setPixmap(icon.pixmap(32, 32));
    setWindowTitle(common::programTitle());
    m_lblVersion->setText(common::longVersionText());
    m_lblTitle->setText(common::programTitle());
}

void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::StartSysInfo()
{
    m_launcher.StartSysInfo();
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

// No taskbar entry of its own: on Windows its owner sees to that, elsewhere the window manager is told.
void frmAbout::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        common::keepOffTaskbar(windowHandle());
    }
    QDialog::showEvent(event);
}

// The etched separator between the upper and the lower block: a grey line over a white one,
// shifted a pixel down and to the right.
void frmAbout::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    const int right = twips(5654);
    const int grey = twips(2445) + m_lowerBlockShift;
    const int white = twips(2460) + m_lowerBlockShift;
    painter.fillRect(QRect(QPoint(twips(90), grey), QPoint(right, grey)), QColor(128, 128, 128));
    painter.fillRect(QRect(QPoint(twips(105), white), QPoint(right, white + 1)), Qt::white);
}

} // namespace about
