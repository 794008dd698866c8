// Gestures through the scene: domain and image drags with their field texts, the little circle,
// the fields that redraw while typed in, the cross-size keys, the cross and the circle as
// inverting overlays that leave no trace.
#include <gtest/gtest.h>

#include <string>

#include "SceneTestSupport.h"
#include "common/ResStrings.h"
#include "curves/ImageBounds.h"

namespace {

using namespace scene_test;


TEST(Interaction, CtrlDragMovesTheDomainWithTheMouse) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    QImage Before = T.DomainSurface;
    T.OnMouseMoveInDomain(WithCtrl(), 100, 100);  // the first Ctrl move only records
    EXPECT_EQ(T.S.DomMin.X, -1);
    EXPECT_FALSE(T.S.Modified);
    T.OnMouseMoveInDomain(WithCtrl(), 114, 100);  // 14 pixels of 2/280: 0.1 to the left
    EXPECT_NEAR(T.S.DomMin.X, -1.1, 1e-12);
    EXPECT_NEAR(T.S.DomMax.X, 0.9, 1e-12);
    EXPECT_EQ(T.S.DomMin.Y, -1);
    EXPECT_TRUE(T.S.Modified);
    EXPECT_EQ(T.Text(EditField::uMinEdit), "-1.100");
    EXPECT_EQ(T.Text(EditField::uMaxEdit), "0.900");
    EXPECT_EQ(T.Text(EditField::vMinEdit), "-1.000");
    EXPECT_EQ(T.Text(EditField::vMaxEdit), "1.000");
    EXPECT_GT(Differences(T.DomainSurface, Before), 100);
    T.OnMouseMoveInDomain(WithCtrl(), 114, 86);  // up: the domain moves down
    EXPECT_NEAR(T.S.DomMin.Y, -1.1, 1e-12);
    // A plain move ends the gesture; the next Ctrl move starts afresh without a jump.
    T.OnMouseMoveInDomain(Plain(), 50, 50);
    T.OnMouseMoveInDomain(WithCtrl(), 10, 10);
    EXPECT_NEAR(T.S.DomMin.X, -1.1, 1e-12);
}

TEST(Interaction, ShiftDragZoomsAboutTheCentre) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    T.OnMouseMoveInDomain(WithShift(), 100, 100);
    T.OnMouseMoveInDomain(WithShift(), 110, 100);  // right narrows u by (280 - 30)/280
    EXPECT_NEAR(T.S.DomMax.X, 250.0 / 280, 1e-12);
    EXPECT_NEAR(T.S.DomMin.X, -250.0 / 280, 1e-12);
    EXPECT_EQ(T.Text(EditField::uMaxEdit), "0.892");
    EXPECT_EQ(T.Text(EditField::uMinEdit), "-0.892");
    T.OnMouseMoveInDomain(WithShift(), 110, 120);  // down widens v
    EXPECT_NEAR(T.S.DomMax.Y, 340.0 / 280, 1e-12);
    // A fling far to the right would turn the interval inside out; it stays a narrow interval.
    T.OnMouseMoveInDomain(WithShift(), 279, 120);
    EXPECT_LT(T.S.DomMin.X, T.S.DomMax.X);
    EXPECT_GT(T.S.DomMax.X - T.S.DomMin.X, 0);
    T.OnMouseUpInDomain(MouseButton::Left, Plain(), 0, 0);
    EXPECT_FALSE(T.S.DomZooming);
}

TEST(Interaction, ImageDragsMakeAClipRectangle) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    ASSERT_TRUE(T.S.WholeImage);
    Point2 Min = T.S.ImgMin;
    T.OnMouseMoveInImage(WithCtrl(), 200, 200);
    T.OnMouseMoveInImage(WithCtrl(), 246, 200);
    EXPECT_FALSE(T.S.WholeImage);
    EXPECT_LT(T.S.ImgMin.X, Min.X);
    EXPECT_EQ(T.Text(EditField::xMinEdit), BoundText(T.S.ImgMin.X));
    EXPECT_EQ(T.Text(EditField::yMaxEdit), BoundText(T.S.ImgMax.Y));
    EXPECT_TRUE(T.S.Modified);
    // A plain move over a plane image reads out the point under the mouse.
    T.OnMouseMoveInImage(Plain(), 230, 230);
    Point2 P = T.S.Procedures.ImgPixelToPoint(T.S, 230, 230, false);
    EXPECT_EQ(T.Text(EditField::xValueEdit), FixedText(P.X, 7, 4));
    EXPECT_FALSE(T.S.ImgShifting);
}

TEST(Interaction, ParameterClicksAndDragsFollowThePanel) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    T.OnMouseDownInParameters(MouseButton::Left, LeftHeld(), 0, 0);
    EXPECT_EQ(T.S.ParamValue.X, -2);
    EXPECT_EQ(T.S.ParamValue.Y, 2);
    EXPECT_EQ(T.Text(EditField::pValue), "-2.0000");
    EXPECT_EQ(T.Text(EditField::qValue), "2.0000");
    EXPECT_EQ(T.XFunction.Constants()[1], -2);  // handed to the compiled formulas
    EXPECT_TRUE(T.S.Modified);
    T.OnMouseMoveInParameters(LeftHeld(), 199, 199);
    EXPECT_DOUBLE_EQ(T.S.ParamValue.X, 2);
    EXPECT_DOUBLE_EQ(T.S.ParamValue.Y, -2);
    EXPECT_EQ(T.Spot.X, 199);
    EXPECT_EQ(T.Spot.Y, 199);
    // Outside the panel, or without the left button, nothing follows.
    T.OnMouseMoveInParameters(LeftHeld(), 200, 150);
    T.OnMouseMoveInParameters(Plain(), 50, 50);
    EXPECT_EQ(T.Spot.X, 199);
    T.OnMouseMoveInParameters(LeftHeld(), 50, 150);
    EXPECT_NEAR(T.S.ParamValue.X, -2 + 50 * 4.0 / 199, 1e-12);
    // One circle, wherever it went.
    EXPECT_EQ(CountColour(T.ParametersSurface, SpotColour), 20);
    // The values dragged to stay within their ranges: Draw It accepts them.
    T.ReadAndDraw(true);
    EXPECT_TRUE(T.S.SceneReady) << T.StatusText;

    // A complex map takes the values as its parameter.
    TorvaneScene C;
    C.OnFunctionType(1);
    C.ReadAndDraw(true);
    C.OnMouseDownInParameters(MouseButton::Left, LeftHeld(), 199, 0);
    EXPECT_DOUBLE_EQ(C.S.ComplexParam.X, 2);
    EXPECT_DOUBLE_EQ(C.S.ComplexParam.Y, 2);
}

TEST(Interaction, TypedParameterAndBoundFieldsRedrawAsTheyChange) {
    TorvaneScene T;
    T.ReadAndDraw(true);  // p = 0
    ASSERT_TRUE(T.S.SceneReady);
    // 3 into pMaxEdit: p stays inside, no redraw, the field is rewritten.
    T.Text(EditField::pMaxEdit) = "3";
    T.OnKeyUp(EditField::pMaxEdit);
    EXPECT_EQ(T.S.ParamMax.X, 3);
    EXPECT_EQ(T.Text(EditField::pMaxEdit), "3.00");
    EXPECT_EQ(T.Spot.X, 100);  // not redrawn: the circle did not move
    // -1 into pMaxEdit: p follows to -1 and the scene redraws.
    T.Text(EditField::pMaxEdit) = "-1";
    T.OnKeyUp(EditField::pMaxEdit);
    EXPECT_EQ(T.S.ParamMax.X, -1);
    EXPECT_EQ(T.S.ParamValue.X, -1);
    EXPECT_EQ(T.Text(EditField::pValue), "-1.00");
    EXPECT_EQ(T.XFunction.Constants()[1], -1);
    EXPECT_EQ(T.Spot.X, 199);
    // A value beyond its range widens the range by half of it.
    T.Text(EditField::qValue) = "4";
    T.OnKeyUp(EditField::qValue);
    EXPECT_EQ(T.S.ParamMax.Y, 6);
    EXPECT_EQ(T.Text(EditField::qMaxEdit), "6.00");
    EXPECT_EQ(T.S.ParamValue.Y, 4);
    // A domain bound redraws only when it stays in order.
    T.Text(EditField::uMaxEdit) = "-3";
    T.OnKeyUp(EditField::uMaxEdit);
    EXPECT_EQ(T.S.DomMax.X, -3);
    EXPECT_EQ(T.S.DomWidth[0], 2);  // not redrawn
    T.Text(EditField::uMaxEdit) = "2";
    T.OnKeyUp(EditField::uMaxEdit);
    EXPECT_EQ(T.S.DomWidth[0], 3);
    // A formula error shows its message; an emptied field is silent.
    T.Inform("");
    T.Text(EditField::vMinEdit) = "2*";
    T.OnKeyUp(EditField::vMinEdit);
    EXPECT_EQ(T.StatusText, ResStrings::SyntaxDefect);
    T.Inform("");
    T.Text(EditField::vMinEdit) = "";
    T.OnKeyUp(EditField::vMinEdit);
    EXPECT_EQ(T.StatusText, "");
}

TEST(Interaction, ClipFieldsSwitchBetweenClipAndWholeRangeWhileTyped) {
    TorvaneScene T;
    T.ReadAndDraw(true);
    const EditField Fields[4] = {EditField::xMinEdit, EditField::xMaxEdit, EditField::yMinEdit,
                                 EditField::yMaxEdit};
    const char* Texts[4] = {"-1", "1", "-1", "1"};
    for (int I = 0; I < 4; ++I) {
        T.Text(Fields[I]) = Texts[I];
        T.OnKeyUpImageBounds(Fields[I]);
        EXPECT_EQ(T.S.WholeImage, I < 3);
    }
    EXPECT_EQ(T.S.ImgMax.X, 1);
    T.Text(EditField::xMaxEdit) = "-1";  // xMin >= xMax: back to the whole range
    T.OnKeyUpImageBounds(EditField::xMaxEdit);
    EXPECT_TRUE(T.S.WholeImage);
}

TEST(Interaction, ArrowKeysSizeTheCrossWithinItsLimits) {
    TorvaneScene T;  // the keys work before any Draw It
    for (int I = 0; I < 28; ++I) T.OnKeyDownInForm(KeyUp);
    EXPECT_LT(T.CrossSize, 50);
    T.OnKeyDownInForm(KeyUp);
    EXPECT_EQ(T.CrossSize, 50);
    T.OnKeyDownInForm(KeyLeft);
    EXPECT_EQ(T.CrossSize, 1);
    for (int I = 0; I < 40; ++I) T.OnKeyDownInForm(KeyDown);
    EXPECT_EQ(T.CrossSize, 0.02);
    T.OnKeyDownInForm(KeyRight);
    T.OnKeyDownInForm('A');
    EXPECT_EQ(T.CrossSize, 0.02);
}

TEST(Interaction, TheCrossFollowsTheMouseAndLeavesNoTrace) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    T.OnMouseMoveInDomain(Plain(), 210, 35);  // (0.5, 0.75), off the locus
    ASSERT_TRUE(T.CrossShown);
    EXPECT_FALSE(T.CrossAtBack);
    EXPECT_EQ(T.Text(EditField::uValueEdit), "0.5000");
    EXPECT_EQ(T.Text(EditField::vValueEdit), "0.7500");
    EXPECT_EQ(T.Text(EditField::xValueEdit), FixedText(0.25 - 0.421875, 7, 4));  // p u^2 - v^3
    EXPECT_EQ(T.Text(EditField::yValueEdit), FixedText(0.5625 - 0.125, 7, 4));   // q v^2 - u^3
    EXPECT_GT(Differences(T.ImageSurface, T.ImgBitmap), 10);
    EXPECT_GT(CountColour(T.ImageSurface, CrossColour), 0);  // red where it crosses white
    T.OnMouseMoveInDomain(Plain(), 60, 200);
    EXPECT_TRUE(T.CrossShown);
    EXPECT_EQ(T.Text(EditField::vValueEdit), FixedText(-60.0 / 140, 7, 4));
    // An arrow key erases it exactly; the next move draws it again at its new size.
    T.OnKeyDownInForm(KeyUp);
    EXPECT_FALSE(T.CrossShown);
    EXPECT_EQ(Differences(T.ImageSurface, T.ImgBitmap), 0);
    T.OnMouseMoveInDomain(Plain(), 60, 200);
    EXPECT_TRUE(T.CrossShown);

    // Outside the domain (the margin of a Preserve Ratio view): erased, read-outs kept.
    T.Text(EditField::uMinEdit) = "-2";
    T.Text(EditField::uMaxEdit) = "2";
    T.OnPreferences(TagPreserveRatio);
    ASSERT_TRUE(T.S.PreserveRatio);
    EXPECT_EQ(T.S.DomView.ViewRect.Top, 0);  // not yet read: the domain is still square
    T.ReadAndDraw(true);
    EXPECT_EQ(T.S.DomView.ViewRect.Top, 70);
    T.OnMouseMoveInDomain(Plain(), 140, 140);
    ASSERT_TRUE(T.CrossShown);
    std::string U = T.Text(EditField::uValueEdit);
    T.OnMouseMoveInDomain(Plain(), 140, 30);
    EXPECT_FALSE(T.CrossShown);
    EXPECT_EQ(Differences(T.ImageSurface, T.ImgBitmap), 0);
    EXPECT_EQ(T.Text(EditField::uValueEdit), U);
}

TEST(Interaction, TheLittleCircleMovesWithoutTrace) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    for (int I = 0; I < 5; ++I) {
        T.OnMouseDownInParameters(MouseButton::Left, LeftHeld(), 20 + 30 * I, 180 - 25 * I);
        EXPECT_EQ(CountColour(T.ParametersSurface, SpotColour), 20);
        EXPECT_EQ(PixelColour(T.ParametersSurface, 20 + 30 * I - 4, 180 - 25 * I + 1), SpotColour);
    }
}

}  // namespace
