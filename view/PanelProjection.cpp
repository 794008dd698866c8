// Projections of the two panels, fitted to a rectangle on copies of the scene's views.
#include "view/PanelProjection.h"

#include <algorithm>
#include <cmath>

namespace {

int LineWidthFor(const SceneState& S, int Size, int Base) {
    const int Width = Size / 500 + Base;
    return S.PortraitColouring == Colouring::None ? Width : std::max(1, Width / 2);
}

int LineWidth(const SceneState& S, PixelRect R, int Base) { return LineWidthFor(S, R.Right - R.Left, Base); }

// The size in the pixels of a plain screen of a panel the screen shows with Size device pixels.
int PlainPixels(const SceneState& S, int Size) {
    return static_cast<int>(std::lround(Size / std::max(1.0, S.ScreenRatio)));
}

void ScreenWidths(const SceneState& S, PanelProjection& P) {
    const int Plain = PlainPixels(S, P.Rect.Right - P.Rect.Left);
    const double Ratio = std::max(1.0, S.ScreenRatio);
    P.GridWidth = LineWidthFor(S, Plain, 1);
    P.LocusWidth = std::max(1, static_cast<int>(std::lround(LineWidthFor(S, Plain, 2) * Ratio)));
    P.PixelRatio = Ratio;
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

namespace {

int Scaled(const SceneState& S, int Pixels) {
    return static_cast<int>(std::lround(Pixels * S.PanelScale));
}

}  // namespace

int ScreenSize(const SceneState& S, int Pixels) { return std::max(1, Scaled(S, Pixels)); }

PixelRect ScreenRect(const SceneState& S, PixelRect R) {
    return {Scaled(S, R.Left), Scaled(S, R.Top), Scaled(S, R.Right), Scaled(S, R.Bottom)};
}

PanelProjection ScreenDomainProjection(const SceneState& S) {
    PanelProjection P = DomainProjection(S, ScreenRect(S, S.DomRect));
    ScreenWidths(S, P);
    return P;
}

PanelProjection ScreenImageProjection(const SceneState& S) {
    PanelProjection P = ImageProjection(S, ScreenRect(S, S.ImgRect));
    ScreenWidths(S, P);
    return P;
}

int ScreenThinWidth(const SceneState& S, int Pixels) {
    return LineWidthFor(S, PlainPixels(S, ScreenSize(S, Pixels)), 1);
}

void TakeLineWidths(PanelProjection& P, const PanelProjection& Plain, double Ratio) {
    P.GridWidth = Plain.GridWidth;
    P.LocusWidth = std::max(1, static_cast<int>(std::lround(Plain.LocusWidth * Ratio)));
    P.PixelRatio = Ratio;
}
