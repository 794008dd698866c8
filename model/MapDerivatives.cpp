// The Jacobian of either map kind with its gradient, and the tangents of the image point.
#include "model/MapDerivatives.h"

#include <cmath>
#include <complex>

#include "formula/OCComplexFunct.h"
#include "formula/OCFunctDDDoubleSafe.h"

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

bool RealSecondPartials(const SceneState& S, Point2 P, double X[5], double Y[5]) {
    return SecondPartials(*S.XFunction, P, X) && SecondPartials(*S.YFunction, P, Y);
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

bool ImagePoint3Derivs(const SceneState& S, Point2 P, Point3& G, Point3& Gu, Point3& Gv) {
    constexpr double H = 1e-6;
    Point3 UPlus, UMinus, VPlus, VMinus;
    auto Image = S.Procedures.ImagePoint3;
    if (!Image(S, P, G) || !Image(S, {P.X + H, P.Y}, UPlus) ||
        !Image(S, {P.X - H, P.Y}, UMinus) || !Image(S, {P.X, P.Y + H}, VPlus) ||
        !Image(S, {P.X, P.Y - H}, VMinus))
        return false;
    Gu = {(UPlus.X - UMinus.X) * 500000, (UPlus.Y - UMinus.Y) * 500000,
          (UPlus.Z - UMinus.Z) * 500000};
    Gv = {(VPlus.X - VMinus.X) * 500000, (VPlus.Y - VMinus.Y) * 500000,
          (VPlus.Z - VMinus.Z) * 500000};
    return true;
}
