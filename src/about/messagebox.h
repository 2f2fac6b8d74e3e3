#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace about {

// Shows a message to the user over `parent`; tests hand in one that records instead.
using MessageShower = std::function<void(QWidget* parent, const QString& message)>;

// A modal box captioned with the program title: the text, no icon, an OK button.
void showPlainMessage(QWidget* parent, const QString& message);

} // namespace about
