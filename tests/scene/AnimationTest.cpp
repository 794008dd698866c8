// The parameters played along a path, as the window's player drives the scene: every step
// is drawn as a drag step, computed in the background with the newest step first; the end
// and Stop are drawn in full; the whole play is one undo step; any other change of the map
// ends it.
#include <gtest/gtest.h>

#include <atomic>

#include "SceneTestSupport.h"

namespace {

using namespace scene_test;

ParameterPath SegmentTo(const TorvaneScene& T, Point2 To) {
    ParameterPath P;
    P.From = T.S.ParamValue;
    P.To = To;
    return P;
}

TEST(Animation, EachStepIsWhatDrawItDrawsThere) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T));
    const ParameterPath P = SegmentTo(T, {-1, 0.5});
    ASSERT_EQ(T.BeginAnimation(P), "");
    EXPECT_TRUE(T.Animating());
    EXPECT_TRUE(T.GestureInProgress());
    ASSERT_TRUE(T.AnimateTo(0.5));
    EXPECT_DOUBLE_EQ(T.S.ParamValue.X, 0);
    EXPECT_DOUBLE_EQ(T.S.ParamValue.Y, 0.75);
    EXPECT_EQ(T.Text(EditField::pValue), "0.0000");
    const QImage Step = T.ImageSurface;
    // Draw It with the same values in the fields draws the same picture.
    TorvaneScene Fresh;
    Fresh.Text(EditField::pValue) = T.Text(EditField::pValue);
    Fresh.Text(EditField::qValue) = T.Text(EditField::qValue);
    Fresh.ReadAndDraw(true);
    EXPECT_EQ(Differences(Step, Fresh.ImageSurface), 0);
    ASSERT_TRUE(T.AnimateTo(1));
    EXPECT_EQ(T.S.ParamValue.X, -1);
    T.EndAnimation(false);
    EXPECT_FALSE(T.Animating());
    EXPECT_FALSE(T.AnimateTo(0.2)) << "an ended animation moves nothing";
    EXPECT_EQ(T.S.ParamValue.X, -1);
}

TEST(Animation, ThePlayIsOneStepAndStopGoesBack) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T));
    T.RecordStep();
    T.MarkClean();
    const int Steps = T.History.count();
    const std::vector<uint8_t> Before = WriteDocument(T.CurrentDocument());
    ParameterPath L;
    L.Shape = PathShape::Loop;
    L.From = T.S.ParamValue;
    L.Radius = 0.5;
    ASSERT_EQ(T.BeginAnimation(L), "");
    for (double F = 0; F <= 0.6; F += 0.1) {
        ASSERT_TRUE(T.AnimateTo(F));
        T.RecordStep();  // as the window does after every command: nothing while it plays
    }
    EXPECT_EQ(T.History.count(), Steps);
    T.EndAnimation(false);
    T.RecordStep();
    EXPECT_EQ(T.History.count(), Steps + 1);
    T.UndoStep();
    EXPECT_EQ(WriteDocument(T.CurrentDocument()), Before);
    // Stop: back at the start, and nothing to record.
    ASSERT_EQ(T.BeginAnimation(L), "");
    ASSERT_TRUE(T.AnimateTo(0.3));
    T.EndAnimation(true);
    T.RecordStep();
    EXPECT_EQ(WriteDocument(T.CurrentDocument()), Before);
    EXPECT_FALSE(T.S.Modified);
}

TEST(Animation, OtherChangesEndItAndBadPathsAreRefused) {
    TorvaneScene T;
    ParameterPath P;
    P.To = {1, 1};
    EXPECT_NE(T.BeginAnimation(P), "") << "nothing drawn yet";
    ASSERT_TRUE(DrawDefault(T));
    P = SegmentTo(T, {5, 0});
    EXPECT_NE(T.BeginAnimation(P).find("target"), std::string::npos);
    P = SegmentTo(T, {1, -1});
    P.Seconds = -2;
    EXPECT_NE(T.BeginAnimation(P).find("time"), std::string::npos);
    EXPECT_FALSE(T.Animating());
    P.Seconds = 3;
    for (const auto& [Name, End] :
         std::vector<std::pair<const char*, std::function<void(TorvaneScene&)>>>{
             {"Draw It", [](TorvaneScene& S) { S.ReadAndDraw(true); }},
             {"a click on the panel", [](TorvaneScene& S) { S.OnMouseDownInParameters(MouseButton::Left, LeftHeld(), 20, 20); }},
             {"the map kind", [](TorvaneScene& S) { S.OnFunctionType(1); }}}) {
        SCOPED_TRACE(Name);
        if (!T.S.SceneReady) {
            T.OnFunctionType(0);
            ASSERT_TRUE(DrawDefault(T));
        }
        ASSERT_EQ(T.BeginAnimation(SegmentTo(T, {1, -1})), "");
        ASSERT_TRUE(T.AnimateTo(0.5));
        End(T);
        EXPECT_FALSE(T.Animating());
        EXPECT_FALSE(T.AnimateTo(0.8));
    }
}

// Played on the computing thread: the steps never wait for a drawing, and the last one
// asked for is the one shown.
TEST(Animation, StepsAreComputedInTheBackgroundNewestFirst) {
    TorvaneScene T;
    std::atomic<int> Ready{0};
    T.ComputeInBackground([&Ready] { ++Ready; });
    DrawDefault(T);
    // The result is shown only when taken: until then there is no drawing to play from.
    EXPECT_NE(T.BeginAnimation(SegmentTo(T, {-1, -1})).find("still being drawn"), std::string::npos);
    T.FinishComputing();
    ASSERT_TRUE(T.S.SceneReady);
    ASSERT_EQ(T.BeginAnimation(SegmentTo(T, {-1, -1})), "");
    for (int K = 1; K <= 40; ++K) {
        ASSERT_TRUE(T.AnimateTo(K / 40.0));
        T.TakeFinishedWork();
    }
    T.EndAnimation(false);
    T.FinishComputing();
    EXPECT_EQ(T.S.ParamValue.X, -1);
    TorvaneScene Fresh;
    Fresh.Text(EditField::pValue) = "-1";
    Fresh.Text(EditField::qValue) = "-1";
    Fresh.ReadAndDraw(true);
    EXPECT_EQ(Differences(T.ImageSurface, Fresh.ImageSurface), 0);
    EXPECT_EQ(Differences(T.DomainSurface, Fresh.DomainSurface), 0);
}

}  // namespace
