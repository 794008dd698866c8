// Panel painting and mouse reporting.
#include "app/PanelWidget.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

bool ButtonOf(Qt::MouseButton B, MouseButton& Result) {
    switch (B) {
        case Qt::LeftButton: Result = MouseButton::Left; return true;
        case Qt::RightButton: Result = MouseButton::Right; return true;
        case Qt::MiddleButton: Result = MouseButton::Middle; return true;
        default: return false;
    }
}

}  // namespace

PanelWidget::PanelWidget(const char* Name, const QRect& Geometry, const QImage* Image,
                         QWidget* Parent)
    : QWidget(Parent), Surface(Image) {
    setObjectName(QString::fromLatin1(Name));
    setGeometry(Geometry);
    // Moves without a button held matter (the cross follows the mouse).
    setMouseTracking(true);
    // The surface covers the whole panel: nothing behind it needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ShiftState PanelWidget::StateOf(const QMouseEvent* Event) {
    ShiftState S;
    S.Shift = Event->modifiers().testFlag(Qt::ShiftModifier);
    S.Ctrl = Event->modifiers().testFlag(Qt::ControlModifier);
    S.Left = Event->buttons().testFlag(Qt::LeftButton);
    S.Right = Event->buttons().testFlag(Qt::RightButton);
    S.Middle = Event->buttons().testFlag(Qt::MiddleButton);
    return S;
}

void PanelWidget::paintEvent(QPaintEvent*) {
    QPainter P(this);
    // The surface has the panel's device pixels: shown with its own ratio it covers the panel
    // pixel for pixel, and a surface of the last size, briefly, stretched.
    // The source rectangle is given in the surface's own pixels, so the shared picture is
    // drawn without being copied.
    if (!Surface->isNull()) P.drawImage(QRectF(rect()), *Surface, QRectF(Surface->rect()));
}

QPoint PanelWidget::LayoutPoint(const QMouseEvent* Event) const {
    const QPointF At = Event->position() / LayoutScale;
    // The layout pixel under the mouse: the last half of a panel's last pixel is still in it.
    return QPoint(static_cast<int>(std::floor(At.x())), static_cast<int>(std::floor(At.y())));
}

void PanelWidget::mousePressEvent(QMouseEvent* Event) {
    MouseButton B;
    const QPoint At = LayoutPoint(Event);
    if (OnMouseDown && ButtonOf(Event->button(), B)) OnMouseDown(B, StateOf(Event), At.x(), At.y());
}

void PanelWidget::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint At = LayoutPoint(Event);
    if (OnMouseMove) OnMouseMove(StateOf(Event), At.x(), At.y());
}

void PanelWidget::mouseReleaseEvent(QMouseEvent* Event) {
    MouseButton B;
    const QPoint At = LayoutPoint(Event);
    if (OnMouseUp && ButtonOf(Event->button(), B)) OnMouseUp(B, StateOf(Event), At.x(), At.y());
}
