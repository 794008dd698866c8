// The example maps built into the program: every one reads through the document reader and
// draws without a message, opens as an untitled map under its title, and an unknown name
// changes nothing.
#include <gtest/gtest.h>

#include <set>

#include "SceneTestSupport.h"
#include "common/ResStrings.h"
#include "scene/Examples.h"

namespace {

using namespace scene_test;

TEST(Examples, EveryExampleReadsAndDrawsWithoutAMessage) {
    const std::vector<ExampleMap>& All = Examples();
    ASSERT_GE(All.size(), 12u);
    std::set<std::string> Names;
    int Real = 0, Complex = 0;
    for (const ExampleMap& E : All) {
        SCOPED_TRACE(E.Name);
        EXPECT_TRUE(Names.insert(E.Name).second);
        EXPECT_FALSE(E.Title.empty());
        EXPECT_GT(E.Description.size(), 20u);
        EXPECT_EQ(E.Description.find('\n'), std::string::npos);
        EXPECT_EQ(FindExample(E.Name), &E);
        TorvaneScene T;
        ASSERT_EQ(T.OpenExample(E.Name), DocumentError::None);
        EXPECT_TRUE(T.S.SceneReady);
        // No refusal: only the note that the image is drawn whole (no clip was given).
        EXPECT_EQ(T.StatusText, ResStrings::WholeRange);
        EXPECT_EQ(T.Caption, E.Title);
        EXPECT_EQ(T.FileName, "");
        EXPECT_FALSE(T.S.Modified);
        // The grid's image is there: every line has points.
        for (int I = 0; I <= 20; ++I) EXPECT_GE(T.S.ImgHLines[I].LastIndex, 1) << I;
        (T.S.MapType == 0 ? Real : Complex)++;
        // Saved again, it is the document it came from.
        MapDocument D;
        ASSERT_EQ(ReadExample(E.Name, D), DocumentError::None);
        EXPECT_EQ(WriteDocument(T.CurrentDocument()), WriteDocument(D));
    }
    EXPECT_GE(Real, 6);
    EXPECT_GE(Complex, 6);
}

TEST(Examples, AnUnknownExampleChangesNothing) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T));
    const std::vector<uint8_t> Before = WriteDocument(T.CurrentDocument());
    const QImage Domain = T.DomainSurface;
    MapDocument D;
    EXPECT_EQ(ReadExample("no-such-map", D), DocumentError::NotAssigned);
    EXPECT_EQ(FindExample("no-such-map"), nullptr);
    EXPECT_NE(T.OpenExample("no-such-map"), DocumentError::None);
    EXPECT_EQ(WriteDocument(T.CurrentDocument()), Before);
    EXPECT_EQ(Differences(Domain, T.DomainSurface), 0);
    EXPECT_EQ(T.Caption, "Torvane");
}

}  // namespace
