// The scene's panels at another scale while drawings are computed in the background: a
// drawing that was started at the old scale never reaches the screen at the new one, and the
// picture shown at last is exactly the one drawn at once at the new scale.
#include <gtest/gtest.h>

#include "SceneTestSupport.h"

namespace {

using namespace scene_test;

TEST(PanelScale, AScaleChangedWhileDrawingEndsWithTheDrawingAtTheNewScale) {
    TorvaneScene Direct;
    Direct.SetPanelScale(2, 1);
    ASSERT_TRUE(DrawDefault(Direct));
    ASSERT_EQ(Direct.ImageSurface.width(), 920);

    TorvaneScene T;
    T.ComputeInBackground([] {});
    DrawDefault(T);
    T.SetPanelScale(2, 1);  // while the first drawing is computed
    T.FinishComputing();
    ASSERT_TRUE(T.S.SceneReady);
    EXPECT_EQ(T.ImageSurface.size(), Direct.ImageSurface.size());
    EXPECT_EQ(Differences(T.ImageSurface, Direct.ImageSurface), 0);
    EXPECT_EQ(Differences(T.DomainSurface, Direct.DomainSurface), 0);
    EXPECT_EQ(T.ParametersSurface.width(), 400);
    // And back, the pictures of the plain scale.
    TorvaneScene Plain;
    ASSERT_TRUE(DrawDefault(Plain));
    T.SetPanelScale(1, 1);
    T.FinishComputing();
    EXPECT_EQ(Differences(T.ImageSurface, Plain.ImageSurface), 0);
    EXPECT_EQ(Differences(T.DomainSurface, Plain.DomainSurface), 0);
    EXPECT_EQ(Differences(T.ParametersSurface, Plain.ParametersSurface), 0);
    // Nonsense scales fall back to the plain one and the largest.
    T.SetPanelScale(std::nan(""), 1);
    EXPECT_EQ(T.S.PanelScale, 1);
    T.SetPanelScale(100, 1);
    EXPECT_EQ(T.S.PanelScale, TorvaneScene::MaxPanelScale);
    T.FinishComputing();
}

}  // namespace
