#pragma once

#include <QProxyStyle>

namespace varnex {

// The flat look of the boxes: a one-pixel outline instead of a sunken border,
// even on every side at every scale, and flat 13 x 13 tick squares.
class FlatStyle final : public QProxyStyle {
    Q_OBJECT

public:
    FlatStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
};

} // namespace varnex
