// Drawing for a page or a file fits the views to other rectangles; this puts both views back
// on their panels when it goes out of scope, whatever happened, so the mouse finds the same
// points as before.
#pragma once

#include "model/SceneState.h"

class ScreenViewsBack {
public:
    explicit ScreenViewsBack(SceneState& Scene) : S(Scene) {}
    ~ScreenViewsBack() {
        FitDomainView(S.DomView, S.DomSphere, S.StereoDomain, S.DomRect, S.DomMin, S.DomMax,
                      S.PreserveRatio);
        FitImageView(S.ImgView, S.ImgSphere, S.StereoImage, S.ImgRect, S.ImgMin, S.ImgMax,
                     S.PreserveRatio);
    }
    ScreenViewsBack(const ScreenViewsBack&) = delete;
    ScreenViewsBack& operator=(const ScreenViewsBack&) = delete;

private:
    SceneState& S;
};
