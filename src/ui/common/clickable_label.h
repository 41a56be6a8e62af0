#pragma once

#include <QLabel>

namespace varnex {

// A picture or label that acts as a button or a web link: it reports mouse-down
// and mouse-up with any mouse button, and a click when the left button is
// released over it.
class ClickableLabel final : public QLabel {
    Q_OBJECT

public:
    explicit ClickableLabel(QWidget *parent = nullptr);

signals:
    void mouseDown();
    void mouseUp();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace varnex
