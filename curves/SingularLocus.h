// The singular locus of the map, where its Jacobian determinant vanishes: the tracing with the
// implicit curve tracer, and the node store that keeps each node's domain point, so that a
// change of view only re-projects the nodes.
#pragma once

#include <functional>

#include "curves/FImplicitCurveLine.h"
#include "model/MapDerivatives.h"
#include "model/SceneState.h"

// The tracer's view of the scene. The tracer often asks for J where it has just asked for
// the gradient, and for the gradient where it sampled J a few calls before (the best of a
// cell's seed samples, the last accepted node); those repeats are answered from what the
// earlier evaluations left.
class SingularLocusClient : public ImplicitCurveClient {
public:
    explicit SingularLocusClient(SceneState& Scene);
    bool Value(Point2 P, double& F) override;
    bool Gradient(Point2 P, Point2& G) override;
    void StoreNode(Point2 P, int32_t Flag) override;
    bool AcceptStep(Point2 Old, Point2 New) override;
    void CellSearched(int Done, int Total) override;
    bool Recalls(Point2 P) const override;
    void Assume(Point2 P, bool Done, double F) override;
    void Memory(Point2& P, bool& Done, double& F) const override;

private:
    void Remember(Point2 P, bool Done, double F);
    HolomorphicStencil& StencilFor(Point2 P);
    SceneState& S;
    bool Holomorphic;
    // The stencils of the latest points, reused round-robin; nine covers a cell's seed samples.
    HolomorphicStencil Stencils[12];
    int NextStencil = 0;
    bool HaveJ = false;
    Point2 JAt{0, 0};
    double J = 0;
};

// Sets DomJump and ImgJump, empties SingLocus and, when ShowSingLocus, traces it again. The
// seed samples are computed on every core first (each part on its own copy of the scene),
// and a worker corrects seeds ahead of the search while it traces; the nodes are those of a
// search that computes everything itself when it needs it.
// Before and After, when given, are called once the seed samples are in: Before just before
// the corrections ahead are handed to the pool, After just after, so that work they hand to
// the pool runs before or after those corrections (work queued after them may also run on
// this thread, which takes queued work while it waits for them at the end of the search).
void ComputeSingularLocus(SceneState& S, TImplicitCurveLine& Tracer,
                          const std::function<void()>& Before = {},
                          const std::function<void()>& After = {});

// The tracer's step test: the step must not jump in either panel.
bool CheckJump(const SceneState& S, Point2 Old, Point2 New);
void StoreSingLocusNode(SceneState& S, Point2 P, int32_t Flag);

// Which = 1 re-projects every node's domain position, any other value its image position.
void UpdateSingularLocus(SceneState& S, int Which);
