// The locus tracing and its node store.
#include "curves/SingularLocus.h"

#include <cmath>
#include <complex>
#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

#include "common/TaskPool.h"
#include "formula/x87/FloatingPointState.h"
#include "model/SceneCopy.h"
#include "curves/CriticalPoints.h"
#include "curves/LocusPoints.h"

#include "formula/OCComplexFunct.h"
#include "model/MapKinds.h"

SingularLocusClient::SingularLocusClient(SceneState& Scene)
    : S(Scene), Holomorphic(Scene.MapType == 1 && Scene.WFunction->IsHolomorphic()) {}

// A stop request fails every evaluation, which ends the tracing at once.
bool SingularLocusClient::Value(Point2 P, double& F) {
    if (StopRequested(S)) return false;
    if (HaveJ && P.X == JAt.X && P.Y == JAt.Y) {
        F = J;
        return true;
    }
    bool Done;
    if (Holomorphic) {
        ++S.JacobianEvaluations;
        Done = StencilFor(P).Jacobian(S, P, F);
    } else {
        Done = S.Procedures.Jacobian(S, P, F);
    }
    Remember(P, Done, F);
    return Done;
}

bool SingularLocusClient::Gradient(Point2 P, Point2& G) {
    if (StopRequested(S)) return false;
    double F = 0;
    bool Done;
    if (Holomorphic) {
        ++S.GradientEvaluations;
        Done = StencilFor(P).JacobianAndGradient(S, P, F, G);
    } else if (S.MapType == 1) {
        Done = ComplexJacobianAndGradient(S, P, F, G);
    } else {
        Done = RealJacobianAndGradient(S, P, F, G);
    }
    Remember(P, Done, F);
    return Done;
}

HolomorphicStencil& SingularLocusClient::StencilFor(Point2 P) {
    for (HolomorphicStencil& H : Stencils)
        if (H.Holds(P)) return H;
    HolomorphicStencil& Free = Stencils[NextStencil];
    NextStencil = (NextStencil + 1) % static_cast<int>(std::size(Stencils));
    return Free;
}

void SingularLocusClient::Remember(Point2 P, bool Done, double F) {
    HaveJ = Done;
    JAt = P;
    J = F;
}

void SingularLocusClient::StoreNode(Point2 P, int32_t Flag) { StoreSingLocusNode(S, P, Flag); }

bool SingularLocusClient::Recalls(Point2 P) const {
    return HaveJ && P.X == JAt.X && P.Y == JAt.Y;
}

void SingularLocusClient::Assume(Point2 P, bool Done, double F) { Remember(P, Done, F); }

void SingularLocusClient::Memory(Point2& P, bool& Done, double& F) const {
    P = JAt;
    Done = HaveJ;
    F = J;
}

void SingularLocusClient::CellSearched(int Done, int Total) {
    if (!S.Control) return;
    S.Control->CellsTotal = Total;
    S.Control->CellsDone = Done;
}

bool SingularLocusClient::AcceptStep(Point2 Old, Point2 New) { return CheckJump(S, Old, New); }

namespace {

// A node whose image cannot be computed is kept where no panel draws it.
Point3 ImagePosition(const SceneState& S, Point2 P) {
    Point3 G;
    if (!S.Procedures.ImagePoint3(S, P, G)) G = {NoPoint, 0, 0};
    return G;
}

}  // namespace

namespace {

// The helpers of a locus run. The seed cells are sampled in as many shares as there are
// cores: this thread samples the first share with a client of its own (its memory must not
// reach the search's client), each worker a share on its own copy of the scene. The first
// worker's copy then serves the corrections ahead of the search.
class LocusHelpers : public TracerHelpers {
public:
    LocusHelpers(SceneState& Scene, const std::function<void()>& Before,
                 const std::function<void()>& After)
        : S(Scene), Before(Before), After(After) {}

    void Sample(const SeedGrid& Grid, SeedSamples& Out) override {
        const int Cells = Grid.Count * Grid.Count;
        const int Shares = std::min(Pool.Workers() + 1, 8);
        for (int K = 1; K < Shares; ++K) {
            Copies.push_back(std::make_unique<SceneCopy>(S));
            SceneState& Own = Copies.back()->S;
            Own.JacobianEvaluations = Own.GradientEvaluations = Own.MapEvaluations = 0;
            const int First = K * Cells / Shares, End = (K + 1) * Cells / Shares;
            Pool.Run(Sampling, [&Own, &Grid, &Out, First, End] {
                SetComputingFloatState();
                SingularLocusClient Sampler(Own);
                SampleSeeds(Sampler, Grid, First, End, Out);
            });
        }
        {
            SingularLocusClient Sampler(S);
            SampleSeeds(Sampler, Grid, 0, Cells / Shares, Out);
        }
        Pool.Wait(Sampling);
    }

    bool StartAhead(std::function<void(ImplicitCurveClient&)> Work) override {
        // The caller's work around the corrections: what it queues first runs on a worker
        // while the search begins, what it queues after them runs once they are done, or on
        // the search's thread, which takes queued work while it waits for them at the end.
        if (Before) Before();
        const bool Started = !Copies.empty();
        if (Started) {
            SceneState& Own = Copies.front()->S;
            Pool.Run(Ahead, [&Own, Work = std::move(Work)] {
                SetComputingFloatState();
                SingularLocusClient Client(Own);
                Work(Client);
            });
        }
        if (After) After();
        return Started;
    }

    void WaitAhead() override { Pool.Wait(Ahead); }

    // Once the run is over: the evaluations of every copy count as the scene's.
    void AddCounts() {
        for (const auto& C : Copies) {
            S.JacobianEvaluations += C->S.JacobianEvaluations;
            S.GradientEvaluations += C->S.GradientEvaluations;
            S.MapEvaluations += C->S.MapEvaluations;
        }
    }

private:
    SceneState& S;
    const std::function<void()>&Before, &After;
    TaskPool& Pool = TaskPool::Shared();
    std::vector<std::unique_ptr<SceneCopy>> Copies;
    // Declared after the copies, so that on any error their tasks end before they go.
    TaskGroup Sampling, Ahead;
};

}  // namespace

bool CheckJump(const SceneState& S, Point2 Old, Point2 New) {
    if (!(Distance3(DomainPoint3(S, Old), DomainPoint3(S, New)) < S.DomJump)) return false;
    Point3 A, B;
    if (!S.Procedures.ImagePoint3(S, Old, A) || !S.Procedures.ImagePoint3(S, New, B)) return false;
    return Distance3(A, B) < S.ImgJump;
}

void StoreSingLocusNode(SceneState& S, Point2 P, int32_t Flag) {
    Curve33& L = S.SingLocus;
    int32_t K = ++L.LastIndex;
    if (static_cast<int32_t>(L.Nodes.size()) <= K) L.Nodes.resize(static_cast<size_t>(K) + 100);
    L.Nodes[static_cast<size_t>(K)] = {Flag, P, DomainPoint3(S, P), ImagePosition(S, P)};
}

void ComputeSingularLocus(SceneState& S, TImplicitCurveLine& Tracer,
                          const std::function<void()>& Before,
                          const std::function<void()>& After) {
    S.DomJump = S.StereoDomain ? S.DomSphere.Radius / 40 : S.DomDiag / 100;
    S.ImgJump = S.StereoImage ? S.ImgSphere.Radius / 40 : S.ImgDiag / 100;
    S.SingLocus.LastIndex = -1;
    S.SingPoints.clear();
    if (!S.ShowSingLocus) return;
    // A holomorphic map's J = |w'|^2 never changes sign: its singular set is the zeros of w',
    // found directly.
    if (HasDirectCriticalPoints(S)) {
        FindCriticalPoints(S, S.SingPoints);
        return;
    }
    SingularLocusClient Client(S);
    LocusHelpers Helpers(S, Before, After);
    Tracer.Run(Client, S.DomMin, S.DomMax, 50, 500, S.DomPixelSize, &Helpers);
    Helpers.AddCounts();
    if (S.MapType == 0 && S.ShowCusps) FindLocusPoints(S, S.SingPoints);
}

void UpdateSingularLocus(SceneState& S, int Which) {
    UpdateSingularPoints(S, Which);
    Curve33& L = S.SingLocus;
    if (L.LastIndex <= 0) return;
    for (int32_t I = 0; I <= L.LastIndex; ++I) {
        LocusNode& N = L.Nodes[static_cast<size_t>(I)];
        if (Which == 1)
            N.DomPos = DomainPoint3(S, N.DomPt);
        else
            N.ImgPos = ImagePosition(S, N.DomPt);
    }
}
