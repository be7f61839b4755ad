#include "app/widgets/shape_widget.h"

#include <QPainter>
#include <QRegion>

namespace app {

ShapeWidget::ShapeWidget(QWidget *parent, const QString &name) : QWidget(parent)
{
    setObjectName(name);
}

void ShapeWidget::UpdateMask()
{
    const QRect r = rect();
    setMask(QRegion(r).subtracted(QRegion(r.adjusted(1, 1, -1, -1))));
}

void ShapeWidget::resizeEvent(QResizeEvent *)
{
    UpdateMask();
}

void ShapeWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace app
