// Draw It through the scene: the default maps drawn, every reading message of both kinds with
// the previous drawing kept, the clip fields choosing between a clip rectangle and the whole
// range, and the switch between the two map kinds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SceneTestSupport.h"
#include "common/ResStrings.h"

namespace {

using namespace scene_test;

TEST(DrawIt, DefaultRealMapDrawsGridImageAndLocus) {
    TorvaneScene T;
    EXPECT_FALSE(T.S.SceneReady);
    EXPECT_TRUE(T.DrawButtonIsDefault);
    T.ReadAndDraw(true);
    Dump(T, "default-real");
    EXPECT_EQ(T.StatusText, ResStrings::WholeRange);  // the clip fields are blank
    EXPECT_TRUE(T.S.DataValid);
    EXPECT_TRUE(T.S.SceneReady);
    EXPECT_TRUE(T.S.Modified);
    EXPECT_TRUE(T.S.WholeImage);
    EXPECT_FALSE(T.DrawButtonIsDefault);
    for (const Curve3* Family : {T.S.DomHLines, T.S.DomVLines, T.S.ImgHLines, T.S.ImgVLines})
        for (int I = 0; I <= 20; ++I) EXPECT_GE(Family[I].LastIndex, 1);
    EXPECT_GT(T.S.SingLocus.LastIndex, 100);

    // Adjust to Panels: the domain fills its panel, so a column between two lines of constant
    // u crosses the lines of constant v: 21, less the one under the locus (on the u axis) and
    // the one at v = -1, which the fitting puts at pixel 280, just outside.
    int Crossed = 0, CrossedV = 0;
    for (int Y = 0; Y < 280; ++Y) Crossed += PixelColour(T.DomBitmap, 45, Y) == HLineColour;
    for (int X = 0; X < 280; ++X) CrossedV += PixelColour(T.DomBitmap, X, 45) == VLineColour;
    EXPECT_EQ(Crossed, 19);
    EXPECT_EQ(CrossedV, 19);
    for (const QImage* I : {&T.DomBitmap, &T.ImgBitmap}) {
        EXPECT_GT(CountColour(*I, HLineColour), 1000);
        EXPECT_GT(CountColour(*I, VLineColour), 1000);
        EXPECT_GT(CountColour(*I, LocusColour), 200);
        EXPECT_EQ(CountColour(*I, RearLineColour), 0);  // plane views have no rear
        EXPECT_EQ(CountColour(*I, FormColour), 0);      // no margins
    }
    // The panels show the bitmaps, and the little circle sits at (100, 100).
    EXPECT_EQ(Differences(T.DomainSurface, T.DomBitmap), 0);
    EXPECT_EQ(Differences(T.ImageSurface, T.ImgBitmap), 0);
    EXPECT_TRUE(T.SpotShown);
    EXPECT_EQ(T.Spot.X, 100);
    EXPECT_EQ(T.Spot.Y, 100);
    EXPECT_EQ(PixelColour(T.ParametersSurface, 96, 101), SpotColour);
    EXPECT_EQ(PixelColour(T.ParametersSurface, 102, 97), SpotColour);
    EXPECT_EQ(PixelColour(T.ParametersSurface, 100, 100), DrawingColour);
    EXPECT_EQ(CountColour(T.ParametersSurface, SpotColour), 20);
}

TEST(DrawIt, DefaultComplexMapKeepsItsRatioAndDrawsNoLocus) {
    TorvaneScene T;
    T.OnFunctionType(1);
    T.Text(EditField::pValue) = "0.5";
    T.Text(EditField::qValue) = "0.5";
    T.ReadAndDraw(true);
    Dump(T, "default-complex");
    ASSERT_TRUE(T.S.SceneReady) << T.StatusText;
    EXPECT_TRUE(T.S.PreserveRatio);
    EXPECT_FALSE(T.S.ShowSingLocus);
    EXPECT_EQ(T.S.SingLocus.LastIndex, -1);
    EXPECT_EQ(T.S.ComplexParam.X, 0.5);
    EXPECT_EQ(T.S.ComplexParam.Y, 0.5);
    // p = 0.5 + 0.5i is at a quarter of each range from the centre: pixel (124.4, 74.6).
    EXPECT_EQ(T.Spot.X, 124);
    EXPECT_EQ(T.Spot.Y, 75);
    EXPECT_EQ(CountColour(T.ImgBitmap, LocusColour), 0);
    EXPECT_GT(CountColour(T.ImgBitmap, HLineColour), 500);
}

struct Reading {
    const char* What;
    std::vector<std::pair<EditField, std::string>> Fields;
    const char* Real;     // message for a real map
    const char* Complex;  // for a complex map (nullptr: the case does not apply)
};

// Each case, on a scene that drew the default map first: the message, DataValid and
// SceneReady false, and the previous drawing still on the panels.
TEST(DrawIt, EveryReadingMessageKeepsThePreviousDrawing) {
    const std::vector<Reading> Cases = {
        {"first formula empty", {{EditField::F1Edit, "   "}}, ResStrings::NoFirstFunction,
         ResStrings::NoFirstFunction},
        {"second formula empty", {{EditField::F2Edit, ""}}, ResStrings::NoSecondFunction, nullptr},
        {"formula error", {{EditField::F1Edit, "u +* v"}}, ResStrings::SyntaxDefect, nullptr},
        {"complex formula error", {{EditField::F1Edit, "z^0.5"}}, nullptr,
         ResStrings::ComplexIntegerExponents},
        {"first range reversed", {{EditField::pMinEdit, "3"}}, ResStrings::PRangeReversed,
         ResStrings::PReRangeReversed},
        {"second range reversed", {{EditField::qMaxEdit, "-3"}}, ResStrings::QRangeReversed,
         ResStrings::PImRangeReversed},
        {"first value outside", {{EditField::pValue, "2.5"}}, ResStrings::PValueOutside,
         ResStrings::PValueOutside},
        {"second value outside", {{EditField::qValue, "-2.001"}}, ResStrings::QValueOutside,
         ResStrings::QValueOutside},
        {"equal u bounds", {{EditField::uMinEdit, "1"}}, ResStrings::URangeReversed,
         ResStrings::ZReRangeReversed},
        {"v reversed", {{EditField::vMaxEdit, "-2"}}, ResStrings::VRangeReversed,
         ResStrings::ZImRangeReversed},
        {"equal clip x",
         {{EditField::xMinEdit, "2"}, {EditField::xMaxEdit, "2"}, {EditField::yMinEdit, "0"},
          {EditField::yMaxEdit, "1"}},
         ResStrings::XRangeReversed, ResStrings::WReRangeReversed},
        {"reversed clip y",
         {{EditField::xMinEdit, "0"}, {EditField::xMaxEdit, "1"}, {EditField::yMinEdit, "1"},
          {EditField::yMaxEdit, "cos(pi)"}},
         ResStrings::YRangeReversed, ResStrings::WImRangeReversed},
        {"bound with a variable", {{EditField::uMaxEdit, "u"}}, ResStrings::VariableInNumber,
         ResStrings::VariableInNumber},
        {"miswritten bound", {{EditField::vMinEdit, "1..2"}}, ResStrings::MiswrittenNumber,
         ResStrings::MiswrittenNumber},
        {"bound too large", {{EditField::uMinEdit, "-10^300"}, {EditField::uMaxEdit, "10^308*10"}},
         ResStrings::NumberTooLarge, ResStrings::NumberTooLarge},
    };
    for (int Kind = 0; Kind < 2; ++Kind) {
        for (const Reading& C : Cases) {
            const char* Expected = Kind == 0 ? C.Real : C.Complex;
            if (!Expected) continue;
            TorvaneScene T;
            if (Kind == 1) T.OnFunctionType(1);
            T.ReadAndDraw(true);
            ASSERT_TRUE(T.S.SceneReady) << C.What;
            QImage Domain = T.DomainSurface, Image = T.ImageSurface;
            for (const auto& [Field, Text] : C.Fields) T.Text(Field) = Text;
            T.ReadAndDraw(true);
            EXPECT_EQ(T.StatusText, Expected) << C.What << (Kind ? " (complex)" : " (real)");
            EXPECT_FALSE(T.S.DataValid) << C.What;
            EXPECT_FALSE(T.S.SceneReady) << C.What;
            EXPECT_EQ(Differences(T.DomainSurface, Domain), 0) << C.What;
            EXPECT_EQ(Differences(T.ImageSurface, Image), 0) << C.What;
            // A scene that is not ready ignores the mouse.
            T.OnMouseMoveInDomain(Plain(), 140, 140);
            EXPECT_FALSE(T.CrossShown) << C.What;
        }
    }
}

TEST(DrawIt, ClipFieldsChooseTheImageRectangle) {
    TorvaneScene T;
    T.Text(EditField::xMinEdit) = "-1";
    T.Text(EditField::xMaxEdit) = "1";
    T.Text(EditField::yMinEdit) = "-0.5";
    T.Text(EditField::yMaxEdit) = "sqrt(4)";
    T.ReadAndDraw(false);
    ASSERT_TRUE(T.S.SceneReady) << T.StatusText;
    EXPECT_EQ(T.StatusText, "");
    EXPECT_FALSE(T.S.WholeImage);
    EXPECT_TRUE(T.S.Modified);  // a clip rectangle read counts as a change
    EXPECT_EQ(T.S.ImgMin.Y, -0.5);
    EXPECT_EQ(T.S.ImgMax.Y, 2);
    for (const char* Unreadable : {"", "  ", "1..", "abc"}) {
        T.Text(EditField::yMinEdit) = Unreadable;
        T.ReadAndDraw(false);
        EXPECT_TRUE(T.S.SceneReady) << Unreadable;
        EXPECT_TRUE(T.S.WholeImage) << Unreadable;
        EXPECT_EQ(T.StatusText, ResStrings::WholeRange) << Unreadable;
    }
}

TEST(DrawIt, BoundsMayBeFormulasAndEqualParameterBoundsCentreTheSpot) {
    TorvaneScene T;
    T.Text(EditField::uMaxEdit) = "cos(pi/sqrt(5))";
    T.Text(EditField::pMinEdit) = "1";
    T.Text(EditField::pMaxEdit) = "1";
    T.Text(EditField::pValue) = "1";
    T.Text(EditField::qValue) = "2";  // a value equal to a bound is accepted
    T.ReadAndDraw(true);
    ASSERT_TRUE(T.S.SceneReady) << T.StatusText;
    EXPECT_DOUBLE_EQ(T.S.DomMax.X, std::cos(M_PI / std::sqrt(5.0)));
    EXPECT_EQ(T.Spot.X, 100);
    EXPECT_EQ(T.Spot.Y, 0);
}

TEST(DrawIt, SwitchingKindsResetsCaptionsDefaultsAndRules) {
    TorvaneScene T;
    EXPECT_EQ(T.Label(SceneLabel::xuvLabel).Caption, "x(u,v)=");
    EXPECT_EQ(T.Label(SceneLabel::uName).Left, 12);
    EXPECT_TRUE(T.Checked(MenuItem::Singularlocus1));
    EXPECT_TRUE(T.Checked(MenuItem::AdjusttoPanel1));
    T.Text(EditField::pValue) = "1";
    T.ReadAndDraw(true);
    int Focus = T.FocusRequests;

    T.OnFunctionType(1);
    EXPECT_EQ(T.S.MapType, 1);
    EXPECT_FALSE(T.S.SceneReady);
    EXPECT_EQ(T.Text(EditField::F1Edit), "z(1-p) + p cos(z)");
    EXPECT_EQ(T.Text(EditField::pValue), "0");
    EXPECT_EQ(T.Text(EditField::pMinEdit), "-2");
    EXPECT_FALSE(T.Edits[static_cast<int>(EditField::F2Edit)].Visible);
    EXPECT_FALSE(T.Label(SceneLabel::yuvLabel).Visible);
    EXPECT_TRUE(T.S.PreserveRatio);
    EXPECT_TRUE(T.Checked(MenuItem::PreserveRatio1));
    EXPECT_FALSE(T.Checked(MenuItem::AdjusttoPanel1));
    EXPECT_FALSE(T.S.ShowSingLocus);
    EXPECT_FALSE(T.Checked(MenuItem::Singularlocus1));
    EXPECT_TRUE(T.Checked(MenuItem::ComplexFunction1));
    EXPECT_GT(T.FocusRequests, Focus);
    const std::vector<std::pair<SceneLabel, std::pair<const char*, int>>> Complex = {
        {SceneLabel::xuvLabel, {"w(z)=", 294}},  {SceneLabel::uName, {"z.re=", 2}},
        {SceneLabel::vName, {"z.im=", 2}},       {SceneLabel::uLabel, {"< z.re <", 192}},
        {SceneLabel::vLabel, {"< z.im <", 192}}, {SceneLabel::xLabel, {"< w.re <", 590}},
        {SceneLabel::yLabel, {"< w.im <", 590}}, {SceneLabel::pName, {"p.re=", 2}},
        {SceneLabel::qName, {"p.im=", 2}},       {SceneLabel::pLabel, {"<p.re<", 120}},
        {SceneLabel::qLabel, {"<p.im<", 120}},   {SceneLabel::xName, {"w.re=", 338}},
        {SceneLabel::yName, {"w.im=", 338}}};
    for (const auto& [L, Expected] : Complex) {
        EXPECT_EQ(T.Label(L).Caption, Expected.first);
        EXPECT_EQ(T.Label(L).Left, Expected.second) << Expected.first;
    }
    // Choosing the kind that is active changes nothing.
    T.Text(EditField::F1Edit) = "z^2";
    T.OnFunctionType(1);
    EXPECT_EQ(T.Text(EditField::F1Edit), "z^2");

    T.OnFunctionType(0);
    EXPECT_EQ(T.Text(EditField::F1Edit), "p u^2 - v^3");
    EXPECT_EQ(T.Text(EditField::F2Edit), "q v^2 - u^3");
    EXPECT_TRUE(T.Edits[static_cast<int>(EditField::F2Edit)].Visible);
    EXPECT_FALSE(T.S.PreserveRatio);
    EXPECT_TRUE(T.S.ShowSingLocus);
    EXPECT_EQ(T.Label(SceneLabel::pLabel).Caption, "< p <");
    EXPECT_EQ(T.Label(SceneLabel::pLabel).Left, 126);
    EXPECT_EQ(T.Label(SceneLabel::xName).Left, 348);
}

TEST(DrawIt, DocumentFlagsSetMenusAndKeepValues) {
    TorvaneScene T;
    T.AdjustMenus(1 | 4 | 16);
    EXPECT_TRUE(T.S.WholeImage);
    EXPECT_FALSE(T.S.ShowSingLocus);
    EXPECT_TRUE(T.S.StereoImage);
    EXPECT_TRUE(T.S.StereoDomain);
    EXPECT_FALSE(T.S.PreserveRatio);
    EXPECT_TRUE(T.Checked(MenuItem::Stereographicimage1));
    EXPECT_FALSE(T.Checked(MenuItem::Planeimage1));
    EXPECT_TRUE(T.Checked(MenuItem::Stereographicdomain1));
    EXPECT_FALSE(T.Checked(MenuItem::Singularlocus1));
    EXPECT_EQ(T.SceneFlags(), 1 | 4 | 16);
    T.Text(EditField::F1Edit) = "u";
    T.S.MapType = 0;
    T.ChangeMapType(true);
    EXPECT_EQ(T.Text(EditField::F1Edit), "u");
    EXPECT_TRUE(T.S.StereoImage);  // kept: the document decides
}

TEST(FixedText, RoundsToSignificantDigitsThenShowsDecimals) {
    EXPECT_EQ(FixedText(-1, 4, 2), "-1.00");
    EXPECT_EQ(FixedText(3, 4, 2), "3.00");
    EXPECT_EQ(FixedText(0.123456, 7, 4), "0.1235");
    EXPECT_EQ(FixedText(1.23456, 4, 4), "1.2350");
    EXPECT_EQ(FixedText(-0.00001, 4, 2), "0.00");
    EXPECT_EQ(FixedText(12345.678, 7, 4), "12345.6800");
    EXPECT_EQ(FixedText(123456789.0, 7, 4), "1.234568E+08");
}

}  // namespace
