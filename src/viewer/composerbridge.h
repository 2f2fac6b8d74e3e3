#pragma once

#include <QObject>
#include <QVariant>

#include <functional>

namespace web {
class LedgerPage;
} // namespace web

namespace viewer {

// The program's side of the composer, the script that shows a document in pieces as one page: it
// puts the script into every page, calls it, and waits until it shows a version of the document.
// The composer works asynchronously and answers through the page's script world.
class ComposerBridge : public QObject
{
    Q_OBJECT

public:
    // Tries, 20 ms apart, before a version the composer does not show is given up.
    static constexpr int kPatience = 200;

    ComposerBridge(web::LedgerPage& page, QObject* parent);

    // Runs `script` in the program's own script world of the page; `done` gets its result.
    void run(const QString& script, const std::function<void(const QVariant&)>& done = {});
    // Calls the composer's `method`: complete, goTo, highlight.
    void call(const char* method, const QVariantList& arguments = {});
    // The composer's status: version, partial, count, current, loaded, visible.
    void status(const std::function<void(const QVariantMap&)>& done);
    // Asks the composer until it shows `version`, then `shown`; when it never does, `gaveUp`.
    void whenShows(int version, std::function<void()> shown, std::function<void()> gaveUp);
    // Drops every wait: the page is about to show another document.
    void forget() { ++m_generation; }
    // Tests give up sooner.
    void setPatience(int attempts) { m_patience = attempts; }

private:
    void ask(int version, std::function<void()> shown, std::function<void()> gaveUp, int attemptsLeft, int generation);

    web::LedgerPage& m_page;
    int m_generation = 0;
    int m_patience = kPatience;
};

} // namespace viewer
