#include "ui/main_window/flat_style.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace varnex {

namespace {

const QColor kOutline(0, 0, 0);

} // namespace

// Fusion underneath, whatever the desktop's style, so every machine shows the same window.
FlatStyle::FlatStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

void FlatStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                              const QWidget *widget) const
{
    switch (element) {
    case PE_IndicatorCheckBox: {
        const QRect box = option->rect.adjusted(0, 0, -1, -1);
        painter->save();
        painter->setPen(kOutline);
        painter->setBrush(option->state & State_Enabled ? Qt::white : option->palette.color(QPalette::Window));
        painter->drawRect(box);
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
        painter->setPen(kOutline);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        return;
    case PE_FrameLineEdit:
        return;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
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
