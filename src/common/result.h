#pragma once

#include <QString>

#include <utility>

namespace common {

// How work that can fail or be cancelled ended. Results that carry more (pages, rows, a
// document) derive from it, so that every caller asks the same three questions.
struct Outcome
{
    bool ok = false;
    bool cancelled = false; // then ok is false and error is empty
    QString error;          // Turkish, for the user: what failed and why; empty unless it failed

    [[nodiscard]] static Outcome done() { return {true, false, {}}; }
    [[nodiscard]] static Outcome stopped() { return {false, true, {}}; }
    [[nodiscard]] static Outcome failure(QString message) { return {false, false, std::move(message)}; }
    [[nodiscard]] bool failed() const { return !ok && !cancelled; }
};

} // namespace common
