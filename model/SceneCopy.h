// A copy of the scene's state for work on another thread: without the curves and the locus
// (copying them would cost more than the work they would save), and with its own copies of
// the compiled formulas, whose runs keep scratch in the object.
#pragma once

#include "formula/OCComplexFunct.h"
#include "formula/OCFunctDDDoubleSafe.h"
#include "model/SceneState.h"

// The state without the grid, the image lines, the locus and the preimage samples, which stay
// in From (moved aside while it is copied): for work that computes them again.
SceneState CopyWithoutCurves(SceneState& From);

struct SceneCopy {
    SceneState S;
    TOCFunctDDDoubleSafe X, Y;
    TOCComplexFunction W;

    // From is left as it was (its curves are moved aside while it is copied).
    explicit SceneCopy(SceneState& From);
    SceneCopy(const SceneCopy&) = delete;
    SceneCopy& operator=(const SceneCopy&) = delete;
};
