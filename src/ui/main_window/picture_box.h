#pragma once

#include <QLabel>

namespace varnex {

// A picture that acts as a button: it reports mouse-down and mouse-up with any
// mouse button, and a click when the left button is released over it.
class PictureBox final : public QLabel {
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

signals:
    void mouseDown();
    void mouseUp();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace varnex
