// Whole-range estimate, clip fields and the drags that move or zoom a rectangle.
#include "curves/ImageBounds.h"

#include <algorithm>
#include <cmath>

#include "formula/OCFunctDDDoubleSafe.h"

void EstimateImgBoundsAndDivisor(SceneState& S) {
    double Lo[2] = {1e20, 1e20}, Hi[2] = {-1e20, -1e20};
    const double D[2] = {S.DomWidth[0] / 15, S.DomWidth[1] / 15};
    bool Any = false;
    for (int A = 0; A <= 15; ++A) {
        for (int B = 0; B <= 15; ++B) {
            Point2 Q;
            if (!S.Procedures.MapPoint(S, {S.DomMin.X + A * D[0], S.DomMin.Y + B * D[1]}, Q))
                continue;
            Any = true;
            const double Value[2] = {Q.X, Q.Y};
            for (int I = 0; I < 2; ++I) {
                Lo[I] = std::min(Lo[I], Value[I]);
                Hi[I] = std::max(Hi[I], Value[I]);
            }
        }
    }
    for (int I = 0; I < 2; ++I) {
        Lo[I] = std::max(Lo[I], -1e6);
        Hi[I] = std::min(Hi[I], 1e6);
        if (!Any) {
            Lo[I] = -1;
            Hi[I] = 1;
        } else if (!(Hi[I] > Lo[I])) {
            // A map constant on this axis: a box about the value, so views never divide by 0.
            double C = Lo[I];
            double Half = std::max(1.0, std::fabs(C) / 10);
            Lo[I] = C - Half;
            Hi[I] = C + Half;
        }
        S.ImgCentre[I] = (Hi[I] + Lo[I]) / 2;
        S.ImgHalf[I] = (Hi[I] - Lo[I]) * 0.55;
        S.ImgWidth[I] = 2 * S.ImgHalf[I];
    }
    S.ImgMin = {S.ImgCentre[0] - S.ImgHalf[0], S.ImgCentre[1] - S.ImgHalf[1]};
    S.ImgMax = {S.ImgCentre[0] + S.ImgHalf[0], S.ImgCentre[1] + S.ImgHalf[1]};
    S.ImgDivisor = (S.ImgHalf[0] + S.ImgHalf[1]) / 400;
    S.ImgDiag = std::hypot(S.ImgWidth[0], S.ImgWidth[1]);
}

bool VerifyImageBoundsEntries(SceneState& S, const std::string& XMin, const std::string& XMax,
                              const std::string& YMin, const std::string& YMax) {
    double Values[4];
    const std::string* Texts[4] = {&XMin, &XMax, &YMin, &YMax};
    for (int I = 0; I < 4; ++I) {
        try {
            EvaluateConstantFormula(*Texts[I], Values[I]);
        } catch (const FormulaError&) {
            return false;
        }
        if (!std::isfinite(Values[I])) return false;
    }
    S.ImgMin = {Values[0], Values[2]};
    S.ImgMax = {Values[1], Values[3]};
    return Values[0] < Values[1] && Values[2] < Values[3];
}

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

std::string BoundText(double X) { return FloatToShortText(X >= 0 ? 5 : 6, X); }
