#include "common/taskbar.h"

namespace common {

// An owned window gets no taskbar button on Windows: the viewer's hidden owner and the About
// window's owner already see to it.
void keepOffTaskbar(QWindow* /*window*/) {}

} // namespace common
