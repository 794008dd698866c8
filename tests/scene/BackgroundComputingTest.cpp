// Computing on the scene's own thread: the same stories give the same scene, bit for bit, as
// computing at once; drags merge into the newest state; Esc stops a computation and keeps
// the old picture; a newer Draw It or the end of the scene stops one that never ends.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "HostileMaps.h"
#include "SceneTestSupport.h"
#include "common/ResStrings.h"

namespace {

using namespace scene_test;

bool SameBits(const void* A, const void* B, size_t N) { return std::memcmp(A, B, N) == 0; }

void ExpectSameCurve(const Curve3& A, const Curve3& B, const char* What, int I) {
    ASSERT_EQ(A.LastIndex, B.LastIndex) << What << " " << I;
    for (int32_t K = 0; K <= A.LastIndex; ++K) {
        const CurvePoint &P = A.Points[static_cast<size_t>(K)], &Q = B.Points[static_cast<size_t>(K)];
        ASSERT_EQ(P.Flag, Q.Flag) << What << " " << I << " point " << K;
        ASSERT_TRUE(SameBits(&P.P, &Q.P, sizeof P.P)) << What << " " << I << " point " << K;
    }
}

// Everything the panels, the read-outs and a saved document show, and what the next step
// computes from.
void ExpectSameScene(const TorvaneScene& A, const TorvaneScene& B, const std::string& Story) {
    SCOPED_TRACE(Story);
    EXPECT_EQ(A.StatusText, B.StatusText);
    EXPECT_EQ(A.S.SceneReady, B.S.SceneReady);
    for (int I = 0; I <= 20; ++I) {
        ExpectSameCurve(A.S.DomHLines[I], B.S.DomHLines[I], "domain h", I);
        ExpectSameCurve(A.S.DomVLines[I], B.S.DomVLines[I], "domain v", I);
        ExpectSameCurve(A.S.ImgHLines[I], B.S.ImgHLines[I], "image h", I);
        ExpectSameCurve(A.S.ImgVLines[I], B.S.ImgVLines[I], "image v", I);
    }
    const Curve33 &L = A.S.SingLocus, &M = B.S.SingLocus;
    ASSERT_EQ(L.LastIndex, M.LastIndex);
    for (int32_t K = 0; K <= L.LastIndex; ++K) {
        const LocusNode &N = L.Nodes[static_cast<size_t>(K)], &O = M.Nodes[static_cast<size_t>(K)];
        ASSERT_EQ(N.Flag, O.Flag) << "node " << K;
        ASSERT_TRUE(SameBits(&N.DomPt, &O.DomPt, sizeof N.DomPt)) << "node " << K;
        ASSERT_TRUE(SameBits(&N.ImgPos, &O.ImgPos, sizeof N.ImgPos)) << "node " << K;
        ASSERT_TRUE(SameBits(&N.DomPos, &O.DomPos, sizeof N.DomPos)) << "node " << K;
    }
    ASSERT_EQ(A.S.Preimages.Images.size(), B.S.Preimages.Images.size());
    EXPECT_TRUE(A.S.Preimages.Empty() ||
                SameBits(A.S.Preimages.Images.data(), B.S.Preimages.Images.data(),
                         A.S.Preimages.Images.size() * sizeof(Point2)));
    EXPECT_EQ(A.S.Preimages.Valid, B.S.Preimages.Valid);
    EXPECT_TRUE(SameBits(&A.S.ImgMin, &B.S.ImgMin, sizeof A.S.ImgMin));
    EXPECT_TRUE(SameBits(&A.S.ImgMax, &B.S.ImgMax, sizeof A.S.ImgMax));
    EXPECT_TRUE(SameBits(&A.S.ImgView, &B.S.ImgView, sizeof A.S.ImgView));
    EXPECT_TRUE(SameBits(&A.S.DomView, &B.S.DomView, sizeof A.S.DomView));
    EXPECT_EQ(Differences(A.DomainSurface, B.DomainSurface), 0);
    EXPECT_EQ(Differences(A.ImageSurface, B.ImageSurface), 0);
    EXPECT_EQ(Differences(A.ParametersSurface, B.ParametersSurface), 0);
    EXPECT_EQ(Differences(A.DomBitmap, B.DomBitmap), 0);
    EXPECT_EQ(Differences(A.ImgBitmap, B.ImgBitmap), 0);
    for (int I = 0; I < EditFieldCount; ++I) EXPECT_EQ(A.Edits[I].Text, B.Edits[I].Text) << I;
}

// A background scene whose results are taken back as the window takes them: whenever the
// computing thread says one waits.
struct BackgroundScene {
    TorvaneScene T;
    std::atomic<int> Ready{0};
    BackgroundScene() {
        T.ComputeInBackground([this] { ++Ready; });
    }
    // What the window's event loop does between two mouse events.
    void TakeWhatWaits() {
        while (T.TakeFinishedWork()) {}
    }
};

// One story, told to both scenes; the background scene gets the steps of each drag without
// waiting between them, as fast mouse moves come.
template <class Step>
void Tell(TorvaneScene& Now, BackgroundScene& Later, Step Do, bool Wait = true) {
    Do(Now);
    Do(Later.T);
    Later.TakeWhatWaits();
    if (Wait) Later.T.FinishComputing();
}

void ExpectSameStory(TorvaneScene& Now, BackgroundScene& Later, const std::string& Name) {
    Tell(Now, Later, [](TorvaneScene& T) { T.ReadAndDraw(true); });
    ExpectSameScene(Now, Later.T, Name + ": Draw It");
    if (!Now.S.SceneReady) return;
    Tell(Now, Later, [](TorvaneScene& T) {
        T.OnMouseDownInParameters(MouseButton::Left, LeftHeld(), 120, 80);
    }, false);
    for (int X = 121; X < 140; X += 3)
        Tell(Now, Later, [X](TorvaneScene& T) { T.OnMouseMoveInParameters(LeftHeld(), X, 80); },
             false);
    Later.T.FinishComputing();
    ExpectSameScene(Now, Later.T, Name + ": parameter drag");
    Tell(Now, Later, [](TorvaneScene& T) { T.OnMouseMoveInDomain(WithCtrl(), 150, 150); });
    Tell(Now, Later, [](TorvaneScene& T) { T.OnMouseMoveInDomain(WithCtrl(), 160, 145); }, false);
    Tell(Now, Later, [](TorvaneScene& T) { T.OnMouseUpInDomain(MouseButton::Left, Plain(), 160, 145); });
    ExpectSameScene(Now, Later.T, Name + ": domain moved");
    Tell(Now, Later, [](TorvaneScene& T) { T.OnPreferences(TagStereographicImage); });
    Tell(Now, Later, [](TorvaneScene& T) {
        T.OnMouseDownInImage(MouseButton::Right, RightHeld(), 230, 230);
        T.OnMouseMoveInImage(RightHeld(), 250, 240);
    }, false);
    Tell(Now, Later, [](TorvaneScene& T) { T.OnMouseMoveInImage(RightHeld(), 260, 260); });
    // Zooms of the image sphere, merged into what waits.
    ShiftState Zoom = RightHeld();
    Zoom.Shift = true;
    Tell(Now, Later, [Zoom](TorvaneScene& T) { T.OnMouseMoveInImage(Zoom, 270, 250); }, false);
    Tell(Now, Later, [Zoom](TorvaneScene& T) { T.OnMouseMoveInImage(Zoom, 280, 240); });
    Tell(Now, Later, [](TorvaneScene& T) { T.OnPreferences(TagStereographicDomain); });
    Tell(Now, Later, [](TorvaneScene& T) {
        T.OnMouseDownInDomain(MouseButton::Right, RightHeld(), 140, 140);
        T.OnMouseMoveInDomain(RightHeld(), 150, 130);
    }, false);
    Tell(Now, Later, [](TorvaneScene& T) { T.OnMouseMoveInDomain(RightHeld(), 160, 120); });
    ExpectSameScene(Now, Later.T, Name + ": spheres");
    Tell(Now, Later, [](TorvaneScene& T) { T.OnGeometryMenu(); });
    Tell(Now, Later, [](TorvaneScene& T) { T.OnGeometryMenu(); });
    Tell(Now, Later, [](TorvaneScene& T) { T.OnMouseMoveInDomain(Plain(), 100, 120); });
    ExpectSameScene(Now, Later.T, Name + ": locus off and on, cross");
}

TEST(BackgroundComputing, TheDefaultMapsComeOutAsWhenComputedAtOnce) {
    // Kind 2: the real map with its image shaded by the number of preimages; 3: the complex
    // map as a phase portrait, its drags drawn coarse in both scenes alike.
    for (int Kind : {0, 1, 2, 3}) {
        TorvaneScene Now;
        BackgroundScene Later;
        if (Kind == 2) {
            Now.SetViewPreferences(true, true);
            Later.T.SetViewPreferences(true, true);
        }
        if (Kind == 3) {
            for (TorvaneScene* T : {&Now, &Later.T}) {
                T->SetViewPreferences(true, false, Colouring::Enhanced);
                T->CoarsePortraitBudget = -1;
            }
        }
        if (Kind == 1 || Kind == 3) {
            Now.OnFunctionType(1);
            Later.T.OnFunctionType(1);
            Now.OnGeometryMenu();
            Later.T.OnGeometryMenu();
        }
        for (TorvaneScene* T : {&Now, &Later.T}) {
            T->Text(EditField::pValue) = Kind == 1 || Kind == 3 ? "0.5" : "1";
            T->Text(EditField::qValue) = Kind == 1 || Kind == 3 ? "0.5" : "1";
        }
        const char* Names[] = {"default real", "default complex", "shaded real", "complex portrait"};
        ExpectSameStory(Now, Later, Names[Kind]);
        EXPECT_GT(Later.Ready.load(), 0);
        EXPECT_FALSE(Later.T.Computing());
    }
}

// Partial work of different kinds requested while a computation runs is done as one full
// recomputation of the newest state.
TEST(BackgroundComputing, WorkOfDifferentKindsMergesIntoAFullRedrawOfTheNewestState) {
    TorvaneScene Now;
    BackgroundScene Later;
    Tell(Now, Later, [](TorvaneScene& T) {
        DrawDefault(T);
        T.OnPreferences(TagStereographicImage);
    });
    ShiftState Zoom = RightHeld();
    Zoom.Shift = true;
    Tell(Now, Later, [Zoom](TorvaneScene& T) {
        T.OnMouseDownInImage(MouseButton::Right, RightHeld(), 230, 230);
        T.OnMouseMoveInImage(Zoom, 270, 250);
        T.OnPreferences(TagStereographicDomain);
        T.OnGeometryMenu();
    }, false);
    Now.ComputeAndDrawCurves();
    Later.T.FinishComputing();
    ExpectSameScene(Now, Later.T, "zoom, domain sphere and locus switch at once");
}

TEST(BackgroundComputing, ASampleOfTheHostileMapsComesOutAsWhenComputedAtOnce) {
    const std::vector<HostileMap>& Maps = HostileMaps();
    int Told = 0;
    for (size_t I = 0; I < Maps.size(); I += 23) {
        const HostileMap& M = Maps[I];
        if (M.X.size() + M.Y.size() > 300) continue;  // the long texts cost their time alone
        TorvaneScene Now;
        BackgroundScene Later;
        PutOnScene(Now, M);
        PutOnScene(Later.T, M);
        ExpectSameStory(Now, Later, std::string(M.Category) + ": " + M.X + " | " + M.Y);
        ++Told;
    }
    EXPECT_GE(Told, 10);
}

// The corpus' slowest map: a hundred and fifty nested products of cosines, with its locus.
void PutSlowMap(TorvaneScene& T) {
    std::string W = "p";
    for (int I = 0; I < 150; ++I) W = "cos(z)*(" + W + ")";
    T.Text(EditField::F1Edit) = W;
}

TEST(BackgroundComputing, EscStopsTheDrawingAndTheOldPictureStays) {
    BackgroundScene Later;
    TorvaneScene& T = Later.T;
    T.OnFunctionType(1);
    T.OnGeometryMenu();
    T.ReadAndDraw(true);
    T.FinishComputing();
    ASSERT_TRUE(T.S.SceneReady);
    const QImage Domain = T.DomainSurface, Image = T.ImageSurface;
    const int Nodes = T.S.SingLocus.LastIndex;
    // A drawing of everything leaves the scene's curves and locus behind when it copies the
    // scene; they must still be there, whole, when it is stopped.
    const Curve3 Line = T.S.ImgHLines[10], Grid = T.S.DomVLines[3];
    const Curve33 Locus = T.S.SingLocus;

    PutSlowMap(T);
    T.ReadAndDraw(true);
    ASSERT_TRUE(T.Computing());
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    // Some progress is reported while it runs, and the window goes on taking events.
    T.StopComputing();
    T.FinishComputing();
    EXPECT_FALSE(T.Computing());
    EXPECT_EQ(T.StatusText, ResStrings::DrawingStopped);
    EXPECT_EQ(Differences(T.DomainSurface, Domain), 0);
    EXPECT_EQ(Differences(T.ImageSurface, Image), 0);
    EXPECT_EQ(T.S.SingLocus.LastIndex, Nodes);
    ExpectSameCurve(T.S.ImgHLines[10], Line, "image h", 10);
    ExpectSameCurve(T.S.DomVLines[3], Grid, "domain v", 3);
    for (int32_t K = 0; K <= Nodes; ++K)
        ASSERT_TRUE(SameBits(&T.S.SingLocus.Nodes[static_cast<size_t>(K)].DomPt,
                             &Locus.Nodes[static_cast<size_t>(K)].DomPt, sizeof(Point2)))
            << "node " << K;
    // The stopped map is not ready for gestures; the next Draw It draws again.
    T.OnMouseDownInParameters(MouseButton::Left, LeftHeld(), 50, 50);
    EXPECT_FALSE(T.Computing());
}

TEST(BackgroundComputing, ANewerDrawItOrTheEndOfTheSceneStopsAComputationThatRunsOn) {
    {
        TorvaneScene Now;
        BackgroundScene Later;
        for (TorvaneScene* T : {&Now, &Later.T}) {
            T->OnFunctionType(1);
            T->OnGeometryMenu();
        }
        PutSlowMap(Later.T);
        Later.T.ReadAndDraw(true);
        ASSERT_TRUE(Later.T.Computing());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_GE(Later.T.ComputingFraction(), 0.0);
        // Back to the default map: the slow computation is stopped, nothing of it is shown.
        Later.T.Text(EditField::F1Edit) = Now.Text(EditField::F1Edit);
        Now.ReadAndDraw(true);
        Later.T.ReadAndDraw(true);
        Later.T.FinishComputing();
        ExpectSameScene(Now, Later.T, "after the slow map");
    }
    // A scene closed while it computes stops and ends at once.
    for (int Round = 0; Round < 3; ++Round) {
        BackgroundScene Later;
        Later.T.OnFunctionType(1);
        PutSlowMap(Later.T);
        Later.T.ReadAndDraw(true);
        EXPECT_TRUE(Later.T.Computing());
        std::this_thread::sleep_for(std::chrono::milliseconds(Round * 5));
    }
}

}  // namespace
