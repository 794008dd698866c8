// The parameters played along a path: each step is a drag step of the spot, drawn in the
// background while the next waits, so the window stays with the user however slow the map.
#include <algorithm>

#include "model/Maps.h"
#include "scene/SceneWork.h"
#include "scene/TorvaneScene.h"

std::string TorvaneScene::BeginAnimation(const ParameterPath& P) {
    // A path starts from a drawn map: the first drawing of a Draw It still under way has no
    // picture to move yet.
    if (!S.SceneReady)
        return Computing() ? "The map is still being drawn: play the path when the drawing is done."
                           : "There is no drawing to animate.";
    if (std::string Why = CheckParameterPath(P, S.ParamMin, S.ParamMax); !Why.empty()) return Why;
    // Stop puts the parameters back as they were typed before the path's first play: a play
    // resumed, from wherever it paused, keeps them.
    const bool Resumed = PlayedFromKept && P.From.X == Playing.From.X && P.From.Y == Playing.From.Y;
    if (!Resumed) {
        PlayedFrom[0] = Text(EditField::pValue);
        PlayedFrom[1] = Text(EditField::qValue);
        PlayedFromKept = true;
    }
    Playing = P;
    AnimationPlaying = true;
    ParametersDragging = CoarsePortraitDrawn = false;
    return "";
}

void TorvaneScene::MoveParametersTo(Point2 V, bool Coalesce) {
    // The ranges hold every point of a path that was checked; a rounding at a circle's edge
    // must not make the next Draw It refuse the value.
    V.X = std::clamp(V.X, S.ParamMin.X, S.ParamMax.X);
    V.Y = std::clamp(V.Y, S.ParamMin.Y, S.ParamMax.Y);
    TakeParameters(V);
    ComputeAndDrawCurves(Coalesce);
}

bool TorvaneScene::AnimateTo(double T) {
    if (!AnimationPlaying || !S.SceneReady) return false;
    ParametersDragging = true;
    MoveParametersTo(PointOnPath(Playing, T), true);
    return true;
}

void TorvaneScene::EndAnimation(bool BackToStart) {
    if (!AnimationPlaying) return;
    StopPlaying();
    if (!S.SceneReady) return;
    if (BackToStart) {
        MoveParametersTo(Playing.From, false);
        Text(EditField::pValue) = PlayedFrom[0];
        Text(EditField::qValue) = PlayedFrom[1];
    }
    else if (CoarsePortraitDrawn)
        Redo(WorkDrawDomain, false);
    CoarsePortraitDrawn = false;
}

void TorvaneScene::StopPlaying() {
    AnimationPlaying = false;
    ParametersDragging = false;
}

void TorvaneScene::DropAnimation() {
    ++ChangesEndingPaths;
    // Stop goes back to the texts typed before the next path, not this one.
    PlayedFromKept = false;
    if (!AnimationPlaying) return;
    StopPlaying();
    if (CoarsePortraitDrawn && S.SceneReady) Redo(WorkDrawDomain, false);
    CoarsePortraitDrawn = false;
}
