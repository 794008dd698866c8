// Whole-range estimate, clip fields and the bound texts.
#include "curves/ImageBounds.h"

#include <algorithm>
#include <cmath>

#include "formula/OCFunctDDDoubleSafe.h"

void EstimateImgBoundsAndDivisor(SceneState& S) {
    double Lo[2] = {1e20, 1e20}, Hi[2] = {-1e20, -1e20};
    const double D[2] = {S.DomWidth[0] / 15, S.DomWidth[1] / 15};
    bool Any = false;
    for (int A = 0; A <= 15 && !StopRequested(S); ++A) {
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

std::string BoundText(double X) { return FloatToShortText(X >= 0 ? 5 : 6, X); }
