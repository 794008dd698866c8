// The isolated points of a real map's traced singular locus: its cusps, where the kernel of
// the derivative is tangent to the locus, and the points where the locus itself is singular
// (J and its gradient vanish), each refined by Newton's method to full precision.
#pragma once

#include <vector>

#include "model/SceneState.h"

// Bounds of one search, whatever the map: the Newton iterations of one refinement, and the
// refinements of one run (candidates beyond it are not refined).
inline constexpr int LocusPointIterations = 40;
inline constexpr int LocusPointCandidates = 400;

// Appends to Out the cusps and the singular points of S.SingLocus (a real map's, traced
// already), with their images and panel positions; a cusp that refines onto a singular
// point is reported as that point. Points outside the domain rectangle are dropped. Returns
// false when a stop request ended the search (Out then holds what was found until then).
bool FindLocusPoints(const SceneState& S, std::vector<SingularPoint>& Out);

// The panel positions of every point, after a change of view: Which = 1 the domain's, any
// other value the image's.
void UpdateSingularPoints(SceneState& S, int Which);
