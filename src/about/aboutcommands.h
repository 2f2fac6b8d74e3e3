#pragma once

class QWidget;

namespace about {

// The Support command: the support notice over `owner`, then the support page in the default
// browser.
void runSupport(QWidget* owner);

// A fresh About window, modal over `owner` and the whole program; returns once it is closed.
void runAbout(QWidget* owner);

} // namespace about
