// Jacobians, the locus tracing and its node store.
#include "curves/SingularLocus.h"

#include <cmath>
#include <complex>
#include <iterator>

#include "formula/OCComplexFunct.h"
#include "formula/OCFunctDDDoubleSafe.h"
#include "view/SceneViews.h"

namespace {

// f_u, f_v, f_uu, f_vv and f_uv of a real formula at P, from its second-order program.
bool SecondPartials(TOCFunctDDDoubleSafe& F, Point2 P, double D[5]) {
    SecondDerivativeResult U, V, UV;
    const double AlongU[] = {P.X, P.Y, 1, 0, 0, 0};
    const double AlongV[] = {P.X, P.Y, 0, 1, 0, 0};
    const double AlongBoth[] = {P.X, P.Y, 1, 1, 0, 0};
    F.EvaluateWithSecondDerivative(AlongU, U);
    F.EvaluateWithSecondDerivative(AlongV, V);
    F.EvaluateWithSecondDerivative(AlongBoth, UV);
    D[0] = U.Derivative;
    D[1] = V.Derivative;
    D[2] = U.SecondDerivative;
    D[3] = V.SecondDerivative;
    D[4] = (UV.SecondDerivative - U.SecondDerivative - V.SecondDerivative) * 0.5;
    for (int I = 0; I < 5; ++I)
        if (!std::isfinite(D[I])) return false;
    return true;
}

constexpr double H = 0.0002;

using Complex = std::complex<double>;

bool MapAt(const SceneState& S, Point2 P, Complex& W) {
    Point2 Q;
    if (!S.Procedures.MapPoint(S, P, Q)) return false;
    W = {Q.X, Q.Y};
    return true;
}

// The five-point rule for the first derivative, samples at -2h, -h, +h, +2h.
template <class T>
T FivePoint(const T& M2, const T& M1, const T& P1, const T& P2) {
    return (8.0 * (P1 - M1) + M2 - P2) / (12 * H);
}

// J of a general complex map from the five-point rule along u and along v; Sample(a, b)
// gives w at P + (a h, b h).
template <class Sampler>
bool GeneralJacobianAt(int A, int B, Sampler& Sample, double& J) {
    Complex W[8];
    const int Steps[4] = {-2, -1, 1, 2};
    for (int K = 0; K < 4; ++K)
        if (!Sample(A + Steps[K], B, W[K]) || !Sample(A, B + Steps[K], W[4 + K])) return false;
    Complex Du = FivePoint(W[0], W[1], W[2], W[3]), Dv = FivePoint(W[4], W[5], W[6], W[7]);
    J = Du.real() * Dv.imag() - Du.imag() * Dv.real();
    return std::isfinite(J);
}

// The map on the lattice P + (a h, b h), |a|, |b| <= 4, each point evaluated at most once.
struct LatticeSampler {
    LatticeSampler(const SceneState& Scene, Point2 Centre) : S(Scene), P(Centre) {}
    const SceneState& S;
    Point2 P;
    Complex W[9][9];
    bool Known[9][9] = {};
    bool operator()(int A, int B, Complex& Result) {
        Complex& Slot = W[A + 4][B + 4];
        if (!Known[A + 4][B + 4]) {
            if (!MapAt(S, {P.X + A * H, P.Y + B * H}, Slot)) return false;
            Known[A + 4][B + 4] = true;
        }
        Result = Slot;
        return true;
    }
};

}  // namespace

bool RealJacobian(const SceneState& S, Point2 P, double& J) {
    ++S.JacobianEvaluations;
    TwoDerivativeResult X, Y;
    const double AlongUAndV[] = {P.X, P.Y, 1, 0, 0, 1};
    S.XFunction->EvaluateWithTwoDerivatives(AlongUAndV, X);
    S.YFunction->EvaluateWithTwoDerivatives(AlongUAndV, Y);
    J = X.Derivative * Y.OtherDerivative - X.OtherDerivative * Y.Derivative;
    return std::isfinite(J);
}

bool RealJacobianAndGradient(const SceneState& S, Point2 P, double& J, Point2& G) {
    ++S.GradientEvaluations;
    double X[5], Y[5];  // u, v, uu, vv, uv
    if (!SecondPartials(*S.XFunction, P, X) || !SecondPartials(*S.YFunction, P, Y)) return false;
    J = X[0] * Y[1] - X[1] * Y[0];
    G.X = X[2] * Y[1] + X[0] * Y[4] - X[4] * Y[0] - X[1] * Y[2];
    G.Y = X[4] * Y[1] + X[0] * Y[3] - X[3] * Y[0] - X[1] * Y[4];
    return std::isfinite(J) && std::isfinite(G.X) && std::isfinite(G.Y);
}

bool RealJacobianGradient(const SceneState& S, Point2 P, Point2& G) {
    double J;
    return RealJacobianAndGradient(S, P, J, G);
}

bool HolomorphicStencil::Sides(const SceneState& S, Point2 P) {
    if (Holds(P)) return true;
    At = P;
    HaveSides = HaveCentre = false;
    const int Steps[4] = {-2, -1, 1, 2};
    for (int K = 0; K < 4; ++K)
        if (!MapAt(S, {P.X + Steps[K] * H, P.Y}, W[K < 2 ? K : K + 1])) return false;
    HaveSides = true;
    return true;
}

bool HolomorphicStencil::Jacobian(const SceneState& S, Point2 P, double& J) {
    if (!Sides(S, P)) return false;
    J = std::norm(FivePoint(W[0], W[1], W[3], W[4]));
    return std::isfinite(J);
}

bool HolomorphicStencil::JacobianAndGradient(const SceneState& S, Point2 P, double& J,
                                             Point2& G) {
    if (!Sides(S, P)) return false;
    if (!HaveCentre) {
        if (!MapAt(S, P, W[2])) return false;
        HaveCentre = true;
    }
    // J = |w'|^2, and along v the derivative of w' is i w''.
    Complex D1 = FivePoint(W[0], W[1], W[3], W[4]);
    Complex D2 = (16.0 * (W[1] + W[3]) - (W[0] + W[4]) - 30.0 * W[2]) / (12 * H * H);
    Complex C = std::conj(D1) * D2;
    J = std::norm(D1);
    G = {2 * C.real(), -2 * C.imag()};
    return std::isfinite(J) && std::isfinite(G.X) && std::isfinite(G.Y);
}

bool ComplexJacobian(const SceneState& S, Point2 P, double& J) {
    ++S.JacobianEvaluations;
    if (S.WFunction->IsHolomorphic()) {
        HolomorphicStencil Stencil;
        return Stencil.Jacobian(S, P, J);
    }
    LatticeSampler Sample(S, P);
    return GeneralJacobianAt(0, 0, Sample, J);
}

bool ComplexJacobianAndGradient(const SceneState& S, Point2 P, double& J, Point2& G) {
    ++S.GradientEvaluations;
    if (S.WFunction->IsHolomorphic()) {
        HolomorphicStencil Stencil;
        return Stencil.JacobianAndGradient(S, P, J, G);
    }
    // The five-point rule on J itself; the J samples share their map values.
    LatticeSampler Sample(S, P);
    double Ju[4], Jv[4];
    const int Steps[4] = {-2, -1, 1, 2};
    for (int K = 0; K < 4; ++K)
        if (!GeneralJacobianAt(Steps[K], 0, Sample, Ju[K]) ||
            !GeneralJacobianAt(0, Steps[K], Sample, Jv[K]))
            return false;
    if (!GeneralJacobianAt(0, 0, Sample, J)) return false;
    G = {FivePoint(Ju[0], Ju[1], Ju[2], Ju[3]), FivePoint(Jv[0], Jv[1], Jv[2], Jv[3])};
    return std::isfinite(G.X) && std::isfinite(G.Y);
}

bool ComplexJacobianGradient(const SceneState& S, Point2 P, Point2& G) {
    double J;
    return ComplexJacobianAndGradient(S, P, J, G);
}

SingularLocusClient::SingularLocusClient(SceneState& Scene)
    : S(Scene), Holomorphic(Scene.MapType == 1 && Scene.WFunction->IsHolomorphic()) {}

bool SingularLocusClient::Value(Point2 P, double& F) {
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

bool SingularLocusClient::AcceptStep(Point2 Old, Point2 New) { return CheckJump(S, Old, New); }

namespace {

// A node whose image cannot be computed is kept where no panel draws it.
Point3 ImagePosition(const SceneState& S, Point2 P) {
    Point3 G;
    if (!S.Procedures.ImagePoint3(S, P, G)) G = {NoPoint, 0, 0};
    return G;
}

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

void ComputeSingularLocus(SceneState& S, TImplicitCurveLine& Tracer) {
    S.DomJump = S.StereoDomain ? S.DomSphere.Radius / 40 : S.DomDiag / 100;
    S.ImgJump = S.StereoImage ? S.ImgSphere.Radius / 40 : S.ImgDiag / 100;
    S.SingLocus.LastIndex = -1;
    if (!S.ShowSingLocus) return;
    SingularLocusClient Client(S);
    Tracer.Run(Client, S.DomMin, S.DomMax, 50, 500, S.DomPixelSize);
}

void UpdateSingularLocus(SceneState& S, int Which) {
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
