// The domain grid (21 lines of constant v and 21 of constant u) and the adaptively sampled
// images of the same lines, as 3-D polylines of the scene.
#pragma once

#include "model/SceneState.h"

// Caps that keep every redraw bounded whatever the formula: sub-steps of one subdivision,
// points of one image line, and samples tried along one line.
inline constexpr int MaxSubdivision = 100;
inline constexpr int MaxLinePoints = 20000;
inline constexpr int MaxLineSamples = 100000;

void ComputeDomainCurves(SceneState& S);

// Sets ImgDivisor (and in whole-range mode the image rectangle), then traces the 42 image
// lines. Needs the bound procedures and the derived domain fields (SetBasicData).
void ComputeImageCurves(SceneState& S);
// Its two halves: the divisor, rectangle and line spacing with the lines emptied; then the
// lines, which write nothing else of the scene (so another thread may trace them while this
// one works on a copy).
void PrepareImageCurves(SceneState& S);
void TraceImageCurves(SceneState& S);

// Finds the first point of a line, from P along the coordinate Dir (1: u, 2: v), where the
// image can be evaluated and its bending gives a first step; moves P there, returns its image
// in Q and the step in Step. False when no point before TMax will do.
bool GuessStep(const SceneState& S, Point2& P, Point3& Q, double& Step, double MinStep,
               double MaxStep, int Dir, double TMax);

// Whether an image point is near enough to the image to draw a segment into it.
bool NotFarAwayImg(const SceneState& S, double X, double Y);
bool NotFarAwayImgPanel(const SceneState& S, double X, double Y);
