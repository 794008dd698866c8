// The preimage shading in the window's scene: the View menu's switch, the tints and their key
// under the grid, the shading following the sphere, and pictures that carry it.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "SceneTestSupport.h"
#include "scene/PictureExport.h"

namespace {

using namespace scene_test;

// The tints of one, two and three preimages as window colours.
constexpr uint32_t OneSheet = 0xB3F2FF, ThreeSheets = 0xF7DDC9;

TEST(PreimageShading, TheViewMenuShadesTheImageAndTakesTheShadingAway) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    EXPECT_FALSE(T.Checked(MenuItem::ShadePreimages1));
    EXPECT_TRUE(T.S.Preimages.Empty());
    const QImage Unshaded = T.ImageSurface;
    const QImage Domain = T.DomainSurface;
    EXPECT_EQ(CountColour(Unshaded, OneSheet), 0);

    T.OnShadePreimages();
    EXPECT_TRUE(T.Checked(MenuItem::ShadePreimages1));
    EXPECT_FALSE(T.S.Preimages.Empty());
    Dump(T, "shaded-default");
    // Most of the image is covered once; the region inside the folds near the cusp thrice.
    EXPECT_GT(CountColour(T.ImageSurface, OneSheet), 20000);
    EXPECT_GT(CountColour(T.ImageSurface, ThreeSheets), 1000);
    // The grid stays over the tints, and the domain is as it was.
    EXPECT_EQ(CountColour(T.ImageSurface, HLineColour), CountColour(Unshaded, HLineColour));
    EXPECT_EQ(Differences(Domain, T.DomainSurface), 0);
    // The key's swatches sit in the lower left corner, outlined.
    int KeyPixels = 0;
    for (int Y = 430; Y < 460; ++Y)
        for (int X = 0; X < 120; ++X)
            if (PixelColour(T.ImageSurface, X, Y) == OutlineColour) ++KeyPixels;
    EXPECT_GT(KeyPixels, 40);

    // A parameter drag shades the new image.
    const QImage Shaded = T.ImageSurface;
    T.OnMouseDownInParameters(MouseButton::Left, LeftHeld(), 120, 80);
    T.OnMouseMoveInParameters(LeftHeld(), 140, 60);
    EXPECT_GT(Differences(Shaded, T.ImageSurface), 1000);
    EXPECT_GT(CountColour(T.ImageSurface, OneSheet), 10000);

    T.OnShadePreimages();
    EXPECT_TRUE(T.S.Preimages.Empty());
    EXPECT_EQ(CountColour(T.ImageSurface, OneSheet), 0);
}

TEST(PreimageShading, TheShadingTurnsWithTheSphereAndGoesIntoPictures) {
    TorvaneScene T;
    T.SetViewPreferences(true, true);
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    T.OnPreferences(TagStereographicImage);
    const QImage Before = T.ImageSurface;
    EXPECT_GT(CountColour(Before, OneSheet), 5000);
    T.OnMouseDownInImage(MouseButton::Right, RightHeld(), 230, 230);
    T.OnMouseMoveInImage(RightHeld(), 280, 250);
    T.OnMouseUpInImage(MouseButton::Right, Plain(), 280, 250);
    EXPECT_GT(Differences(Before, T.ImageSurface), 1000);
    // The turned sphere is shaded as a scene drawn with it from the start would be.
    TorvaneScene Fresh;
    Fresh.SetViewPreferences(true, true);
    ASSERT_TRUE(DrawDefault(Fresh));
    Fresh.OnPreferences(TagStereographicImage);
    Fresh.S.ImgSphere = T.S.ImgSphere;
    Fresh.ReadAndDraw(false);
    EXPECT_EQ(Differences(Fresh.ImageSurface, T.ImageSurface), 0);

    QTemporaryDir Folder;
    const QImage Picture = ExportedImage(T, Folder, "p.png", PicturePanels::Image, 300);
    ASSERT_FALSE(Picture.isNull());
    EXPECT_GT(CountColour(Picture, OneSheet), 2000);
    // A vector picture holds the shading as an image, under the image panel's curves.
    const QByteArray Text = ExportedText(T, Folder, "p.svg", PicturePanels::Both, 300);
    EXPECT_EQ(Text.count("<image"), 1);
    EXPECT_LT(Text.indexOf("<image"), Text.lastIndexOf("<polyline"));
}

}  // namespace
