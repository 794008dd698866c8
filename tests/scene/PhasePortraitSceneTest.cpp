// Phase portraits in the window's scene: the View menu's colourings under the curves of both
// panels, a parameter drag that outruns the portrait drawn coarse and then in full, the
// shading by preimages taking the image's place, and pictures that carry the colours.
#include <gtest/gtest.h>

#include "../view/HueOfColour.h"
#include "SceneTestSupport.h"
#include "curves/PhasePortrait.h"

namespace {

using namespace scene_test;

// The default complex map at p = 0.5 + 0.5i, drawn.
bool DrawComplex(TorvaneScene& T) {
    T.OnFunctionType(1);
    T.Text(EditField::pValue) = "0.5";
    T.Text(EditField::qValue) = "0.5";
    T.ReadAndDraw(true);
    return T.S.SceneReady;
}

// Pixels of the panel's drawing rectangle whose colour is not the drawing colour.
int ColouredPixels(const QImage& Surface, PixelRect R) {
    int N = 0;
    for (int Y = R.Top; Y < R.Bottom; ++Y)
        for (int X = R.Left; X < R.Right; ++X)
            if (PixelColour(Surface, X, Y) != DrawingColour) ++N;
    return N;
}

int Area(PixelRect R) { return (R.Right - R.Left) * (R.Bottom - R.Top); }

// Pixels of the Domain panel whose colour is that of the map at their centre (the others are
// under the lines).
int AgreeingPixels(const TorvaneScene& T, Colouring C) {
    PortraitRaster R;
    if (!ColourDomainPortrait(T.S, DomainProjection(T.S, T.S.DomRect), C, 1, R)) return 0;
    int N = 0;
    for (int J = 0; J < R.Height; ++J)
        for (int I = 0; I < R.Width; ++I)
            if (T.DomainSurface.pixel(R.Rect.Left + I, R.Rect.Top + J) == R.At(I, J)) ++N;
    return N;
}

// Pixels whose right neighbour of a pair of columns differs: none inside blocks of two.
int PairsThatDiffer(const QImage& Surface, PixelRect R) {
    int N = 0;
    for (int Y = R.Top; Y < R.Bottom; ++Y)
        for (int X = R.Left; X + 1 < R.Right; X += 2)
            if (Surface.pixel(X, Y) != Surface.pixel(X + 1, Y)) ++N;
    return N;
}

TEST(PhasePortraitScene, TheColouringsGoUnderTheCurvesOfBothPanelsAndComeOff) {
    TorvaneScene T;
    ASSERT_TRUE(DrawComplex(T)) << T.StatusText;
    T.OnGeometryMenu();  // the locus on, for its pen
    const QImage Domain = T.DomainSurface, Image = T.ImageSurface;
    const PixelRect DomainView = T.S.DomView.ViewRect, ImageView = T.S.ImgView.ViewRect;
    EXPECT_LT(ColouredPixels(Domain, DomainView), 30000);

    for (Colouring C : {Colouring::Phase, Colouring::Modulus, Colouring::Enhanced}) {
        T.OnColouring(C);
        EXPECT_TRUE(T.Checked(ColouringItems[static_cast<int>(C)]));
        EXPECT_FALSE(T.Checked(MenuItem::ColouringNone1));
        Dump(T, "portrait-" + std::to_string(static_cast<int>(C)));
        // Every pixel of both panels is coloured; the domain pixels away from the lines have
        // the colour of the map at their centre, the image pixels that of their point.
        EXPECT_EQ(ColouredPixels(T.DomainSurface, DomainView), Area(DomainView));
        EXPECT_EQ(ColouredPixels(T.ImageSurface, ImageView), Area(ImageView));
        EXPECT_GT(AgreeingPixels(T, C), Area(DomainView) * 3 / 4);
        int Sampled = 0, Matching = 0;
        for (int Y = ImageView.Top; Y < ImageView.Bottom; Y += 7)
            for (int X = ImageView.Left; X < ImageView.Right; X += 7) {
                const Point2 Q = PlanePixelToPoint(T.S.ImgView, X, Y);
                ++Sampled;
                if (T.ImageSurface.pixel(X, Y) == PhaseColour({Q.X, Q.Y}, C)) ++Matching;
            }
        EXPECT_GT(Matching, Sampled * 3 / 4);
        // The locus's pen is a pixel over the portrait, two without it.
        EXPECT_EQ(DomainProjection(T.S, T.S.DomRect).LocusWidth, 1);
    }
    T.OnColouring(Colouring::None);
    EXPECT_TRUE(T.Checked(MenuItem::ColouringNone1));
    EXPECT_EQ(DomainProjection(T.S, T.S.DomRect).LocusWidth, 2);
    EXPECT_EQ(Differences(Domain, T.DomainSurface), 0);
    EXPECT_EQ(Differences(Image, T.ImageSurface), 0);
}

TEST(PhasePortraitScene, ADragThatOutrunsThePortraitDrawsItCoarseThenInFull) {
    TorvaneScene T;
    T.SetViewPreferences(true, false, Colouring::Enhanced);
    ASSERT_TRUE(DrawComplex(T)) << T.StatusText;
    const PixelRect View = T.S.DomView.ViewRect;
    EXPECT_GT(T.S.PortraitMilliseconds, 0);
    EXPECT_GT(PairsThatDiffer(T.DomainSurface, View), 20000);

    // A drag whose portrait fits the budget stays in full.
    T.CoarsePortraitBudget = 1e300;
    T.OnMouseDownInParameters(MouseButton::Left, LeftHeld(), 120, 80);
    T.OnMouseMoveInParameters(LeftHeld(), 125, 80);
    EXPECT_FALSE(T.S.CoarsePortrait);
    EXPECT_GT(PairsThatDiffer(T.DomainSurface, View), 20000);
    T.OnMouseUpInParameters(MouseButton::Left, Plain(), 125, 80);

    // One that outruns it: the steps in blocks of two pixels (only the vertical lines, a
    // pixel wide, split pairs of columns).
    T.CoarsePortraitBudget = -1;
    T.OnMouseDownInParameters(MouseButton::Left, LeftHeld(), 120, 80);
    EXPECT_GT(PairsThatDiffer(T.DomainSurface, View), 20000);  // a click draws in full
    T.OnMouseMoveInParameters(LeftHeld(), 130, 70);
    T.OnMouseMoveInParameters(LeftHeld(), 140, 60);
    EXPECT_TRUE(T.S.CoarsePortrait);
    EXPECT_LT(PairsThatDiffer(T.DomainSurface, View), 8000);
    const QImage Image = T.ImageSurface;
    T.OnMouseUpInParameters(MouseButton::Left, Plain(), 140, 60);
    EXPECT_FALSE(T.S.CoarsePortrait);
    // In full at the end, the image as the last step left it.
    EXPECT_GT(PairsThatDiffer(T.DomainSurface, View), 20000);
    EXPECT_GT(AgreeingPixels(T, T.S.PortraitColouring), Area(View) * 3 / 4);
    EXPECT_EQ(Differences(Image, T.ImageSurface), 0);

    // A play's coarse step ended by a key that moves no value: the portrait comes back whole.
    ParameterPath Path;
    Path.From = T.S.ParamValue;
    Path.To = {Path.From.X / 2, Path.From.Y / 2};
    ASSERT_EQ(T.BeginAnimation(Path), "");
    ASSERT_TRUE(T.AnimateTo(0.5));
    EXPECT_LT(PairsThatDiffer(T.DomainSurface, View), 8000);
    const unsigned Changes = T.PathChanges();
    T.OnKeyUp(EditField::pMinEdit);
    EXPECT_FALSE(T.Animating());
    EXPECT_GT(T.PathChanges(), Changes);
    EXPECT_GT(PairsThatDiffer(T.DomainSurface, View), 20000);
}

TEST(PhasePortraitScene, TheShadingTakesTheImagesPlaceAndPicturesCarryTheColours) {
    TorvaneScene T;
    T.SetViewPreferences(true, true, Colouring::Phase);
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    // A real map is coloured as x + iy; its image shaded by the preimages instead.
    const PixelRect DomainView = T.S.DomView.ViewRect;
    EXPECT_EQ(ColouredPixels(T.DomainSurface, DomainView), Area(DomainView));
    constexpr uint32_t OneSheet = 0xB3F2FF;
    EXPECT_GT(CountColour(T.ImageSurface, OneSheet), 20000);
    T.OnShadePreimages();
    EXPECT_EQ(CountColour(T.ImageSurface, OneSheet), 0);
    EXPECT_EQ(ColouredPixels(T.ImageSurface, T.S.ImgView.ViewRect), Area(T.S.ImgView.ViewRect));

    // Both panels on the spheres: the discs coloured, their corners not.
    T.OnPreferences(TagStereographicDomain);
    T.OnPreferences(TagStereographicImage);
    EXPECT_EQ(PixelColour(T.DomainSurface, 2, 2), DrawingColour);
    EXPECT_NE(PixelColour(T.DomainSurface, 140, 140), DrawingColour);
    EXPECT_EQ(PixelColour(T.ImageSurface, 2, 2), DrawingColour);
    EXPECT_GT(ColouredPixels(T.ImageSurface, T.S.ImgRect), 100000);

    QTemporaryDir Folder;
    const QImage Picture = ExportedImage(T, Folder, "p.png", PicturePanels::Domain, 300);
    ASSERT_FALSE(Picture.isNull());
    EXPECT_GT(ColouredPixels(Picture, {50, 50, 250, 250}), 30000);
    // A vector picture holds each panel's colours as an image, under its curves.
    const QByteArray Text = ExportedText(T, Folder, "p.svg", PicturePanels::Both, 300);
    EXPECT_EQ(Text.count("<image"), 2);
    EXPECT_LT(Text.indexOf("<image"), Text.indexOf("<polyline"));
    EXPECT_LT(Text.lastIndexOf("<image"), Text.lastIndexOf("<polyline"));
    // A PDF file holds them without loss, not as JPEG pictures.
    const QByteArray Pdf = ExportedText(T, Folder, "p.pdf", PicturePanels::Both, 300);
    EXPECT_GE(Pdf.count("/Subtype /Image"), 2);
    EXPECT_EQ(Pdf.count("/DCTDecode"), 0);
}

}  // namespace
