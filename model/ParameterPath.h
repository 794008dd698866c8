// The path an animation of the parameters follows in the Parameters panel: a straight
// segment from where the parameters are to a target, or one turn of a circle about where they
// are, played in a given time at a given number of frames a second. Plain numbers: the window
// plays it, a file export writes its frames.
#pragma once

#include <string>
#include <vector>

#include "common/ConstTypesAndGlobals.h"

enum class PathShape { Segment, Loop };

struct ParameterPath {
    PathShape Shape = PathShape::Segment;
    Point2 From;          // where the parameters were when the path was made
    Point2 To;            // the segment's end
    double Radius = 0.5;  // the loop's, in the parameters' units
    double Seconds = 4;
    int FramesPerSecond = 25;
};

inline constexpr double MaxPathSeconds = 3600;
inline constexpr int MaxPathFramesPerSecond = 100;
// More frames than this are not written to a file (nor could be watched).
inline constexpr int MaxPathFrames = 10000;

// Why the path cannot be played within the parameter ranges Min..Max (each end included), or
// empty: the time must be positive and at most an hour, the frames a second from 1 to 100,
// the target inside the ranges, the loop's radius positive and the whole circle inside them.
std::string CheckParameterPath(const ParameterPath& P, Point2 Min, Point2 Max);

// The point at fraction T of the way (T outside 0..1 counts as its nearer end). The segment
// goes straight at an even pace; the loop starts and ends at From + (Radius, 0) and turns
// once counter-clockwise, at an even pace.
Point2 PointOnPath(const ParameterPath& P, double T);

// How many frames the path has: its time by its frames a second, at least 2 (its two ends),
// at most MaxPathFrames; and the parameters of each, the first at T = 0 and the last at 1.
int PathFrameCount(const ParameterPath& P);
std::vector<Point2> PathFrames(const ParameterPath& P);
