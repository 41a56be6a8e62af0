#pragma once

#include <QAccessible>
#include <QLabel>

namespace varnex {

// A picture or label that acts as a button or a web link: it reports mouse-down
// and mouse-up with any mouse button, and a click when the left button is
// pressed and released over it, once per gesture: the second press of a
// double-click is not a click. Screen readers see it as a button or a link,
// named after what a sighted user reads on it, with a press action.
class ClickableLabel final : public QLabel {
    Q_OBJECT

public:
    explicit ClickableLabel(QWidget *parent = nullptr);

    // Link unless set otherwise; picture buttons are buttons.
    QAccessible::Role accessibleRole() const { return m_role; }
    void setAccessibleRole(QAccessible::Role role) { m_role = role; }
    // The click that a real gesture would give; what assistive technology's press action runs.
    void click() { emit clicked(); }

signals:
    void mouseDown();
    void mouseUp();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QAccessible::Role m_role = QAccessible::Link;
    bool m_leftPressCounts = false; // the left button went down here by a press that may end in a click
};

} // namespace varnex
