// The critical points of a holomorphic map w(z): the zeros of w', found directly from the
// exact derivative programs (a seed grid, then Newton's method on w' with the step scaled by
// the multiplicity and the roots found deflated), each with its order and critical value.
#pragma once

#include <vector>

#include "model/SceneState.h"

// Bounds of one search, whatever the map: seeds per side of the domain, Newton iterations
// from one seed, roots kept (inside the domain or near it, for the deflation), and samples
// of w' on the circle that counts a root's order.
inline constexpr int CriticalSeedsPerSide = 20;
inline constexpr int CriticalIterations = 60;
inline constexpr int CriticalRootsKept = 200;
inline constexpr int CriticalOrderSamples = 64;

// True when the scene's map is holomorphic and has derivative programs: its critical points
// are then sought directly instead of tracing J = |w'|^2, which never changes sign.
bool HasDirectCriticalPoints(const SceneState& S);

// Appends the critical points in the domain rectangle to Out (Kind Critical, Order = the
// multiplicity of the zero of w', ImgPt = w(c), panel positions set). Returns false when a
// stop request ended the search.
bool FindCriticalPoints(const SceneState& S, std::vector<SingularPoint>& Out);
