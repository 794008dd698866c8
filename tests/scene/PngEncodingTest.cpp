// The fast PNG encoder: what it writes reads back as the very pixels drawn, whatever the
// image's size or format, and a picture it cannot encode is reported, not written empty.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstdint>

#include "scene/PngEncoding.h"

namespace {

QImage Decoded(const QByteArray& Png) {
    QImage I;
    EXPECT_TRUE(I.loadFromData(Png, "PNG"));
    return I;
}

// Pixels of every colour, so that no channel or byte order mix-up goes unseen.
QImage Noise(int W, int H, QImage::Format Format) {
    QImage I(W, H, Format);
    uint32_t Z = 12345;
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X) {
            Z = Z * 1664525u + 1013904223u;
            I.setPixel(X, Y, 0xFF000000u | (Z >> 8));
        }
    return I;
}

TEST(PngEncoding, ReadsBackAsTheSamePixels) {
    // Odd widths give padded rows in every format; a one-pixel image is the smallest there is.
    const struct {
        int W, H;
        QImage::Format Format;
    } Cases[] = {{37, 23, QImage::Format_RGB32}, {1, 1, QImage::Format_RGB32},
                 {101, 3, QImage::Format_ARGB32}, {5, 64, QImage::Format_RGB888}};
    for (const auto& C : Cases) {
        const QImage Source = Noise(C.W, C.H, C.Format);
        std::string Error = "stale";
        const QByteArray Png = EncodePng(Source, Error);
        ASSERT_EQ(Error, "") << C.W << "x" << C.H;
        ASSERT_TRUE(Png.startsWith("\x89PNG\r\n\x1a\n"));
        const QImage Back = Decoded(Png);
        ASSERT_EQ(Back.size(), Source.size());
        EXPECT_FALSE(Back.hasAlphaChannel());
        for (int Y = 0; Y < C.H; ++Y)
            for (int X = 0; X < C.W; ++X)
                ASSERT_EQ(Back.pixel(X, Y), Source.pixel(X, Y) | 0xFF000000u) << X << "," << Y;
    }
}

TEST(PngEncoding, ADrawingStaysSmallAndANullImageIsRefused) {
    // A drawing like a panel's: white with thin lines packs into a small fraction of its pixels.
    QImage Panel(460, 460, QImage::Format_RGB32);
    Panel.fill(Qt::white);
    {
        QPainter P(&Panel);
        P.setRenderHint(QPainter::Antialiasing, true);
        P.setPen(QPen(Qt::blue, 1));
        for (int K = 0; K <= 20; ++K) P.drawLine(10, 10 + 21 * K, 450, 30 + 20 * K);
    }
    std::string Error;
    const QByteArray Png = EncodePng(Panel, Error);
    EXPECT_EQ(Error, "");
    EXPECT_LT(Png.size(), 460 * 460 * 3 / 10);
    EXPECT_EQ(Decoded(Png), Panel);

    EXPECT_TRUE(EncodePng(QImage(), Error).isEmpty());
    EXPECT_NE(Error, "");
}

}  // namespace
