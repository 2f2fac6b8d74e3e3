#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace common {

enum class MessageWait
{
    UntilRead, // modal: returns once the user closed the box
    No,        // window-modal, returns at once; the box deletes itself when closed
};

// The program's one message box: captioned with the program title, the icon, the text, an OK
// button. It opens over its parent once the parent is on screen; before that (a file refused at
// start-up, while the window manager has not placed the first window yet) centred on the screen.
void showMessage(QWidget* parent, const QString& message, QMessageBox::Icon icon = QMessageBox::NoIcon,
                 MessageWait wait = MessageWait::UntilRead);

} // namespace common
