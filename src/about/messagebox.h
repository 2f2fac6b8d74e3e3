#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace about {

// Shows a message to the user over `parent`; tests hand in one that records instead.
using MessageShower = std::function<void(QWidget* parent, const QString& message)>;

// A modal box captioned with the program title: the icon, the text, an OK button. It opens over
// its parent once the parent is on screen; before that (a file refused at start-up, while the
// window manager has not placed the first window yet) centred on the screen.
void showMessage(QWidget* parent, const QString& message, QMessageBox::Icon icon);

// The same with no icon.
void showPlainMessage(QWidget* parent, const QString& message);

} // namespace about
