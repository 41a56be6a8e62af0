#include "ui/main_window/picture_box.h"

#include <QMouseEvent>

namespace varnex {

PictureBox::PictureBox(QWidget *parent) : QLabel(parent) {}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    emit mouseDown();
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseUp();
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace varnex
