// The singular locus of the map, where its Jacobian determinant vanishes: the Jacobian of
// either map kind, the tracing with the implicit curve tracer, and the node store that keeps
// each node's domain point, so that a change of view only re-projects the nodes.
#pragma once

#include <complex>

#include "curves/FImplicitCurveLine.h"
#include "view/SceneState.h"

// Jacobians for BindViewProcedures: exact from the derivative programs for real maps, by the
// five-point rule (h = 0.0002) for complex maps. A holomorphic w needs only its derivative
// along u (J = |w'|^2, and the gradient follows from w'' on the same five samples); other
// complex maps take the rule along both axes, and the rule again on J for its gradient.
bool RealJacobian(const SceneState& S, Point2 P, double& J);
bool RealJacobianGradient(const SceneState& S, Point2 P, Point2& G);
bool RealJacobianAndGradient(const SceneState& S, Point2 P, double& J, Point2& G);
bool ComplexJacobian(const SceneState& S, Point2 P, double& J);
bool ComplexJacobianGradient(const SceneState& S, Point2 P, Point2& G);
bool ComplexJacobianAndGradient(const SceneState& S, Point2 P, double& J, Point2& G);

// The samples of w at P - 2h .. P + 2h along u, kept so that J and then its gradient at the
// same point cost five map evaluations together.
class HolomorphicStencil {
public:
    bool Jacobian(const SceneState& S, Point2 P, double& J);
    bool JacobianAndGradient(const SceneState& S, Point2 P, double& J, Point2& G);
    bool Holds(Point2 P) const { return HaveSides && P.X == At.X && P.Y == At.Y; }

private:
    bool Sides(const SceneState& S, Point2 P);
    Point2 At{0, 0};
    std::complex<double> W[5];
    bool HaveSides = false, HaveCentre = false;
};

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

// Sets DomJump and ImgJump, empties SingLocus and, when ShowSingLocus, traces it again.
void ComputeSingularLocus(SceneState& S, TImplicitCurveLine& Tracer);

// The tracer's step test: the step must not jump in either panel.
bool CheckJump(const SceneState& S, Point2 Old, Point2 New);
void StoreSingLocusNode(SceneState& S, Point2 P, int32_t Flag);

// Which = 1 re-projects every node's domain position, any other value its image position.
void UpdateSingularLocus(SceneState& S, int Which);
