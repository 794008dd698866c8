// How many points of the domain rectangle map to each pixel centre of a raster: the images of
// a fine triangulation of the domain, counted per pixel centre with exact, consistent tests.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/ConstTypesAndGlobals.h"

// The domain rectangle cut into NU x NV squares, square (A, B) with the corners (A, B),
// (A + 1, B), (A, B + 1), (A + 1, B + 1) cut along its diagonal (A, B)-(A + 1, B + 1) into
// the triangles {(A, B), (A + 1, B), (A + 1, B + 1)} and {(A, B), (A + 1, B + 1), (A, B + 1)}.
// Vertex (A, B) is the domain point (UMin + A (UMax - UMin) / NU, VMin + B (VMax - VMin) / NV)
// and is stored at Index(A, B) = A (NV + 1) + B: Vertices holds its image in raster
// coordinates (x to the right, y downward, pixel (I, J) has its centre at (I + 0.5, J + 0.5)),
// Valid is 0 where the map failed there or the image is on the hidden half of the sphere.
// The counts read nothing else, so the caller may map the vertices however it likes.
struct MappedTriangulation {
    int NU = 0, NV = 0;
    std::vector<Point2> Vertices;
    std::vector<uint8_t> Valid;

    // Sizes both vectors for NU x NV squares (no allocation when they already are).
    void Resize(int SquaresU, int SquaresV);
    size_t Index(int A, int B) const {
        return static_cast<size_t>(A) * static_cast<size_t>(NV + 1) + static_cast<size_t>(B);
    }
};

// What keeps a count bounded whatever the map.
//
// MaxSpan: a triangle whose image is wider or taller than MaxSpan pixels counts nothing (it
// is dropped, and reported). The fine triangles of a smooth map cover a few pixels each; a
// triangle across a pole or a jump joins vertices that lie far apart and its image is no
// image of the map, yet it would cover everything between them. No size can tell the two
// apart in every view, so the default is the raster's larger side (460 pixels on the panel):
// a smooth map stays counted until a view is zoomed so far that one fine triangle is larger
// than the whole raster, which at N = 400 is some 400 times the view that fits the image;
// a view zoomed that far should be counted from a finer triangulation of what it shows. A
// caller that knows the map's jumps (the image's jump threshold in pixels) may give less.
//
// CrossingsPerPixel: the count's work beyond one pass over the triangles and one over the
// pixels is a step for each pixel row crossed by an edge where the triangles' orientation
// changes (the outline of the image and its folds). Those steps stay below CrossingsPerPixel
// times the band's pixels, or the count ends with Complete false. A smooth map's outline and
// folds cross a row a few times to a few dozen times, a small fraction of a step per pixel
// (0.012 for the default real map at N = 400), so 16 leaves room for hundreds of folds, and
// still bounds a hostile triangulation (every triangle as large as the raster, half of them
// reversed) to 3.4 million steps on the 460 x 460 panel, some 6 ms.
struct PreimageLimits {
    int MaxSpan = 0;  // pixels; 0 or less: the raster's larger side
    int CrossingsPerPixel = 16;
};

// The largest raster, triangle span and vertex coordinate (pixels) the exact tests allow:
// vertices beyond +-MaxPreimageCoordinate are moved onto it, which only ever touches
// triangles that are dropped for their size or lie far beside the raster.
inline constexpr int MaxPreimageRaster = 1 << 15;
inline constexpr double MaxPreimageCoordinate = 1 << 21;
// Vertex positions are rounded to this fraction of a pixel before any test.
inline constexpr int PreimageSubpixels = 256;

// What the count of one band of rows did.
struct PreimageBandReport {
    bool Complete = true;          // every triangle was counted or dropped for its size
    bool Stopped = false;          // ended by the stop request (Complete is false then)
    bool BadInput = false;         // sizes or rows that do not fit: nothing was counted
    int64_t Crossings = 0;         // pixel rows crossed by edges that count (the budget's steps)
    int64_t DroppedTriangles = 0;  // too large, over a pixel centre of the raster; each is
                                   // reported by the band holding its top pixel row only
};

// The counts of a whole raster, row-major, row 0 at the top: Counts[J * Width + I] is the
// number of triangles whose image covers the centre of pixel (I, J), at most 65535.
struct PreimageCounts {
    int Width = 0, Height = 0;
    std::vector<uint16_t> Counts;
    bool Complete = true;
    int64_t DroppedTriangles = 0;

    // Sizes the raster and clears what the bands report (the counts are written by them).
    void Reset(int W, int H);
    // Rows [FirstRow, EndRow), for one band to write.
    std::span<uint16_t> Rows(int FirstRow, int EndRow);
    // Takes in what one band did; once every band is in, Complete says whether all were.
    void Add(const PreimageBandReport& Band);
    uint16_t At(int I, int J) const {
        return Counts[static_cast<size_t>(J) * static_cast<size_t>(Width) + static_cast<size_t>(I)];
    }
};

// Counts the pixel centres of rows [FirstRow, EndRow) of a Width x Height raster into Rows
// ((EndRow - FirstRow) * Width counts, row FirstRow first), which it overwrites. It reads T
// and writes nothing but Rows and its report, so bands of one raster may be counted on
// different threads at once. Stop, when given, is read every few tens of microseconds of
// work; once it is set the count ends at once with Stopped. A count that ends early (stopped,
// budget spent, bad input) leaves its rows meaningless. The work is a pass over the squares, the
// budget's steps and a pass over the band's pixels; the call holds one int per pixel of the
// band while it runs.
//
// A pixel centre is counted as the point just right of it and, on a horizontal edge, just
// below it: a centre on an edge is inside a triangle exactly when the point moved by
// (eps, eps^2) is, so a centre on an edge that two triangles share is counted once (twice or
// not at all where the edge is a fold and both lie on the same side), on the outline of the
// whole image on its left and top sides only. The tests are exact on the vertices rounded to
// 1/PreimageSubpixels pixel, the same rounding for every triangle of a vertex. Both
// orientations count; a triangle with an invalid or non-finite vertex, or of zero area after
// the rounding, counts nothing.
PreimageBandReport CountPreimageRows(const MappedTriangulation& T, int Width, int Height,
                                     int FirstRow, int EndRow, std::span<uint16_t> Rows,
                                     const std::atomic<bool>* Stop = nullptr,
                                     const PreimageLimits& Limits = {});

// The whole raster in one band on the calling thread (Out keeps its allocation).
void CountPreimages(const MappedTriangulation& T, int Width, int Height, PreimageCounts& Out,
                    const std::atomic<bool>* Stop = nullptr, const PreimageLimits& Limits = {});

// Raster coordinates of a plane rectangle [Min.X, Max.X] x [Min.Y, Max.Y] over Width x Height
// pixels: column 0 on the left at the smallest x, row 0 at the top at the largest y. A
// rectangle of no width or height gives non-finite positions, which count nothing.
struct PlaneRaster {
    PlaneRaster(Point2 Min, Point2 Max, int Width, int Height);
    Point2 ToRaster(Point2 World) const {
        return {(World.X - Min.X) * ScaleX, (Max.Y - World.Y) * ScaleY};
    }
    // The plane point at the centre of pixel (I, J).
    Point2 PixelCentre(int I, int J) const {
        return {Min.X + (I + 0.5) / ScaleX, Max.Y - (J + 0.5) / ScaleY};
    }
    Point2 Min, Max;
    double ScaleX, ScaleY;  // pixels per unit
};
