#include "ui/common/clickable_label.h"

#include <QMouseEvent>

namespace varnex {

ClickableLabel::ClickableLabel(QWidget *parent) : QLabel(parent) {}

void ClickableLabel::mousePressEvent(QMouseEvent *event)
{
    emit mouseDown();
    event->accept();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseUp();
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace varnex
