#pragma once

#include <QObject>
#include <QSet>
#include <QTimer>

#include <chrono>
#include <optional>

class QWidget;

namespace varnex {

// A control's key-ups: a key is up when it went down in the control, came up
// there, and no press of it followed within the repeat gap. A held key thus
// comes up once, when it is let go, however its repeats arrive: marked as
// auto-repeat, as presses alone, or, as X11 sends them to a program that has
// not asked for detectable auto-repeat, as unmarked release and press pairs.
class KeyUpFilter final : public QObject {
    Q_OBJECT

public:
    // X11 sends both halves of a repeat pair at once, with the same time stamp;
    // they reach the program well under a millisecond apart. A person cannot let
    // a key go and press it again within this time.
    static constexpr std::chrono::milliseconds kRepeatGap{30};

    KeyUpFilter(QWidget &control, std::chrono::milliseconds repeatGap);

signals:
    void keyUp(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Release {
        int key;
        Qt::KeyboardModifiers modifiers;
    };
    void decide();

    QSet<int> m_down;                  // keys that went down in the control and are not up
    std::optional<Release> m_released; // a release not yet known to be a key-up
    QTimer m_gap;
};

} // namespace varnex
