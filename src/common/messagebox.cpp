#include "common/messagebox.h"

#include "common/appinfo.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

namespace common {

namespace {

// Qt centres a box over its parent where it believes the parent to be; a window the window
// manager has not placed yet is believed at the screen's top-left corner.
class PlacedMessageBox final : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event); // sizes the box and centres it over the parent
        const QWidget* parent = parentWidget();
        if (event->spontaneous() || parent == nullptr || parent->window()->windowHandle() == nullptr ||
            parent->window()->windowHandle()->isExposed()) {
            return;
        }
        const QScreen* screen = parent->screen() != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
        if (screen == nullptr) {
            return;
        }
        QRect placed = frameGeometry();
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }
};

} // namespace

void showMessage(QWidget* parent, const QString& message, QMessageBox::Icon icon, MessageWait wait)
{
    if (wait == MessageWait::No) {
        auto* box = new PlacedMessageBox(icon, programTitle(), message, QMessageBox::Ok, parent);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return;
    }
    PlacedMessageBox box(icon, programTitle(), message, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace common
