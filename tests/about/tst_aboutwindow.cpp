#include "about/aboutcommands.h"
#include "about/frmabout.h"
#include "common/appinfo.h"
#include "common/messagebox.h"
#include "common/ui.h"
#include "fakes.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace about;

namespace {

// Runs `whileOpen` once `open` has put up its modal window, then closes whatever modal window is
// left so that `open` returns even when a check failed.
void whileModal(const std::function<void()>& open, const std::function<void(QWidget* modal)>& whileOpen)
{
    QTimer::singleShot(0, [&] {
        whileOpen(QApplication::activeModalWidget());
        while (QWidget* left = QApplication::activeModalWidget()) {
            left->close();
        }
    });
    open();
}

QIcon redIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

QString textOf(const QWidget& window, const char* name)
{
    const QObject* control = window.findChild<QObject*>(QLatin1String(name));
    return control != nullptr ? control->property("text").toString() : QStringLiteral("<missing>");
}

// What a user sees: caption, place, and every control's text and place.
QStringList contentOf(const QWidget* window)
{
    if (window == nullptr) {
        return {};
    }
    const auto place = [](const QRect& r) {
        return QStringLiteral(" %1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    QStringList content{window->windowTitle() + place(window->geometry())};
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        content.append(control->objectName() + QLatin1Char('=') + control->property("text").toString() +
                       place(control->geometry()));
    }
    return content;
}

} // namespace

class TestAboutWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void texts_areExact();
    void missingTextHeight_wholeLines_data();
    void missingTextHeight_wholeLines();
    void wrappedTexts_showWhole_lowerBlockMovesDown();
    void keysAndClicks_data();
    void keysAndClicks();
    void reopening_showsAFreshWindowWithTheSameContent();
    void whileOpen_otherWindowsTakeNoInput();
    void support_showsNoticeThenOpensPage();
    void message_overParentOnScreen_elseScreenCentre_data();
    void message_overParentOnScreen_elseScreenCentre();

private:
    std::unique_ptr<QWidget> m_owner;
    FakeRegistry m_registry;
    FakeStarter m_starter;
    QStringList m_messages;
    common::Notifier m_recordMessage = [this](const QString& message) {
        m_messages.append(message);
    };
};

void TestAboutWindow::init()
{
    m_owner = std::make_unique<QWidget>();
    m_owner->setWindowIcon(redIcon());
    m_owner->setGeometry(40, 40, 300, 200);
    m_messages.clear();
}

void TestAboutWindow::texts_areExact()
{
    const frmAbout window(m_registry, m_starter, m_owner.get(), m_recordMessage);
    QCOMPARE(window.windowTitle(), QStringLiteral("PELVORA.VERAZIDEDAZE"));
    QCOMPARE(textOf(window, "lblTitle"), QStringLiteral("PELVORA.VERAZIDEDAZE"));
    QCOMPARE(textOf(window, "lblVersion"), QStringLiteral("Version 0.0.25"));
    QCOMPARE(textOf(window, "lblDescription"),
             QStringLiteral("Bu yazılım Pelvora Ltd tarafından Serbest Muhasebeci ve Mali Müşavirler için "
                            "geliştirilmiş kullanımı kolay, basit ve ücretsiz bir yazılımdır. Dağıtımında ya da "
                            "tedariğinde para talep edilemez. Para talep eden kişi ya da kurumlar hakkında ") +
                 QString::fromUtf8(common::kSupportPhone).replace(QLatin1Char(' '), QChar::Nbsp) +
                 QStringLiteral(" numaralı telefon ile irtibata geçebilirsiniz."));
    QCOMPARE(textOf(window, "lblDisclaimer"),
             QStringLiteral("Dikkat : Yazılım GİB tarafından oluşturulmuş Mayıs 2025 tarihli şablonlara uygundur. Bu "
                            "tarihten sonra şablonlar üzerinde gerçekleştirilmiş değişikliklerden ötürü görüntüleme "
                            "sorunları yaşayabilirsiniz."));
    QCOMPARE(textOf(window, "cmdOK"), QStringLiteral("OK"));
    QCOMPARE(textOf(window, "cmdSysInfo"), QStringLiteral("&System Info..."));

    // The owner's icon, both on the window and in the picture.
    const QImage ownerIcon = redIcon().pixmap(32, 32).toImage();
    QCOMPARE(window.windowIcon().pixmap(32, 32).toImage(), ownerIcon);
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap().toImage(), ownerIcon);
}

void TestAboutWindow::missingTextHeight_wholeLines_data()
{
    QTest::addColumn<int>("linesShort"); // lines the box lacks; -1: a line to spare
    QTest::newRow("room to spare") << -1;
    QTest::newRow("exact") << 0;
    QTest::newRow("one line short") << 1;
    QTest::newRow("three lines short") << 3;
}

void TestAboutWindow::missingTextHeight_wholeLines()
{
    QFETCH(int, linesShort);
    const QFont font = common::legacyFont(8, false);
    const QFontMetrics metrics(font);
    const QString text = QStringLiteral("Bu tarihten sonra şablonlar üzerinde değişiklik olabilir. ").repeated(6);
    const int width = 200;
    const int needed = metrics.boundingRect(QRect(0, 0, width, 10000), Qt::AlignLeft | Qt::TextWordWrap, text).height();
    // A box a pixel taller than `linesShort` lines short still lacks that many whole lines.
    const int height = needed - linesShort * metrics.lineSpacing() + (linesShort > 0 ? 1 : 0);
    QCOMPARE(missingTextHeight(font, text, QSize(width, height)), qMax(0, linesShort) * metrics.lineSpacing());
}

// With the fonts installed here the description needs a line more than designed.
void TestAboutWindow::wrappedTexts_showWhole_lowerBlockMovesDown()
{
    const frmAbout window(m_registry, m_starter, m_owner.get(), m_recordMessage);
    const auto* description = window.findChild<QLabel*>(QStringLiteral("lblDescription"));
    const auto* disclaimer = window.findChild<QLabel*>(QStringLiteral("lblDisclaimer"));
    for (const QLabel* label : {description, disclaimer}) {
        const QRect needed =
            QFontMetrics(label->font())
                .boundingRect(QRect(0, 0, label->width(), 10000), Qt::AlignLeft | Qt::TextWordWrap, label->text());
        QVERIFY2(needed.height() <= label->contentsRect().height(), qPrintable(label->objectName()));
    }
    using common::twips;
    const int shift = description->height() - twips(1170);
    QCOMPARE(description->geometry().topLeft(), QPoint(twips(1050), twips(1125)));
    QCOMPARE(disclaimer->geometry().topLeft(), QPoint(twips(255), twips(2625) + shift));
    QCOMPARE(window.findChild<QWidget*>(QStringLiteral("cmdOK"))->pos(), QPoint(twips(4245), twips(2625) + shift));
    QCOMPARE(window.findChild<QWidget*>(QStringLiteral("cmdSysInfo"))->pos(), QPoint(twips(4260), twips(3075) + shift));
    QCOMPARE(window.findChild<QWidget*>(QStringLiteral("lblVersion"))->geometry(),
             QRect(twips(1050), twips(780), twips(3885), twips(225)));
    QCOMPARE(window.height() - disclaimer->geometry().bottom(), twips(3555) - twips(3450) + 1);
    QCOMPARE(window.width(), twips(5730));
}

void TestAboutWindow::keysAndClicks_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key"); // 0: a mouse click on the focused button
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("sysInfoPresses");

    QTest::newRow("Esc") << "cmdOK" << int(Qt::Key_Escape) << 0 << true << 0;
    QTest::newRow("Esc on System Info") << "cmdSysInfo" << int(Qt::Key_Escape) << 0 << true << 0;
    QTest::newRow("Enter") << "cmdOK" << int(Qt::Key_Return) << 0 << true << 0;
    QTest::newRow("click OK") << "cmdOK" << 0 << 0 << true << 0;
    QTest::newRow("Enter on System Info") << "cmdSysInfo" << int(Qt::Key_Return) << 0 << false << 1;
    QTest::newRow("Alt+S") << "cmdOK" << int(Qt::Key_S) << int(Qt::AltModifier) << false << 1;
}

void TestAboutWindow::keysAndClicks()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, closed);
    QFETCH(int, sysInfoPresses);

    frmAbout window(m_registry, m_starter, m_owner.get(), m_recordMessage);
    QWidget* focusStart = nullptr;
    bool visibleAfter = false;
    whileModal([&] { window.exec(); },
               [&](QWidget*) {
                   if (!QTest::qWaitForWindowActive(&window)) {
                       return;
                   }
                   focusStart = window.focusWidget();
                   auto* button = window.findChild<QPushButton*>(focus);
                   button->setFocus();
                   if (key == 0) {
                       QTest::mouseClick(button, Qt::LeftButton);
                   } else {
                       QTest::keyClick(window.windowHandle(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
                   }
                   // A shortcut presses its button on a short timer.
                   (void)QTest::qWaitFor([&] { return !window.isVisible() || !m_messages.isEmpty(); }, 1000);
                   visibleAfter = window.isVisible();
               });

    QCOMPARE(focusStart ? focusStart->objectName() : QString(), QStringLiteral("cmdOK"));
    QCOMPARE(!visibleAfter, closed);
    // Esc and Enter close the window by pressing OK, not by cancelling.
    QCOMPARE(window.result(), closed ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(m_messages, QStringList(sysInfoPresses, QString::fromLatin1(kSysInfoUnavailable)));
}

void TestAboutWindow::reopening_showsAFreshWindowWithTheSameContent()
{
    QStringList first;
    QPointer<QWidget> firstWindow;
    whileModal([&] { runAbout(m_owner.get()); },
               [&](QWidget* modal) {
                   first = contentOf(modal);
                   firstWindow = modal;
               });
    QVERIFY(!first.isEmpty());
    QVERIFY(firstWindow.isNull());

    QStringList second;
    whileModal([&] { runAbout(m_owner.get()); }, [&](QWidget* modal) { second = contentOf(modal); });
    QCOMPARE(second, first);
}

void TestAboutWindow::whileOpen_otherWindowsTakeNoInput()
{
    auto* ownerButton = new QPushButton(QStringLiteral("Görüntüle"), m_owner.get());
    ownerButton->setGeometry(10, 10, 120, 30);
    QWidget viewer;
    viewer.setGeometry(600, 500, 300, 200);
    auto* viewerButton = new QPushButton(QStringLiteral("Yazdır"), &viewer);
    viewerButton->setGeometry(10, 10, 120, 30);
    m_owner->show();
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(m_owner.get()));
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QSignalSpy ownerClicks(ownerButton, &QPushButton::clicked);
    QSignalSpy viewerClicks(viewerButton, &QPushButton::clicked);

    // Through the window system, as a user's clicks and keys arrive.
    const auto click = [](QPushButton* button) {
        QTest::mouseClick(button->window()->windowHandle(), Qt::LeftButton, {}, button->geometry().center());
    };
    bool wasModal = false;
    whileModal([&] { runAbout(m_owner.get()); },
               [&](QWidget* modal) {
                   wasModal = qobject_cast<frmAbout*>(modal) != nullptr && modal->parentWidget() == m_owner.get();
                   click(ownerButton);
                   click(viewerButton);
                   QTest::keyClick(m_owner->windowHandle(), Qt::Key_Space);
                   QTest::keyClick(viewer.windowHandle(), Qt::Key_Space);
               });
    QVERIFY(wasModal);
    QCOMPARE(ownerClicks.count() + viewerClicks.count(), 0);

    click(ownerButton);
    click(viewerButton);
    QCOMPARE(ownerClicks.count() + viewerClicks.count(), 2);
}

class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void openUrl(const QUrl& url) { urls.append(url); }
};

void TestAboutWindow::support_showsNoticeThenOpensPage()
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "openUrl");
    QStringList box;
    whileModal([&] { runSupport(m_owner.get()); },
               [&](QWidget* modal) {
                   auto* message = qobject_cast<QMessageBox*>(modal);
                   if (message == nullptr) {
                       return;
                   }
                   box << message->windowTitle() << message->text() << QString::number(message->icon())
                       << QString::number(message->standardButtons()) << QString::number(recorder.urls.size());
                   message->button(QMessageBox::Ok)->click();
               });
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

    const QString notice =
        QStringLiteral("Hata aldığınız ya da acil güncelleme talep ettiğiniz bir husus varsa lütfen ") +
        QString::fromUtf8(common::kSupportPhone).replace(QLatin1Char(' '), QChar::Nbsp) +
        QStringLiteral(" numaralı telefonu arayınız.");
    QCOMPARE(box, QStringList({common::programTitle(), notice, QString::number(QMessageBox::NoIcon),
                               QString::number(QMessageBox::Ok), QStringLiteral("0")}));
    QCOMPARE(recorder.urls, QList<QUrl>({QUrl(QStringLiteral("https://%1/contact.asp?verazidedazedestek")
                                                  .arg(QString::fromUtf8(common::kSupportHost)))}));
}

void TestAboutWindow::message_overParentOnScreen_elseScreenCentre_data()
{
    QTest::addColumn<bool>("parentOnScreen");
    // As at start-up: the selection window is shown, but no window manager has placed it yet.
    QTest::addColumn<bool>("waits");
    QTest::newRow("parent not on screen yet") << false << true;
    QTest::newRow("parent on screen") << true << true;
    QTest::newRow("parent on screen, box does not wait") << true << false;
}

void TestAboutWindow::message_overParentOnScreen_elseScreenCentre()
{
    QFETCH(bool, parentOnScreen);
    QFETCH(bool, waits);
    m_owner->move(400, 300); // room around it: the box is not pushed back inside the screen
    m_owner->show();
    if (parentOnScreen) {
        QVERIFY(QTest::qWaitForWindowExposed(m_owner.get()));
    }
    QPoint centre;
    const QString text = QStringLiteral("“x.txt” bir XML dosyası değil");
    if (waits) {
        whileModal([&] { common::showMessage(m_owner.get(), text); },
                   [&](QWidget* modal) { centre = modal != nullptr ? modal->frameGeometry().center() : QPoint(); });
    } else {
        common::showMessage(m_owner.get(), text, QMessageBox::Warning, common::MessageWait::No); // returns at once
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        const QPointer<QWidget> box = QApplication::activeModalWidget();
        centre = box->frameGeometry().center();
        box->close();
        QTRY_VERIFY(box.isNull()); // gone once closed
    }
    // Over the parent as Qt places it, give or take its guess at the frame; else the screen's centre.
    const QPoint screenCentre = m_owner->screen()->availableGeometry().center();
    const QRect expected =
        parentOnScreen ? m_owner->frameGeometry() : QRect(screenCentre, QSize(1, 1)).adjusted(-2, -2, 2, 2);
    QVERIFY2(expected.contains(centre), qPrintable(QStringLiteral("%1,%2").arg(centre.x()).arg(centre.y())));
}

QTEST_MAIN(TestAboutWindow)
#include "tst_aboutwindow.moc"
