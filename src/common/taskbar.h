#pragma once

class QWindow;

namespace common {

// Tells the window manager that `window` has no entry of its own in the taskbar: the program keeps
// to one, the selection window's. Call it each time right before the window is shown, since a
// window manager forgets the hint when the window is hidden. Where the platform has no such hint
// (Wayland), nothing happens.
void keepOffTaskbar(QWindow* window);

} // namespace common
