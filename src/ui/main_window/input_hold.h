#pragma once

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QEvent;
class QWindow;

namespace varnex {

// While it lives, the user's input to the program's windows (keys, pointer,
// wheel) waits; everything else goes through, a close request from the window
// manager among it. A local event loop that excluded user input would hold back
// that close request too, since Qt counts it as user input: the window would
// stay open until the loop ended.
//
// handBack() delivers what waited, in the order it came, to the windows still
// shown; without it, what waited is dropped (a run that failed or was closed).
class InputHold final : public QObject {
public:
    InputHold();
    InputHold(const InputHold &) = delete;
    InputHold &operator=(const InputHold &) = delete;

    void handBack();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Held {
        QPointer<QWindow> window;
        std::unique_ptr<QEvent> event;
    };
    std::vector<Held> m_held;
};

} // namespace varnex
