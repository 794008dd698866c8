// Shading the image by the number of preimages: the vertices of a fine triangulation of the
// domain are mapped once with the curves (the costly part, on every core), and each view of
// the image, on the screen or in a picture, is counted from them in bands on every core.
#pragma once

#include <atomic>

#include "curves/PreimageCount.h"
#include "model/SceneState.h"
#include "view/PanelProjection.h"

// The triangulation has PreimageSquares x PreimageSquares squares, two triangles each.
inline constexpr int PreimageSquares = 400;
// A raster side beyond this is counted at a fraction of its resolution (a printed page or a
// large picture), so that the count's memory and time stay those of a screen panel.
inline constexpr int MaxShadingRaster = 2048;

// Maps the triangulation's vertices into S.Preimages when S.ShadePreimages is on, else empties
// it. The first share is mapped with S's own formulas, the others on copies of S on the
// pool's workers; it waits for them, so it must not run inside a task of the pool. Stops at
// S's stop request, leaving the samples empty.
void ComputePreimageSamples(SceneState& S);

// The pieces of that, for work that runs the shares as tasks of its own: the samples sized
// for the triangulation, then the vertex columns [First, End) (of NU + 1) mapped with Own's
// procedures and formulas. Shares of different columns may be mapped on different threads
// at once, each with a scene of its own.
void SizePreimageSamples(PreimageSamples& P);
void MapPreimageColumns(const SceneState& Own, int First, int End, PreimageSamples& P);

// The counts of the pixels of Project's rectangle (pixel (I, J) of the counts is the panel's
// pixel (Rect.Left + I * Step, Rect.Top + J * Step), Step being 1 unless the rectangle is
// larger than MaxShadingRaster): every vertex placed where the panel shows its image, hidden
// where the sphere's far side holds it. Returns Step, or 0 with Out empty when there are no
// samples, the rectangle is empty or the count was stopped.
int CountPanelPreimages(const SceneState& S, const PanelProjection& Project, PreimageCounts& Out,
                        const std::atomic<bool>* Stop = nullptr);

// The counts of a Width x Height raster over the plane rectangle [Min, Max] (row 0 at the top,
// the largest y); false with Out empty when there are no samples or the sizes do not fit.
bool CountPlanePreimages(const SceneState& S, Point2 Min, Point2 Max, int Width, int Height,
                         PreimageCounts& Out);
