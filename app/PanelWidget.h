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

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    const QImage* Surface;
};
