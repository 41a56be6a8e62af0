#include "ui/common/clickable_label.h"

#include <QAccessibleWidget>
#include <QMouseEvent>

namespace varnex {

namespace {

// Qt sees a QLabel as static text; these are buttons and links.
class AccessibleClickableLabel final : public QAccessibleWidget {
public:
    explicit AccessibleClickableLabel(ClickableLabel *label) : QAccessibleWidget(label) { }

    QAccessible::Role role() const override { return static_cast<const ClickableLabel *>(widget())->accessibleRole(); }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<const ClickableLabel *>(widget())->text();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {QAccessibleActionInterface::pressAction()}; }
    void doAction(const QString &action) override
    {
        if (action == QAccessibleActionInterface::pressAction() && widget()->isVisible())
            static_cast<ClickableLabel *>(widget())->click();
    }
};

QAccessibleInterface *accessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("varnex::ClickableLabel") && object && object->isWidgetType())
        return new AccessibleClickableLabel(static_cast<ClickableLabel *>(object));
    return nullptr;
}

} // namespace

ClickableLabel::ClickableLabel(QWidget *parent) : QLabel(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void ClickableLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_leftPressCounts = true;
    emit mouseDown();
    event->accept();
}

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The platform sends down, up, double-click, up: the first click has been
    // counted already, so this press shows the pressed picture and nothing more.
    if (event->button() == Qt::LeftButton)
        m_leftPressCounts = false;
    emit mouseDown();
    event->accept();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click =
        event->button() == Qt::LeftButton && m_leftPressCounts && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_leftPressCounts = false;
    emit mouseUp();
    event->accept();
    if (click)
        emit clicked();
}

} // namespace varnex
