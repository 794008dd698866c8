// The one road from the fields to the pixels, in stages: reading the fields (the formulas
// compiled, the bounds checked: TorvaneScene::ReadData), computing the scene (the procedures
// bound, the views fitted to the panels, the grid, the image curves and the singular locus),
// and drawing it (the panel bitmaps on the screen, or a page or a picture file through panel
// projections of the same computed scene).
#pragma once

#include "model/SceneState.h"

// The first part of computing the scene from its derived fields (SetBasicData) and its
// compiled formulas: binds the procedures, fits both views to their panels, traces the domain
// grid and estimates the image rectangle (in whole-range mode), all the locus needs. The image
// lines (TraceImageCurves) and the locus follow; RunSceneWork does it all. Touches no pixel.
void PrepareSceneCurves(SceneState& S);
