#include "ui/main_window/key_up_filter.h"

#include <QKeyEvent>
#include <QWidget>

#include <utility>

namespace varnex {

KeyUpFilter::KeyUpFilter(QWidget &control, std::chrono::milliseconds repeatGap) : QObject(&control)
{
    m_gap.setSingleShot(true);
    m_gap.setInterval(repeatGap);
    connect(&m_gap, &QTimer::timeout, this, &KeyUpFilter::decide);
    control.installEventFilter(this);
}

void KeyUpFilter::decide()
{
    m_gap.stop();
    if (const std::optional<Release> up = std::exchange(m_released, std::nullopt))
        emit keyUp(up->key, up->modifiers);
}

bool KeyUpFilter::eventFilter(QObject *watched, QEvent *event)
{
    // A release is decided only once the gap has passed without a press of the
    // same key: the platform's auto-repeat mark cannot be relied on. Qt marks an
    // X11 repeat pair only when its press is already queued as the release is
    // read, which it mostly is not.
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (m_released && m_released->key == key->key()) {
            // The other half of a repeat pair: the key never came up.
            m_released.reset();
            m_gap.stop();
            m_down.insert(key->key());
        } else if (!key->isAutoRepeat()) {
            m_down.insert(key->key());
        }
        break;
    }
    case QEvent::KeyRelease: {
        const auto *key = static_cast<QKeyEvent *>(event);
        // A key is up in the control only if it went down there: the release of
        // the Enter that closed a message box lands here too and is no key-up.
        if (key->isAutoRepeat() || !m_down.remove(key->key()))
            break;
        decide(); // another key's release still waiting: it was a key-up
        m_released = Release{key->key(), key->modifiers()};
        m_gap.start();
        break;
    }
    case QEvent::FocusOut:
        m_down.clear();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace varnex
