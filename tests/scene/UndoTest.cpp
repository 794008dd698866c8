// Undo and redo of the map as the window drives them (a step recorded after every command):
// each kind of change taken back exactly (the saved document byte for byte, the fields as
// typed), drags as one step, typing with the next step, and the modified state following the
// undo stack's clean state.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>

#include "SceneTestSupport.h"

namespace {

using namespace scene_test;

// The scene as the window runs it: every command ends with a step recorded.
void Command(TorvaneScene& T, const std::function<void(TorvaneScene&)>& Do) {
    Do(T);
    T.RecordStep();
}

std::vector<uint8_t> Saved(const TorvaneScene& T) { return WriteDocument(T.CurrentDocument()); }

struct Fields {
    std::string Texts[SnapshotFieldCount];
    explicit Fields(const TorvaneScene& T) {
        for (int I = 0; I < SnapshotFieldCount; ++I) Texts[I] = T.Edits[I].Text;
    }
    bool operator==(const Fields& O) const {
        for (int I = 0; I < SnapshotFieldCount; ++I)
            if (Texts[I] != O.Texts[I]) return false;
        return true;
    }
};

// Makes the change as one command and checks that Undo takes it back and Redo brings it
// again, exactly, with the pictures of each.
void ExpectUndone(TorvaneScene& T, const char* Name, const std::function<void(TorvaneScene&)>& Change) {
    SCOPED_TRACE(Name);
    const std::vector<uint8_t> Before = Saved(T);
    const Fields BeforeFields(T);
    const QImage Domain = T.DomainSurface, Image = T.ImageSurface;
    const int Steps = T.History.count();
    Command(T, Change);
    ASSERT_TRUE(T.S.SceneReady) << T.StatusText;
    const std::vector<uint8_t> After = Saved(T);
    const Fields AfterFields(T);
    const QImage ChangedImage = T.ImageSurface;
    EXPECT_NE(After, Before);
    EXPECT_EQ(T.History.count(), Steps + 1);
    EXPECT_TRUE(T.S.Modified);
    T.UndoStep();
    EXPECT_EQ(Saved(T), Before);
    EXPECT_TRUE(Fields(T) == BeforeFields);
    EXPECT_EQ(Differences(T.DomainSurface, Domain), 0);
    EXPECT_EQ(Differences(T.ImageSurface, Image), 0);
    T.RedoStep();
    EXPECT_EQ(Saved(T), After);
    EXPECT_TRUE(Fields(T) == AfterFields);
    EXPECT_EQ(Differences(T.ImageSurface, ChangedImage), 0);
}

TEST(Undo, EveryKindOfChangeIsTakenBackExactly) {
    TorvaneScene T;
    ExpectUndone(T, "the first Draw It", [](TorvaneScene& S) { DrawDefault(S); });
    ExpectUndone(T, "formulas", [](TorvaneScene& S) {
        S.Text(EditField::F1Edit) = "p u^2 - v^3 + u v";
        S.ReadAndDraw(true);
    });
    ExpectUndone(T, "domain and parameter range", [](TorvaneScene& S) {
        S.Text(EditField::uMaxEdit) = "1.5";
        S.Text(EditField::pMaxEdit) = "3";
        S.ReadAndDraw(true);
    });
    ExpectUndone(T, "clip", [](TorvaneScene& S) {
        for (auto [F, V] : {std::pair{EditField::xMinEdit, "-1"}, {EditField::xMaxEdit, "1.3"},
                            {EditField::yMinEdit, "-1"}, {EditField::yMaxEdit, "1"}})
            S.Text(F) = V;
        S.ReadAndDraw(true);
    });
    ExpectUndone(T, "a parameter click and drag, one step", [](TorvaneScene& S) {
        Command(S, [](TorvaneScene& X) { X.OnMouseDownInParameters(MouseButton::Left, LeftHeld(), 130, 70); });
        Command(S, [](TorvaneScene& X) { X.OnMouseMoveInParameters(LeftHeld(), 137, 64); });
        Command(S, [](TorvaneScene& X) { X.OnMouseMoveInParameters(LeftHeld(), 143, 61); });
        S.OnMouseUpInParameters(MouseButton::Left, Plain(), 143, 61);
    });
    ExpectUndone(T, "a shift of the domain, one step", [](TorvaneScene& S) {
        Command(S, [](TorvaneScene& X) { X.OnMouseMoveInDomain(WithCtrl(), 150, 150); });
        Command(S, [](TorvaneScene& X) { X.OnMouseMoveInDomain(WithCtrl(), 160, 145); });
        S.OnMouseUpInDomain(MouseButton::Left, Plain(), 160, 145);
    });
    ExpectUndone(T, "a zoom of the image", [](TorvaneScene& S) {
        Command(S, [](TorvaneScene& X) { X.OnMouseMoveInImage(WithShift(), 200, 200); });
        Command(S, [](TorvaneScene& X) { X.OnMouseMoveInImage(WithShift(), 220, 210); });
        S.OnMouseUpInImage(MouseButton::Left, Plain(), 220, 210);
    });
    ExpectUndone(T, "preserve ratio", [](TorvaneScene& S) { S.OnPreferences(TagPreserveRatio); });
    ExpectUndone(T, "the image on the sphere", [](TorvaneScene& S) { S.OnPreferences(TagStereographicImage); });
    ExpectUndone(T, "a turn of the image sphere, one step", [](TorvaneScene& S) {
        Command(S, [](TorvaneScene& X) { X.OnMouseDownInImage(MouseButton::Right, RightHeld(), 230, 230); });
        Command(S, [](TorvaneScene& X) { X.OnMouseMoveInImage(RightHeld(), 250, 240); });
        Command(S, [](TorvaneScene& X) { X.OnMouseMoveInImage(RightHeld(), 270, 250); });
        S.OnMouseUpInImage(MouseButton::Right, Plain(), 270, 250);
    });
    ExpectUndone(T, "reset sphere", [](TorvaneScene& S) { S.OnResetSphere(TagResetImageSphere); });
    ExpectUndone(T, "the locus off", [](TorvaneScene& S) { S.OnGeometryMenu(); });
    ExpectUndone(T, "the complex kind", [](TorvaneScene& S) {
        S.OnFunctionType(1);
        S.ReadAndDraw(true);
    });
    // Typing goes with the next step: the typed texts come back with it.
    Command(T, [](TorvaneScene& S) { S.Text(EditField::pValue) = "0.25"; });
    ExpectUndone(T, "typed, then the domain on the sphere",
                 [](TorvaneScene& S) { S.OnPreferences(TagStereographicDomain); });

    // Back to the very start: nothing drawn, the fields as they were.
    while (T.CanUndo()) T.UndoStep();
    EXPECT_FALSE(T.S.SceneReady);
    TorvaneScene Fresh;
    EXPECT_TRUE(Fields(T) == Fields(Fresh));
    EXPECT_FALSE(T.S.Modified);
}

TEST(Undo, OpeningIsAStepAndTheCleanStateDecidesModified) {
    TorvaneScene T;
    Command(T, [](TorvaneScene& S) { DrawDefault(S); });
    const std::vector<uint8_t> Drawn = Saved(T);
    EXPECT_TRUE(T.S.Modified);
    QTemporaryDir Folder;
    const std::string Path = Folder.filePath(QStringLiteral("a.tvn")).toStdString();
    Command(T, [&](TorvaneScene& S) {  // as Save As does it
        S.FileName = Path;
        ASSERT_TRUE(S.WriteToDisk(Path).Ok());
        S.Caption = DocumentCaption(Path);
    });
    EXPECT_FALSE(T.S.Modified);
    // A change and its undo: back to what is saved, so nothing to lose.
    Command(T, [](TorvaneScene& S) { S.OnGeometryMenu(); });
    EXPECT_TRUE(T.S.Modified);
    T.UndoStep();
    EXPECT_FALSE(T.S.Modified);
    T.RedoStep();
    EXPECT_TRUE(T.S.Modified);
    T.UndoStep();

    // An example opened over it, then undone: the map before it, under its own name.
    Command(T, [](TorvaneScene& S) { ASSERT_EQ(S.OpenExample("cubic"), DocumentError::None); });
    EXPECT_FALSE(T.S.Modified);
    EXPECT_EQ(T.Caption, "Cubic");
    EXPECT_EQ(T.FileName, "");
    T.UndoStep();
    EXPECT_EQ(Saved(T), Drawn);
    EXPECT_EQ(T.FileName, Path);
    EXPECT_EQ(T.Caption, "a");
    EXPECT_TRUE(T.S.Modified);  // not what was opened last
    T.RedoStep();
    EXPECT_EQ(T.Caption, "Cubic");
    EXPECT_FALSE(T.S.Modified);
    // A read that fails records nothing.
    const int Steps = T.History.count();
    Command(T, [](TorvaneScene& S) {
        S.Text(EditField::F1Edit) = "z +* 2";
        S.ReadAndDraw(true);
    });
    EXPECT_EQ(T.History.count(), Steps);
}

}  // namespace
