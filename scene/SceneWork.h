// The pieces of work that bring the panels up to date after a change, and the one function
// that does them on a scene's state and its two bitmaps. The window's thread runs it on the
// scene itself, or a computing thread on a copy that it hands back whole; the pieces are
// flags, so that requests made while a computation runs merge into one.
#pragma once

#include <QImage>

#include <functional>

#include "curves/FImplicitCurveLine.h"
#include "model/SceneState.h"
#include "view/PanelProjection.h"

// Everything: the procedures bound, both views fitted, the grid, the image curves and the
// locus computed, both bitmaps prepared and drawn.
inline constexpr unsigned WorkEverything = 1u << 0;
inline constexpr unsigned WorkDomainCurves = 1u << 1;
inline constexpr unsigned WorkImageCurves = 1u << 2;
inline constexpr unsigned WorkLocus = 1u << 3;                 // traced again
inline constexpr unsigned WorkLocusDomainPositions = 1u << 4;  // nodes re-projected, domain
inline constexpr unsigned WorkLocusImagePositions = 1u << 5;   // nodes re-projected, image
inline constexpr unsigned WorkPrepareDomain = 1u << 6;  // the domain bitmap's background anew
inline constexpr unsigned WorkDrawDomain = 1u << 7;
inline constexpr unsigned WorkDrawImage = 1u << 8;
// The map at the vertices of the preimage shading's triangulation (or none, when it is off);
// everything computes them too.
inline constexpr unsigned WorkPreimageSamples = 1u << 9;
inline constexpr unsigned WorkFull = WorkEverything;

// What a piece of work reads and writes.
struct SceneCanvas {
    SceneState& S;
    TImplicitCurveLine& Tracer;
    QImage& DomBitmap;
    QImage& ImgBitmap;
    PixelRect& DomClip;  // the rectangle each bitmap's drawing stays inside
    PixelRect& ImgClip;
    // Off where nobody looks at the bitmaps (a renderer exports from the curves): the work
    // then computes and draws nothing.
    bool Paint = true;
    // When everything is computed, called once on any thread as soon as the grid and image
    // curves are final, while the locus may still be computed: it may read the scene's views
    // and curves, never its locus. May be null or empty.
    const std::function<void()>* CurvesComputed = nullptr;
};

// Does the work in a fixed order, whatever order it was asked in: computing (everything, or
// the domain curves, the image curves, then the locus or its re-projections), preparing the
// bitmaps, drawing them. Drawing after a partial computation first whitens the drawing
// rectangle; after everything, the prepared bitmap is drawn on as it is.
void RunSceneWork(const SceneCanvas& C, unsigned Work);
// Which bitmaps the work draws: bit 0 the domain's, bit 1 the image's (or would draw, were
// the canvas painted).
int PanelsDrawnBy(unsigned Work);

// Fills a bitmap's panel with the form colour and the projection's drawing rectangle with the
// drawing colour, and makes that rectangle the bitmap's clip.
void PrepareBitmap(QImage& Bitmap, PixelRect& Clip, const PanelProjection& Project);
// Makes Bitmap a square of Size device pixels in the form colour, unless it is one; true
// when it was made anew.
bool FitBitmap(QImage& Bitmap, int Size);

// Moves what a computation wrote into To: the bound procedures, both views and spheres, the
// four families of curves, the image rectangle and its derived fields, the step lengths and
// thresholds, the locus, the preimage samples, the portrait's drawing time and the
// evaluation counts. Nothing else of To changes.
void TakeComputedParts(SceneState& To, SceneState&& From);
