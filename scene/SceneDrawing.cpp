// The scene's overlays on its screen pictures: the tangent cross and the little circle, drawn
// in inverting mode so that drawing them again erases them.
#include <QPainter>

#include <cmath>

#include "model/MapDerivatives.h"
#include "scene/PanelRendering.h"
#include "scene/TorvaneScene.h"
#include "view/PanelProjection.h"
#include "view/SceneViews.h"

void TorvaneScene::EraseRect(QImage& Surface, PixelRect R) {
    QPainter P(&Surface);
    P.fillRect(ToQRect(ScreenRect(S, R)), WindowColour(DrawingColour));
}

namespace {

// An inverting pen of the screen's thin width, for overlays that drawing again erases: its
// width is in device pixels, whatever the painter's scale.
QPen OverlayPen(const SceneState& S, uint32_t Colour, int PanelPixels) {
    QPen Pen(WindowColour(Colour), ScreenThinWidth(S, PanelPixels));
    Pen.setCosmetic(true);
    return Pen;
}

}  // namespace

void TorvaneScene::DrawLittleCircle(PixelPoint P, bool Erase) {
    QPainter Canvas(&ParametersSurface);
    Canvas.setRenderHint(QPainter::Antialiasing, false);
    Canvas.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    // The circle keeps its size in the panel's pixels; the same transform draws it again to
    // erase it.
    if (S.PanelScale != 1) Canvas.scale(S.PanelScale, S.PanelScale);
    Canvas.setPen(OverlayPen(S, SpotColour, S.ParamRect.Right));
    if (Erase && SpotShown) {
        DrawOctagon(Canvas, Spot);
        SpotShown = false;
    }
    DrawOctagon(Canvas, P);
    Spot = P;
    SpotShown = true;
}

void TorvaneScene::DrawCrossArms() {
    QPainter Canvas(&ImageSurface);
    Canvas.setRenderHint(QPainter::Antialiasing, false);
    Canvas.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    Canvas.setPen(OverlayPen(S, CrossAtBack ? RearCrossColour : CrossColour, S.ImgRect.Right));
    // The ends are in the bitmap's device pixels.
    for (const auto& Arm : CrossEnds)
        Canvas.drawLine(QPoint(Arm[0].X, Arm[0].Y), QPoint(Arm[1].X, Arm[1].Y));
}

bool TorvaneScene::DrawCrossInImg(Point2& DomPt, Point2& ImgPt, int X, int Y) {
    if (CrossShown) {
        DrawCrossArms();
        CrossShown = false;
    }
    int Hemisphere = 2;
    if (!PickDomainPoint(S, DomPt, ImgPt, X, Y, Hemisphere)) return false;
    CrossAtBack = Hemisphere == 1;
    double Size = CrossSize * S.DomDiag;
    Point3 P, Tu, Tv;
    if (!ImagePoint3Derivs(S, DomPt, P, Tu, Tv)) return false;
    bool Rear = false;
    Point2 C = S.Procedures.ImgToPanel(S, P, Rear);
    if (!std::isfinite(C.X) || !std::isfinite(C.Y)) return false;
    int CX = RoundPixel(C.X), CY = RoundPixel(C.Y);
    if (!(CX > 0 && CX < 460 && CY > 0 && CY < 460)) return false;
    const Point3 Ends[4] = {{P.X + Size * Tu.X, P.Y + Size * Tu.Y, P.Z + Size * Tu.Z},
                            {P.X - Size * Tu.X, P.Y - Size * Tu.Y, P.Z - Size * Tu.Z},
                            {P.X + Size * Tv.X, P.Y + Size * Tv.Y, P.Z + Size * Tv.Z},
                            {P.X - Size * Tv.X, P.Y - Size * Tv.Y, P.Z - Size * Tv.Z}};
    PixelPoint Pixels[4];
    for (int I = 0; I < 4; ++I) {
        Point2 Q = S.Procedures.ImgToPanel(S, Ends[I], Rear);
        if (!std::isfinite(Q.X) || !std::isfinite(Q.Y)) return false;
        Pixels[I] = {RoundPixel(Q.X * S.PanelScale), RoundPixel(Q.Y * S.PanelScale)};
        CrossAtBack = Rear;
    }
    CrossEnds[0][0] = Pixels[0];
    CrossEnds[0][1] = Pixels[1];
    CrossEnds[1][0] = Pixels[2];
    CrossEnds[1][1] = Pixels[3];
    DrawCrossArms();
    CrossShown = true;
    return true;
}
