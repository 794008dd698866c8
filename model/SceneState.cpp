// Scene construction and the derived fields of its rectangles.
#include "model/SceneState.h"

#include <cmath>

SceneState::SceneState() {
    ResetSphere(DomSphere, 1);
    ResetSphere(ImgSphere, 2);
}

void SetBasicData(SceneState& S) {
    const double Min[2][2] = {{S.DomMin.X, S.DomMin.Y}, {S.ImgMin.X, S.ImgMin.Y}};
    const double Max[2][2] = {{S.DomMax.X, S.DomMax.Y}, {S.ImgMax.X, S.ImgMax.Y}};
    const double ParamMin[2] = {S.ParamMin.X, S.ParamMin.Y};
    const double ParamMax[2] = {S.ParamMax.X, S.ParamMax.Y};
    for (int I = 0; I < 2; ++I) {
        S.DomWidth[I] = Max[0][I] - Min[0][I];
        S.DomHalf[I] = S.DomWidth[I] / 2;
        S.DomCentre[I] = (Max[0][I] + Min[0][I]) / 2;
        S.ParamWidth[I] = ParamMax[I] - ParamMin[I];
        if (!S.WholeImage) {
            S.ImgWidth[I] = Max[1][I] - Min[1][I];
            S.ImgHalf[I] = S.ImgWidth[I] / 2;
            S.ImgCentre[I] = (Max[1][I] + Min[1][I]) / 2;
        }
    }
    FitDomainView(S.DomView, S.DomSphere, S.StereoDomain, S.DomRect, S.DomMin, S.DomMax,
                  S.PreserveRatio);
    S.DomDiag = std::hypot(S.DomWidth[0], S.DomWidth[1]);
    S.DomPixelSize = S.DomDiag / (280 * std::sqrt(2.0));
}
