// Projections of the two panels, fitted to a rectangle on copies of the scene's views.
#include "view/PanelProjection.h"

namespace {

int LineWidth(PixelRect R, int Base) { return (R.Right - R.Left) / 500 + Base; }

}  // namespace

PanelProjection DomainProjection(const SceneState& S, PixelRect Rect) {
    PanelProjection P;
    P.Rect = Rect;
    P.Sphere = S.StereoDomain;
    P.View = S.DomView;
    P.SphereV = S.DomSphere;
    FitDomainView(P.View, P.SphereV, S.StereoDomain, Rect, S.DomMin, S.DomMax, S.PreserveRatio);
    P.GridWidth = LineWidth(Rect, 1);
    P.LocusWidth = LineWidth(Rect, 2);
    return P;
}

PanelProjection ImageProjection(const SceneState& S, PixelRect Rect) {
    PanelProjection P;
    P.Rect = Rect;
    P.Sphere = S.StereoImage;
    // On the sphere the plane quantities keep what the last plane fitting left.
    P.View = S.ImgView;
    P.SphereV = S.ImgSphere;
    FitImageView(P.View, P.SphereV, S.StereoImage, Rect, S.ImgMin, S.ImgMax, S.PreserveRatio);
    P.GridWidth = LineWidth(S.ImgRect, 1);
    P.LocusWidth = LineWidth(Rect, 2);
    return P;
}
