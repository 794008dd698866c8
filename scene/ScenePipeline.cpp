// The computing stage of the pipeline, and the scene's two entries into it: Draw It, which
// reads the fields first, and the redraw after a gesture, which computes from the scene as
// the gesture left it.
#include "scene/ScenePipeline.h"

#include "curves/GridCurves.h"
#include "curves/SingularLocus.h"
#include "scene/TorvaneScene.h"
#include "view/SceneViews.h"

void ComputeScene(SceneState& S, TImplicitCurveLine& Tracer) {
    S.SingLocus.LastIndex = -1;
    BindViewProcedures(S);
    FitDomainView(S.DomView, S.DomSphere, S.StereoDomain, S.DomRect, S.DomMin, S.DomMax,
                  S.PreserveRatio);
    ComputeDomainCurves(S);
    ComputeImageCurves(S);
    FitImageView(S.ImgView, S.ImgSphere, S.StereoImage, S.ImgRect, S.ImgMin, S.ImgMax,
                 S.PreserveRatio);
    if (S.ShowSingLocus) ComputeSingularLocus(S, Tracer);
}

void TorvaneScene::ReadAndDraw(bool FromDrawButton) {
    int Read = S.MapType == 0 ? ReadDataReal() : S.MapType == 1 ? ReadDataComplex() : 0;
    if (Read == 1) {
        ComputeAndDrawCurves();
        if (FromDrawButton) S.Modified = true;
    }
    DrawButtonIsDefault = false;
}

void TorvaneScene::ComputeAndDrawCurves() {
    EraseRect(ParametersSurface, S.ParamRect);
    SpotShown = false;
    AdjustSpotToParameters();
    ComputeScene(S, SingTracer);
    // Both bitmaps get the panel's background for the views just fitted, then the picture.
    SetClip(DomBitmap, DomBitmapClip, S.DomRect, S.DomView.ViewRect);
    SetClip(ImgBitmap, ImgBitmapClip, S.ImgRect, ImageDrawingRect());
    DrawDomainBitmap(false);
    DrawImageBitmap(false);
    S.SceneReady = true;
}
