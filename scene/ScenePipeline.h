// The one road from the fields to the pixels, in stages: reading the fields (the formulas
// compiled, the bounds checked: TorvaneScene::ReadData), computing the scene (the procedures
// bound, the views fitted to the panels, the grid, the image curves and the singular locus),
// and drawing it (the panel bitmaps on the screen, or a page or a picture file through panel
// projections of the same computed scene).
#pragma once

#include "curves/FImplicitCurveLine.h"
#include "model/SceneState.h"

// Computes everything the drawing shows from the scene's derived fields (SetBasicData) and
// its compiled formulas: binds the procedures, fits both views to their panels, traces the
// domain grid and its image (estimating the image rectangle in whole-range mode), and, when
// the scene shows it, the singular locus; the locus is emptied otherwise. Touches no pixel.
void ComputeScene(SceneState& S, TImplicitCurveLine& Tracer);
// The same without the locus: everything the locus needs is ready after it.
void ComputeSceneCurves(SceneState& S);
// The same without the image lines (TraceImageCurves traces them): the views, the domain
// grid and the image rectangle, all the locus needs.
void PrepareSceneCurves(SceneState& S);
