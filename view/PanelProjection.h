// What a drawing of one panel needs to know about where things go: the rectangle it fills,
// the plane view and the sphere fitted to that rectangle, and the pen widths. A projection is
// a value computed from the scene, so drawing for the screen, a page or a file never changes
// the views that the mouse and the curve sampling use.
#pragma once

#include "model/SceneState.h"

struct PanelProjection {
    PixelRect Rect;        // the rectangle the panel's drawing fills
    bool Sphere = false;   // the panel shows its plane on the sphere
    PlaneView View;        // fitted to Rect
    SphereView SphereV;    // with its scale and centre pixel fitted to Rect
    int GridWidth = 1;     // pen width of the grid lines
    int LocusWidth = 2;    // pen width of the singular locus
    // A phase portrait is coloured in blocks of this many pixels a side (a quick preview).
    int PortraitStep = 1;
    // Device pixels to a pixel of the panel as laid out (a fine screen, a PNG picture made
    // for one): the marks of singular points keep their size with it.
    double PixelRatio = 1;

    // The panel position (not rounded) of a space point of the panel's plane or sphere; Rear
    // when it is on the sphere's far side.
    Point2 ToPanel(const Point3& P, bool& Rear) const {
        if (Sphere) return SphereToPanel(SphereV, View.PanelCentre, P, Rear);
        Rear = false;
        return PlaneToPanel(View, P);
    }
    // Where the drawing shows the map (white): the whole rectangle on a sphere, the fitted
    // plane view otherwise (smaller than Rect when the ratio is preserved).
    PixelRect DrawingRect() const { return Sphere ? Rect : View.ViewRect; }
};

// The projections of the scene's Domain and Image panels into Rect. The image grid's pen
// width follows the scene's Image panel rather than Rect, as the screen shows it. Over a
// phase portrait the pens are half as wide (at least a pixel), so that both read together.
PanelProjection DomainProjection(const SceneState& S, PixelRect Rect);
PanelProjection ImageProjection(const SceneState& S, PixelRect Rect);

// The screen's bitmaps: a rectangle of the panels' pixels in device pixels (S.PanelScale to
// a pixel), the size of a panel's bitmap, and the projections the screen draws with. Lines
// as wide as a panel of that size on a plain screen would draw them, in device pixels of a
// screen with S.ScreenRatio of them to a pixel: the grid and the cross stay one device pixel
// thin, the locus keeps its weight.
PixelRect ScreenRect(const SceneState& S, PixelRect R);
int ScreenSize(const SceneState& S, int Pixels);
PanelProjection ScreenDomainProjection(const SceneState& S);
PanelProjection ScreenImageProjection(const SceneState& S);
// Plain's line widths for a drawing with Ratio device pixels to each of Plain's pixels: the
// thin grid stays as many device pixels wide, the locus grows with Ratio.
void TakeLineWidths(PanelProjection& P, const PanelProjection& Plain, double Ratio);
// The pen width of the screen's thin lines (the grid, the cross, the little circle) over a
// panel of Pixels pixels.
int ScreenThinWidth(const SceneState& S, int Pixels);
