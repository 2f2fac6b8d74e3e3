#include "about/messagebox.h"

#include "common/appinfo.h"

#include <QMessageBox>

namespace about {

void showPlainMessage(QWidget* parent, const QString& message)
{
    QMessageBox box(QMessageBox::NoIcon, app::programTitle(), message, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace about
