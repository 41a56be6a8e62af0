#include "ui/main_window/input_hold.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

#include <utility>

namespace varnex {

InputHold::InputHold()
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool InputHold::eventFilter(QObject *watched, QEvent *event)
{
    // The platform delivers input to a window, which passes it on to its
    // controls; events sent straight to a control come from the program itself.
    if (watched->isWindowType() && event->isInputEvent()) {
        m_held.push_back({static_cast<QWindow *>(watched), std::unique_ptr<QEvent>(event->clone())});
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void InputHold::handBack()
{
    QCoreApplication::instance()->removeEventFilter(this);
    for (Held &held : std::exchange(m_held, {})) {
        if (held.window && held.window->isVisible())
            QCoreApplication::postEvent(held.window, held.event.release());
    }
}

} // namespace varnex
