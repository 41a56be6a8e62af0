#pragma once

class QWidget;

namespace varnex {

// Asks the window manager to leave a top-level window out of the task bar
// (_NET_WM_STATE_SKIP_TASKBAR on X11), without making it a tool window or
// owning it. Call it after the native window is made and before it is mapped;
// elsewhere than on X11 it does nothing.
void skipTaskbar(QWidget &window);

} // namespace varnex
