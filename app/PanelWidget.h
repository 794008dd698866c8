// A drawing panel of the main window: it shows one of the scene's surfaces and reports the
// mouse with its buttons and modifier keys. Painting only copies the surface.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

#include "scene/TorvaneScene.h"

class PanelWidget : public QWidget {
    Q_OBJECT

public:
    PanelWidget(const char* Name, const QRect& Geometry, const QImage* Surface, QWidget* Parent);

    std::function<void(MouseButton, ShiftState, int, int)> OnMouseDown, OnMouseUp;
    std::function<void(ShiftState, int, int)> OnMouseMove;

    static ShiftState StateOf(const QMouseEvent* Event);
    // The window's enlargement: the mouse is reported in the pixels of the panel as drawn at
    // the smallest size, and the surface fills the panel whatever its pixel count.
    double LayoutScale = 1;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    QPoint LayoutPoint(const QMouseEvent* Event) const;
    const QImage* Surface;
};
