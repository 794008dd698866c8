// The document byte format: the committed fixtures (written independently of the program)
// read as they should and write back byte for byte; bad, cut and forged files are refused
// whole and leave the record untouched; texts and file titles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "document/MapDocument.h"

namespace {

std::vector<uint8_t> Fixture(const std::string& Name) {
    std::ifstream F(std::string(TORVANE_SOURCE_DIR) + "/tests/document/fixtures/" + Name,
                    std::ios::binary);
    return {std::istreambuf_iterator<char>(F), std::istreambuf_iterator<char>()};
}

bool SameBits(const void* A, const void* B, size_t N) { return std::memcmp(A, B, N) == 0; }

// Little-endian, as the file is.
void PutInt32(std::vector<uint8_t>& B, size_t At, int32_t V) {
    uint8_t Le[4];
    for (int I = 0; I < 4; ++I) Le[I] = static_cast<uint8_t>(static_cast<uint32_t>(V) >> (8 * I));
    if (At + 4 <= B.size()) std::memcpy(B.data() + At, Le, 4);
}

// A record with every field set to something recognisable.
MapDocument Sample() {
    MapDocument D;
    D.MapType = 1;
    D.Flags = 1 | 4 | 16;
    D.Formula1 = "z(1-p) + p cos(z)";
    D.Formula2 = "q v^2 - u^3";
    D.ParamMin = {-2, -1.5};
    D.ParamMax = {2, 1.5};
    D.P = 0.1;
    D.Q = -1.0 / 3;
    D.DomMin = {-1, -2};
    D.DomMax = {1, 2};
    D.ImgMin = {-0.7, -0.9};
    D.ImgMax = {0.8, 0.95};
    D.ImgSphereCentre = {0.3, -0.2};
    D.ImgSphereRadius = 1.7;
    D.DomSphere.Radius = 0.5;
    D.DomSphere.RadiusSqr = 0.25;
    D.DomSphere.Scale = 252;
    D.DomSphere.Rotation[0][1] = std::sqrt(0.5);
    D.ImgSphere.Radius = 1.7;
    D.ImgSphere.RadiusSqr = 1.7 * 1.7;
    D.ImgSphere.Centre = {0.3, -0.2};
    D.ImgSphere.CentrePixel = {231, 229};
    D.ImgSphere.Rotation[2][0] = 1e-17;
    for (int I = 0; I < 3; ++I)
        for (int J = 0; J < 3; ++J) D.ImgSphereRotation[I][J] = D.ImgSphere.Rotation[I][J];
    return D;
}

TEST(MapDocument, WritesTheLayoutAndReadsItBackBitForBit) {
    MapDocument D = Sample();
    std::vector<uint8_t> Bytes = WriteDocument(D);
    // The fixed head: magic, kind, version "1", eight zero bytes, map type at 32, flags at 36.
    const uint8_t Head[] = {7, 0, 0, 0, 'N', 'o', 'r', 'l', 'i', 't', 'h', 4, 0, 0, 0, '.',
                            't', 'v', 'n', 1,   0,   0,   0,   '1', 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_GE(Bytes.size(), 40u);
    EXPECT_TRUE(SameBits(Bytes.data(), Head, sizeof Head));
    EXPECT_EQ(Bytes[32], 1);
    EXPECT_EQ(Bytes[36], 1 | 4 | 16);
    EXPECT_EQ(Bytes.size(), 40 + 4 + D.Formula1.size() + 4 + D.Formula2.size() + 14 * 8 + 2 * 8 +
                                72 + 8 + 2 * 120);
    MapDocument R;
    ASSERT_EQ(ReadDocument(Bytes, R), DocumentError::None);
    EXPECT_EQ(R.Version, 1);
    EXPECT_EQ(R.Formula1, D.Formula1);
    EXPECT_EQ(R.Formula2, D.Formula2);
    EXPECT_EQ(R.Flags, D.Flags);
    EXPECT_EQ(R.Q, D.Q);
    EXPECT_EQ(R.ImgMax.Y, D.ImgMax.Y);
    EXPECT_TRUE(SameBits(&R.DomSphere, &D.DomSphere, sizeof D.DomSphere));
    EXPECT_TRUE(SameBits(&R.ImgSphere, &D.ImgSphere, sizeof D.ImgSphere));
    EXPECT_EQ(WriteDocument(R), Bytes);
}

TEST(MapDocument, ReadsTheFixturesAndWritesThemBackUnchanged) {
    MapDocument Old;
    Old.DomSphere.Scale = 99;  // an old document has no domain sphere: it stays as it was
    ASSERT_EQ(ReadDocument(Fixture("version0-real.tvn"), Old), DocumentError::None);
    EXPECT_EQ(Old.Version, 0);
    EXPECT_EQ(Old.MapType, 0);
    EXPECT_EQ(Old.Formula2, "2 u v");
    EXPECT_EQ(Old.P, 0.5);
    EXPECT_EQ(Old.DomMin.X, -2);
    EXPECT_EQ(Old.ImgSphereRadius, 2);
    EXPECT_EQ(Old.ImgSphereRotation[1][0], -1);
    EXPECT_EQ(Old.DomSphere.Scale, 99);

    for (const char* Name : {"fractional-linear.tvn", "complex-sphere.tvn", "whole-image.tvn"}) {
        std::vector<uint8_t> Bytes = Fixture(Name);
        ASSERT_FALSE(Bytes.empty()) << Name;
        MapDocument D;
        ASSERT_EQ(ReadDocument(Bytes, D), DocumentError::None) << Name;
        EXPECT_EQ(D.Version, 1);
        EXPECT_EQ(WriteDocument(D), Bytes) << Name;
    }
    MapDocument C;
    ReadDocument(Fixture("complex-sphere.tvn"), C);
    EXPECT_EQ(C.MapType, 1);
    EXPECT_EQ(C.ImgSphere.Radius, 1.5);
    EXPECT_EQ(C.ImgSphere.CentrePixel.X, 230);
    MapDocument F;
    ReadDocument(Fixture("fractional-linear.tvn"), F);
    EXPECT_EQ(F.MapType, 2);
}

TEST(MapDocument, RefusesBadCutAndForgedFilesWhole) {
    const std::vector<uint8_t> Good = WriteDocument(Sample());
    struct Case {
        const char* What;
        std::vector<uint8_t> Bytes;
        DocumentError Expected;
    };
    std::vector<Case> Cases;
    auto Changed = [&Good](size_t At, uint8_t V) {
        std::vector<uint8_t> B = Good;
        B[At] = V;
        return B;
    };
    Cases.push_back({"wrong magic", Changed(4, 'n'), DocumentError::BadFileType});
    Cases.push_back({"wrong kind", Changed(16, 'x'), DocumentError::BadFileType});
    Cases.push_back({"unknown version", Changed(23, '2'), DocumentError::VersionNotSupported});
    Cases.push_back({"map type 3", Changed(32, 3), DocumentError::UnknownMapType});
    {
        std::vector<uint8_t> B = Good;
        PutInt32(B, 32, -1);
        Cases.push_back({"map type -1", B, DocumentError::UnknownMapType});
        B = Good;
        PutInt32(B, 40, -5);
        Cases.push_back({"negative string length", B, DocumentError::ReadError});
        B = Good;
        PutInt32(B, 40, 0x7FFFFFFF);
        Cases.push_back({"string length past the end", B, DocumentError::ReadError});
        B = Good;
        PutInt32(B, 0, 1 << 30);
        Cases.push_back({"magic length past the end", B, DocumentError::BadFileType});
        B = Good;
        double NaN = std::numeric_limits<double>::quiet_NaN();
        std::memcpy(&B[40 + 4 + 17 + 4 + 11], &NaN, 8);  // pMin
        Cases.push_back({"a bound that is no number", B, DocumentError::ReadError});
        B = Good;
        double Zero = 0;
        std::memcpy(&B[B.size() - 120], &Zero, 8);  // the image sphere's radius
        Cases.push_back({"a sphere of radius 0", B, DocumentError::ReadError});
        B = Good;
        B.resize(MaxDocumentBytes + 1);
        Cases.push_back({"far too large", B, DocumentError::ReadError});
    }
    // Cut at every byte offset.
    for (size_t N = 0; N < Good.size(); ++N) {
        std::vector<uint8_t> B(Good.begin(), Good.begin() + static_cast<std::ptrdiff_t>(N));
        Cases.push_back({"cut", B, N < 19 ? DocumentError::BadFileType : DocumentError::ReadError});
    }
    const MapDocument Before = Sample();
    for (const Case& C : Cases) {
        MapDocument D = Before;
        EXPECT_EQ(ReadDocument(C.Bytes, D), C.Expected) << C.What << " (" << C.Bytes.size() << " bytes)";
        EXPECT_EQ(WriteDocument(D), WriteDocument(Before)) << C.What << ": the record changed";
    }
    EXPECT_STREQ(DocumentMessage(DocumentError::BadFileType), "Bad file type");
    EXPECT_STREQ(DocumentMessage(DocumentError::VersionNotSupported), "File version not supported");
}

TEST(MapDocument, TextsAndTitles) {
    EXPECT_EQ(Utf8ToLatin1("u\xC2\xB2 + \xC3\xA9"), "u\xB2 + \xE9");
    EXPECT_EQ(Latin1ToUtf8("u\xB2 + \xE9"), "u\xC2\xB2 + \xC3\xA9");
    EXPECT_EQ(Utf8ToLatin1("\xE2\x82\xAC 5"), "? 5");  // the euro sign is beyond Latin-1
    EXPECT_EQ(Latin1ToUtf8(Utf8ToLatin1("p u^2 - v^3")), "p u^2 - v^3");
    EXPECT_EQ(FileTitle("/home/ana/maps/Whitney.tvn"), "Whitney");
    EXPECT_EQ(FileTitle("Cusp.TVN"), "Cusp");
    EXPECT_EQ(FileTitle(".tvn"), ".tvn");
    EXPECT_EQ(FileTitle("/maps/fold.map"), "fold.map");
}

}  // namespace
