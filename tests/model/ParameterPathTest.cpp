// The animation paths of the parameters: the points at each fraction of the way, the frames
// a file gets, and every path that cannot be played within the ranges refused with a reason.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/ParameterPath.h"

namespace {

ParameterPath Segment(Point2 From, Point2 To) {
    ParameterPath P;
    P.From = From;
    P.To = To;
    return P;
}

ParameterPath Loop(Point2 Centre, double Radius) {
    ParameterPath P;
    P.Shape = PathShape::Loop;
    P.From = Centre;
    P.Radius = Radius;
    return P;
}

TEST(ParameterPath, PointsAlongTheSegmentAndTheLoop) {
    const ParameterPath S = Segment({0.1, -1}, {1.3, 0.5});
    EXPECT_DOUBLE_EQ(PointOnPath(S, 0).X, 0.1);
    EXPECT_DOUBLE_EQ(PointOnPath(S, 0.5).X, 0.7);
    EXPECT_DOUBLE_EQ(PointOnPath(S, 0.5).Y, -0.25);
    // The end is the target exactly; beyond either end, and NaN, are the ends.
    EXPECT_EQ(PointOnPath(S, 1).X, 1.3);
    EXPECT_EQ(PointOnPath(S, 1).Y, 0.5);
    EXPECT_EQ(PointOnPath(S, 7).X, 1.3);
    EXPECT_EQ(PointOnPath(S, -1).X, 0.1);
    EXPECT_EQ(PointOnPath(S, std::numeric_limits<double>::quiet_NaN()).X, 0.1);

    const ParameterPath L = Loop({1, 1}, 0.5);
    EXPECT_EQ(PointOnPath(L, 0).X, 1.5);
    EXPECT_EQ(PointOnPath(L, 1).X, 1.5);
    EXPECT_EQ(PointOnPath(L, 1).Y, 1);
    EXPECT_NEAR(PointOnPath(L, 0.25).X, 1, 1e-15);  // counter-clockwise: up first
    EXPECT_NEAR(PointOnPath(L, 0.25).Y, 1.5, 1e-15);
    EXPECT_NEAR(PointOnPath(L, 0.5).X, 0.5, 1e-15);
    for (double T = 0; T <= 1; T += 0.01) {
        const Point2 V = PointOnPath(L, T);
        EXPECT_NEAR(std::hypot(V.X - 1, V.Y - 1), 0.5, 1e-12);
    }
}

TEST(ParameterPath, FramesCoverTheWholeWay) {
    ParameterPath S = Segment({0, 0}, {1, 2});
    S.Seconds = 2;
    S.FramesPerSecond = 30;
    const std::vector<Point2> F = PathFrames(S);
    ASSERT_EQ(F.size(), 60u);
    EXPECT_EQ(F.front().X, 0);
    EXPECT_EQ(F.back().X, 1);
    EXPECT_EQ(F.back().Y, 2);
    // A path too short for two frames still shows both ends; a very long one is capped.
    S.Seconds = 0.01;
    EXPECT_EQ(PathFrameCount(S), 2);
    S.Seconds = MaxPathSeconds;
    S.FramesPerSecond = MaxPathFramesPerSecond;
    EXPECT_EQ(PathFrameCount(S), MaxPathFrames);
}

TEST(ParameterPath, PathsThatCannotBePlayedAreRefused) {
    const Point2 Min{-2, -2}, Max{2, 2};
    EXPECT_EQ(CheckParameterPath(Segment({0, 0}, {2, -2}), Min, Max), "");
    EXPECT_EQ(CheckParameterPath(Loop({0, 0}, 2), Min, Max), "");
    const double Inf = std::numeric_limits<double>::infinity(), NaN = std::nan("");
    struct Case {
        ParameterPath P;
        const char* Part;  // of the reason
    };
    std::vector<Case> Cases;
    for (double Seconds : {0.0, -1.0, NaN, Inf, MaxPathSeconds + 1}) {
        ParameterPath P = Segment({0, 0}, {1, 1});
        P.Seconds = Seconds;
        Cases.push_back({P, "time"});
    }
    {
        ParameterPath P = Segment({0, 0}, {1, 1});
        P.Seconds = MaxPathSeconds;
        P.FramesPerSecond = 25;
        Cases.push_back({P, "at most 10000 frames"});
    }
    for (int Fps : {0, -5, MaxPathFramesPerSecond + 1}) {
        ParameterPath P = Segment({0, 0}, {1, 1});
        P.FramesPerSecond = Fps;
        Cases.push_back({P, "frames a second"});
    }
    Cases.push_back({Segment({0, 0}, {2.5, 0}), "target"});
    Cases.push_back({Segment({0, 0}, {NaN, 0}), "target"});
    Cases.push_back({Segment({0, 0}, {0, -Inf}), "target"});
    Cases.push_back({Segment({0.5, -1}, {0.5, -1}), "where the parameters are"});
    Cases.push_back({Segment({3, 0}, {0, 0}), "parameters lie outside"});
    Cases.push_back({Loop({1.5, 0}, 1), "make its radius smaller"});
    Cases.push_back({Loop({0, 0}, 0), "radius"});
    Cases.push_back({Loop({0, 0}, -1), "radius"});
    Cases.push_back({Loop({0, 0}, NaN), "radius"});
    for (const Case& C : Cases) {
        const std::string Why = CheckParameterPath(C.P, Min, Max);
        EXPECT_NE(Why.find(C.Part), std::string::npos) << Why;
    }
}

}  // namespace
