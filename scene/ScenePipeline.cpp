// The computing stage of the pipeline, and the scene's two entries into it: Draw It, which
// reads the fields first, and the redraw after a gesture, which computes from the scene as
// the gesture left it.
#include "scene/ScenePipeline.h"

#include "common/ResStrings.h"
#include "curves/GridCurves.h"
#include "scene/SceneWork.h"
#include "scene/TorvaneScene.h"
#include "view/SceneViews.h"

void PrepareSceneCurves(SceneState& S) {
    S.SingLocus.LastIndex = -1;
    S.SingPoints.clear();
    BindViewProcedures(S);
    FitDomainView(S.DomView, S.DomSphere, S.StereoDomain, S.DomRect, S.DomMin, S.DomMax,
                  S.PreserveRatio);
    ComputeDomainCurves(S);
    PrepareImageCurves(S);
    // The image view follows the rectangle just estimated, not the lines.
    FitImageView(S.ImgView, S.ImgSphere, S.StereoImage, S.ImgRect, S.ImgMin, S.ImgMax,
                 S.PreserveRatio);
}

void TorvaneScene::ReadAndDraw(bool FromDrawButton) {
    DropAnimation();
    // Reading writes the scene's values as it goes: nothing may be computing from them then.
    CancelComputing();
    int Read = S.MapType == 0 ? ReadDataReal() : S.MapType == 1 ? ReadDataComplex() : 0;
    if (Read == 1) {
        ComputeAndDrawCurves();
        if (FromDrawButton) S.Modified = true;
    }
    DrawButtonIsDefault = false;
}

std::string TorvaneScene::ComputeFrame(Point2 V) {
    if (!S.SceneReady) return "There is no drawing to animate.";
    if (!(V.X >= S.ParamMin.X && V.X <= S.ParamMax.X)) return ResStrings::PValueOutside;
    if (!(V.Y >= S.ParamMin.Y && V.Y <= S.ParamMax.Y)) return ResStrings::QValueOutside;
    CancelComputing();
    TakeParameters(V);
    // The road Draw It takes, on every core; a frame is exported, not shown.
    RunSceneWork({S, SingTracer, DomBitmap, ImgBitmap, DomBitmapClip, ImgBitmapClip, false, &OnCurvesComputed},
                 WorkEverything);
    return "";
}

void TorvaneScene::ComputeAndDrawCurves(bool Coalesce) {
    EraseRect(ParametersSurface, S.ParamRect);
    SpotShown = false;
    AdjustSpotToParameters();
    Redo(WorkFull, Coalesce);
}
