#include "viewer/composerbridge.h"

#include "web/ledgerpage.h"
#include "web/pagescripts.h"

#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace viewer {

ComposerBridge::ComposerBridge(web::LedgerPage& page, QObject* parent) : QObject(parent), m_page(page)
{
    QWebEngineScript composer;
    composer.setName(QStringLiteral("verazidedaze-composer"));
    composer.setSourceCode(web::pageScript(web::PageScript::Composer));
    composer.setInjectionPoint(QWebEngineScript::DocumentReady);
    composer.setWorldId(QWebEngineScript::ApplicationWorld);
    composer.setRunsOnSubFrames(false);
    m_page.scripts().insert(composer);
}

void ComposerBridge::run(const QString& script, const std::function<void(const QVariant&)>& done)
{
    if (done) {
        m_page.runJavaScript(script, QWebEngineScript::ApplicationWorld, done);
    } else {
        m_page.runJavaScript(script, QWebEngineScript::ApplicationWorld);
    }
}

void ComposerBridge::call(const char* method, const QVariantList& arguments)
{
    run(web::composerCall(method, arguments));
}

void ComposerBridge::status(const std::function<void(const QVariantMap&)>& done)
{
    run(web::composerCall("status"), [done](const QVariant& status) { done(status.toMap()); });
}

void ComposerBridge::whenShows(int version, std::function<void()> shown, std::function<void()> gaveUp)
{
    ask(version, std::move(shown), std::move(gaveUp), m_patience, m_generation);
}

void ComposerBridge::ask(int version, std::function<void()> shown, std::function<void()> gaveUp, int attemptsLeft,
                         int generation)
{
    status([=, this](const QVariantMap& status) {
        if (generation != m_generation) {
            return;
        }
        if (status.value(QStringLiteral("version")).toInt() >= version) {
            shown();
        } else if (attemptsLeft <= 0) {
            gaveUp();
        } else {
            QTimer::singleShot(20, this, [=, this] { ask(version, shown, gaveUp, attemptsLeft - 1, generation); });
        }
    });
}

} // namespace viewer
