// Drags that move or zoom a rectangle, and the Parameters pad's pixels and values.
#include "view/ViewDrags.h"

#include <algorithm>
#include <cmath>

namespace {

struct Rectangle {
    Point2& Min;
    Point2& Max;
    double* Centre;
    double* Half;
    double* Width;
};

// The shared arithmetic of both drags.
bool Drag(SceneState& S, Rectangle R, const PlaneView& View, PixelRect Panel, bool& Shifting,
          bool& Zooming, PixelPoint& Origin, PixelPoint At, bool Translate) {
    if (Translate && !Shifting) {
        Shifting = true;
        Zooming = false;
        Origin = At;
    }
    if (!Translate && !Zooming) {
        Shifting = false;
        Zooming = true;
        Origin = At;
    }
    if (At.X == Origin.X && At.Y == Origin.Y) return false;
    S.Modified = true;
    double DX = At.X - Origin.X, DY = At.Y - Origin.Y;
    if (Shifting) {
        R.Min.X -= DX * View.UnitPerPixel.X;
        R.Max.X -= DX * View.UnitPerPixel.X;
        R.Min.Y += DY * View.UnitPerPixel.Y;
        R.Max.Y += DY * View.UnitPerPixel.Y;
        R.Centre[0] = (R.Max.X + R.Min.X) / 2;
        R.Centre[1] = (R.Max.Y + R.Min.Y) / 2;
    } else {
        // A fast move of more than a third of the panel would make a factor negative and
        // turn the interval inside out; one step zooms in at most tenfold, as a sphere's
        // radius step does.
        double FU = std::max(0.1, (Panel.Right - 3 * DX) / Panel.Right);
        double FV = std::max(0.1, (Panel.Bottom + 3 * DY) / Panel.Bottom);
        R.Max.X = R.Centre[0] + FU * R.Half[0];
        R.Min.X = R.Centre[0] - FU * R.Half[0];
        R.Max.Y = R.Centre[1] + FV * R.Half[1];
        R.Min.Y = R.Centre[1] - FV * R.Half[1];
        R.Width[0] = R.Max.X - R.Min.X;
        R.Width[1] = R.Max.Y - R.Min.Y;
        R.Half[0] = R.Width[0] / 2;
        R.Half[1] = R.Width[1] / 2;
    }
    Origin = At;
    return true;
}

}  // namespace

bool ChangeDomain(SceneState& S, PixelPoint At, bool Translate) {
    if (!S.SceneReady) return false;
    Rectangle R{S.DomMin, S.DomMax, S.DomCentre, S.DomHalf, S.DomWidth};
    if (!Drag(S, R, S.DomView, S.DomRect, S.DomShifting, S.DomZooming, S.DomDragOrigin, At,
              Translate))
        return false;
    SetBasicData(S);
    return true;
}

bool ChangeImageBounds(SceneState& S, PixelPoint At, bool Translate) {
    if (!S.SceneReady || S.StereoImage) return false;
    Rectangle R{S.ImgMin, S.ImgMax, S.ImgCentre, S.ImgHalf, S.ImgWidth};
    if (!Drag(S, R, S.ImgView, S.ImgRect, S.ImgShifting, S.ImgZooming, S.ImgDragOrigin, At,
              Translate))
        return false;
    S.WholeImage = false;
    SetBasicData(S);
    return true;
}

void SetParameterScale(SceneState& S) {
    S.ParamScale[0] = S.ParamWidth[0] / 199;
    S.ParamScale[1] = S.ParamWidth[1] / 199;
}

Point2 ParametersAtPixel(const SceneState& S, PixelPoint Pixel) {
    return {Pixel.X * S.ParamScale[0] + S.ParamMin.X, S.ParamMax.Y - Pixel.Y * S.ParamScale[1]};
}

PixelPoint SpotOfParameters(const SceneState& S) {
    PixelPoint P;
    P.X = S.ParamScale[0] == 0 ? 100 : RoundPixel((S.ParamValue.X - S.ParamMin.X) / S.ParamScale[0]);
    P.Y = S.ParamScale[1] == 0 ? 100 : RoundPixel((S.ParamMax.Y - S.ParamValue.Y) / S.ParamScale[1]);
    return P;
}
