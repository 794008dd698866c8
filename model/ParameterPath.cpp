#include "model/ParameterPath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

bool Inside(Point2 V, Point2 Min, Point2 Max) {
    return V.X >= Min.X && V.X <= Max.X && V.Y >= Min.Y && V.Y <= Max.Y;
}

}  // namespace

std::string CheckParameterPath(const ParameterPath& P, Point2 Min, Point2 Max) {
    if (!(P.Seconds > 0 && P.Seconds <= MaxPathSeconds))
        return "The animation's time must be more than 0 and at most 3600 seconds.";
    if (P.FramesPerSecond < 1 || P.FramesPerSecond > MaxPathFramesPerSecond)
        return "The animation may have from 1 to 100 frames a second.";
    // More frames would be cut short: a file of them would play faster than its time.
    if (P.Seconds * P.FramesPerSecond > MaxPathFrames + 0.5)
        return "The animation may have at most 10000 frames: make its time shorter or its frames a second fewer.";
    if (!Inside(P.From, Min, Max)) return "The parameters lie outside their ranges.";
    if (P.Shape == PathShape::Segment) {
        if (!std::isfinite(P.To.X) || !std::isfinite(P.To.Y) || !Inside(P.To, Min, Max))
            return "The target lies outside the parameter ranges.";
        // A path that stays put would play a still picture for its whole time.
        if (P.To.X == P.From.X && P.To.Y == P.From.Y)
            return "The target is where the parameters are: type where they should go.";
        return "";
    }
    if (!(P.Radius > 0 && std::isfinite(P.Radius))) return "The loop's radius must be more than 0.";
    const Point2 Low{P.From.X - P.Radius, P.From.Y - P.Radius};
    const Point2 High{P.From.X + P.Radius, P.From.Y + P.Radius};
    if (!Inside(Low, Min, Max) || !Inside(High, Min, Max))
        return "The loop leaves the parameter ranges: make its radius smaller.";
    return "";
}

Point2 PointOnPath(const ParameterPath& P, double T) {
    T = std::clamp(std::isnan(T) ? 0.0 : T, 0.0, 1.0);
    if (P.Shape == PathShape::Segment) {
        // The end is reached exactly, whatever the rounding of the steps before it.
        if (T == 1) return P.To;
        return {P.From.X + T * (P.To.X - P.From.X), P.From.Y + T * (P.To.Y - P.From.Y)};
    }
    if (T == 0 || T == 1) return {P.From.X + P.Radius, P.From.Y};
    const double Angle = 2 * std::numbers::pi * T;
    return {P.From.X + P.Radius * std::cos(Angle), P.From.Y + P.Radius * std::sin(Angle)};
}

int PathFrameCount(const ParameterPath& P) {
    const double Count = std::round(P.Seconds * P.FramesPerSecond);
    if (!(Count >= 2)) return 2;
    return static_cast<int>(std::min<double>(Count, MaxPathFrames));
}

std::vector<Point2> PathFrames(const ParameterPath& P) {
    const int Count = PathFrameCount(P);
    std::vector<Point2> Frames;
    Frames.reserve(static_cast<size_t>(Count));
    for (int K = 0; K < Count; ++K) Frames.push_back(PointOnPath(P, double(K) / (Count - 1)));
    return Frames;
}
