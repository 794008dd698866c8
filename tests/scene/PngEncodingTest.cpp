// The fast PNG encoder: what it writes reads back as the very pixels drawn, whatever the
// image's size or format and however its rows fall into bands, and a picture it cannot encode
// is reported, not written empty.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <zlib.h>

#include <cstdint>
#include <vector>

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
    // Odd widths give padded rows in every format; a one-pixel image is the smallest there is;
    // tall images are deflated in bands, cut at rows that depend on the number of cores.
    const struct {
        int W, H;
        QImage::Format Format;
    } Cases[] = {{37, 23, QImage::Format_RGB32}, {1, 1, QImage::Format_RGB32},
                 {101, 3, QImage::Format_ARGB32}, {5, 64, QImage::Format_RGB888},
                 {300, 257, QImage::Format_RGB32}, {64, 999, QImage::Format_ARGB32_Premultiplied}};
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

uint32_t U32(const QByteArray& B, qsizetype At) {
    const auto* P = reinterpret_cast<const uint8_t*>(B.constData() + At);
    return uint32_t{P[0]} << 24 | uint32_t{P[1]} << 16 | uint32_t{P[2]} << 8 | P[3];
}

TEST(PngEncoding, TheBandsMakeOneStreamWhoseChecksumsHold) {
    // Readers differ in what they verify; here every chunk's CRC and the zlib stream's own
    // checksum are checked, and the stream must inflate to exactly the unfiltered rows.
    const QImage Source = Noise(77, 301, QImage::Format_RGB32);
    std::string Error;
    const QByteArray Png = EncodePng(Source, Error);
    ASSERT_EQ(Error, "");
    QByteArray Stream;
    std::vector<std::string> Types;
    for (qsizetype At = 8; At + 12 <= Png.size();) {
        const uint32_t Length = U32(Png, At);
        ASSERT_LE(At + 12 + qsizetype{Length}, Png.size());
        const QByteArray TypeAndData = Png.mid(At + 4, 4 + qsizetype{Length});
        EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(TypeAndData.constData()),
                        static_cast<uInt>(TypeAndData.size())),
                  U32(Png, At + 8 + Length));
        Types.push_back(TypeAndData.left(4).toStdString());
        if (Types.back() == "IDAT") Stream += TypeAndData.mid(4);
        At += 12 + Length;
    }
    EXPECT_EQ(Types.front(), "IHDR");
    EXPECT_EQ(Types.back(), "IEND");
    const size_t RowLength = 77 * 3 + 1;
    std::vector<uint8_t> Raw(RowLength * 301 + 1);
    uLongf Length = static_cast<uLongf>(Raw.size());
    ASSERT_EQ(uncompress(Raw.data(), &Length, reinterpret_cast<const Bytef*>(Stream.constData()),
                         static_cast<uLong>(Stream.size())),
              Z_OK);
    ASSERT_EQ(Length, RowLength * 301);
    for (int Y = 0; Y < 301; ++Y) {
        const uint8_t* Row = Raw.data() + RowLength * static_cast<size_t>(Y);
        ASSERT_EQ(Row[0], 0);
        for (int X = 0; X < 77; ++X) {
            const QRgb C = Source.pixel(X, Y);
            ASSERT_EQ(Row[1 + 3 * X], qRed(C));
            ASSERT_EQ(Row[2 + 3 * X], qGreen(C));
            ASSERT_EQ(Row[3 + 3 * X], qBlue(C));
        }
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
