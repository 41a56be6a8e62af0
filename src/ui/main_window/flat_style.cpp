#include "ui/main_window/flat_style.h"

#include <QFrame>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace varnex {

namespace {

const QColor kOutline(0, 0, 0);

// A one-pixel outline just inside `rect`, in filled strips rather than a pen:
// a pen is centred on the edge, so at a scale of 2 it falls half outside the
// top and left and wholly inside the bottom and right. Strips are as thick on
// every side at every scale.
void drawOutline(QPainter *painter, const QRect &rect, const QColor &colour, int width = 1)
{
    painter->fillRect(QRect(rect.left(), rect.top(), rect.width(), width), colour);
    painter->fillRect(QRect(rect.left(), rect.bottom() - width + 1, rect.width(), width), colour);
    painter->fillRect(QRect(rect.left(), rect.top() + width, width, rect.height() - 2 * width), colour);
    painter->fillRect(QRect(rect.right() - width + 1, rect.top() + width, width, rect.height() - 2 * width), colour);
}

} // namespace

// Fusion underneath, whatever the desktop's style, so every machine shows the same window.
FlatStyle::FlatStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) { }

void FlatStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                              const QWidget *widget) const
{
    switch (element) {
    case PE_IndicatorCheckBox: {
        const QRect box = option->rect.adjusted(0, 0, -1, -1);
        painter->save();
        painter->fillRect(option->rect,
                          option->state & State_Enabled ? QColor(Qt::white) : option->palette.color(QPalette::Window));
        drawOutline(painter, option->rect, kOutline);
        if (option->state & (State_On | State_NoChange)) {
            painter->setRenderHint(QPainter::Antialiasing, false);
            QPen tick(option->state & State_NoChange ? Qt::gray : Qt::black, 1);
            painter->setPen(tick);
            // A 3-pixel-thick tick, drawn as three one-pixel strokes.
            for (int dy = 0; dy < 3; ++dy) {
                const QPoint start = box.topLeft() + QPoint(3, 5 + dy);
                painter->drawPolyline(QList<QPoint>{start, start + QPoint(2, 2), start + QPoint(6, -2)});
            }
        }
        painter->restore();
        return;
    }
    case PE_PanelLineEdit:
        painter->fillRect(option->rect, option->palette.brush(QPalette::Base));
        drawOutline(painter, option->rect, kOutline);
        return;
    case PE_FrameLineEdit:
        return;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void FlatStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                            const QWidget *widget) const
{
    // The boxes and picture boxes: a plain outline in the frame's colour.
    if (element == CE_ShapedFrame) {
        if (const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(option);
            frame && frame->frameShape == QFrame::Box && !(frame->state & (State_Sunken | State_Raised))) {
            drawOutline(painter, frame->rect, frame->palette.color(QPalette::WindowText), frame->lineWidth);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

int FlatStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
        return 13;
    case PM_CheckBoxLabelSpacing:
        return 4;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

} // namespace varnex
