// Projections of the two panels, fitted to a rectangle on copies of the scene's views.
#include "view/PanelProjection.h"

#include <algorithm>

namespace {

int LineWidth(const SceneState& S, PixelRect R, int Base) {
    const int Width = (R.Right - R.Left) / 500 + Base;
    return S.PortraitColouring == Colouring::None ? Width : std::max(1, Width / 2);
}

}  // namespace

PanelProjection DomainProjection(const SceneState& S, PixelRect Rect) {
    PanelProjection P;
    P.Rect = Rect;
    P.Sphere = S.StereoDomain;
    P.View = S.DomView;
    P.SphereV = S.DomSphere;
    FitDomainView(P.View, P.SphereV, S.StereoDomain, Rect, S.DomMin, S.DomMax, S.PreserveRatio);
    P.GridWidth = LineWidth(S, Rect, 1);
    P.LocusWidth = LineWidth(S, Rect, 2);
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
    P.GridWidth = LineWidth(S, S.ImgRect, 1);
    P.LocusWidth = LineWidth(S, Rect, 2);
    return P;
}
