// The view transforms: plane fits, the inverse stereographic projection and its inverse.
#include "model/Maps.h"

#include <algorithm>
#include <cmath>

int RoundPixel(double X) {
    if (!(X > -1e6)) return -1000000;  // also NaN: off every panel
    if (!(X < 1e6)) return 1000000;
    return static_cast<int>(std::nearbyint(X));
}

void ResetSphere(SphereView& S, int Which) {
    if (Which != 1 && Which != 2) return;
    S = SphereView{};
    S.Scale = Which == 1 ? 126 : 207;
    S.CentrePixel = Which == 1 ? PixelPoint{140, 140} : PixelPoint{230, 230};
}

Point3 InvStereo(const SphereView& S, Point2 P) {
    double A = P.X - S.Centre.X, B = P.Y - S.Centre.Y;
    double R2 = A * A + B * B;
    double K = S.Radius / (S.RadiusSqr + R2);
    return {2 * S.Radius * K * A, 2 * S.Radius * K * B, (S.RadiusSqr - R2) * K};
}

Point2 PlaneToPanel(const PlaneView& V, const Point3& P) {
    return {(P.X - V.ViewMin.X) * V.PixPerUnit.X + V.ViewRect.Left,
            (V.ViewMax.Y - P.Y) * V.PixPerUnit.Y + V.ViewRect.Top};
}

static Point3 Row(const SphereView& S, int I) {
    return {S.Rotation[I][0], S.Rotation[I][1], S.Rotation[I][2]};
}

Point2 SphereToPanel(const SphereView& S, PixelPoint PanelCentre, const Point3& P, bool& Rear) {
    Rear = Dot3(Row(S, 2), P) > 0;
    return {Dot3(Row(S, 0), P) * S.Scale + PanelCentre.X,
            Dot3(Row(S, 1), P) * S.Scale + PanelCentre.Y};
}

Point2 PlanePixelToPoint(const PlaneView& V, int32_t X, int32_t Y) {
    return {(X - V.ViewRect.Left) * V.UnitPerPixel.X + V.ViewMin.X,
            (V.ViewRect.Top - Y) * V.UnitPerPixel.Y + V.ViewMax.Y};
}

Point2 SpherePixelToPoint(const SphereView& S, int32_t X, int32_t Y, bool Rear) {
    double A = (X - S.CentrePixel.X) / S.Scale;
    double B = (Y - S.CentrePixel.Y) / S.Scale;
    double D = S.RadiusSqr - A * A - B * B;
    if (!(D > 0)) return {NoPoint, 0};
    double H = Rear ? std::sqrt(D) : -std::sqrt(D);
    double Q[3];
    for (int J = 0; J < 3; ++J)
        Q[J] = A * S.Rotation[0][J] + B * S.Rotation[1][J] + H * S.Rotation[2][J];
    double W = S.Radius + Q[2];
    if (!(W > 0)) return {NoPoint, 0};
    return {S.Radius * Q[0] / W + S.Centre.X, S.Radius * Q[1] / W + S.Centre.Y};
}

namespace {

// Steps 4 to 6 of a fitting: scales from the width (panels and frames are square), and the
// drawing rectangle shrunk along one axis when the ratio is preserved.
// The margin of a preserved ratio: at most half the rectangle. A world rectangle too flat or
// too wide for doubles (a scale of 0 or infinity) gives no margin rather than a number that no
// pixel count can hold.
int32_t Margin(double W, double Extent, double Scale) {
    double Off = std::nearbyint(((W - 1) - Extent * Scale) * 0.5);
    if (!(Off >= 0)) return 0;
    return static_cast<int32_t>(std::min(Off, std::floor((W - 1) / 2)));
}

void FitPlane(PlaneView& V, PixelRect Rect, Point2 Min, Point2 Max, bool PreserveRatio) {
    double W = Rect.Right - Rect.Left;
    double SX = W / (Max.X - Min.X), SY = W / (Max.Y - Min.Y);
    V.ViewRect = Rect;
    if (PreserveRatio) {
        if (SX < SY) {
            int32_t Off = Margin(W, Max.Y - Min.Y, SX);
            SY = SX;
            V.ViewRect = {Rect.Left, Rect.Top + Off, Rect.Right, Rect.Bottom - Off};
        } else {
            SX = SY;
            int32_t Off = Margin(W, Max.X - Min.X, SY);
            V.ViewRect = {Rect.Left + Off, Rect.Top, Rect.Right - Off, Rect.Bottom};
        }
    }
    V.PixPerUnit = {SX, SY};
    V.UnitPerPixel = {1 / SX, 1 / SY};
}

void FitCommon(PlaneView& V, SphereView& S, bool Sphere, PixelRect Rect, Point2 Min,
               Point2 Max) {
    V.PanelCentre = {(Rect.Left + Rect.Right) / 2, (Rect.Top + Rect.Bottom) / 2};
    V.ViewMin = Min;
    V.ViewMax = Max;
    if (Sphere) {
        S.Scale = 0.45 * (Rect.Right - Rect.Left) / S.Radius;
        S.CentrePixel = V.PanelCentre;
    }
}

}  // namespace

void FitDomainView(PlaneView& V, SphereView& S, bool Sphere, PixelRect Rect, Point2 Min,
                   Point2 Max, bool PreserveRatio) {
    FitCommon(V, S, Sphere, Rect, Min, Max);
    FitPlane(V, Rect, Min, Max, PreserveRatio && !Sphere);
}

void FitImageView(PlaneView& V, SphereView& S, bool Sphere, PixelRect Rect, Point2 Min,
                  Point2 Max, bool PreserveRatio) {
    FitCommon(V, S, Sphere, Rect, Min, Max);
    if (!Sphere) FitPlane(V, Rect, Min, Max, PreserveRatio);
}
