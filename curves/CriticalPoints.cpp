// The direct search for the zeros of w': seeds whose Newton step stays near them, Newton's
// method with the roots found divided out and the step scaled by the multiplicity it sees,
// and the order of each root from the winding of w' about it.
#include "curves/CriticalPoints.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "formula/OCComplexFunct.h"
#include "model/MapKinds.h"

namespace {

using Complex = std::complex<double>;

bool Derivatives(const SceneState& S, Complex Z, Complex& W1, Complex& W2) {
    ++S.GradientEvaluations;
    const Complex Inputs[2] = {{S.ComplexParam.X, S.ComplexParam.Y}, Z};
    if (!S.WFunction->EvaluateDerivatives(Inputs, W1, W2)) return false;
    return std::isfinite(W1.real()) && std::isfinite(W1.imag()) && std::isfinite(W2.real()) &&
           std::isfinite(W2.imag());
}

struct Root {
    Complex Z;
    int Order = 1;
};

class Search {
public:
    explicit Search(const SceneState& Scene) : S(Scene) {
        Lo = {S.DomMin.X, S.DomMin.Y};
        Hi = {S.DomMax.X, S.DomMax.Y};
        Diag = std::abs(Hi - Lo);
        Cell = Diag / CriticalSeedsPerSide;
    }

    bool Run(std::vector<SingularPoint>& Out) {
        const double W = Hi.real() - Lo.real(), H = Hi.imag() - Lo.imag();
        for (int I = 0; I < CriticalSeedsPerSide; ++I) {
            if (StopRequested(S)) return false;
            for (int J = 0; J < CriticalSeedsPerSide; ++J) {
                const Complex Seed = Lo + Complex((I + 0.5) * W / CriticalSeedsPerSide,
                                                  (J + 0.5) * H / CriticalSeedsPerSide);
                if (static_cast<int>(Roots.size()) >= CriticalRootsKept) break;
                Complex W1, W2;
                if (!Derivatives(S, Seed, W1, W2)) continue;
                // A zero of w' near the seed shows in Newton's first step; a seed whose step
                // leads far away leaves that zero to a nearer seed.
                const Complex Step = W1 / W2;
                if (!(std::abs(Step) <= 1.5 * Cell)) continue;
                Complex Z;
                if (Newton(Seed, Z) && !Known(Z)) Roots.push_back({Z, 1});
            }
        }
        for (Root& R : Roots) R.Order = OrderOf(R.Z);
        for (const Root& R : Roots) {
            if (R.Order < 1 || !Inside(R.Z)) continue;
            SingularPoint Q;
            Q.Kind = SingularPointKind::Critical;
            Q.Order = R.Order;
            Q.DomPt = {R.Z.real(), R.Z.imag()};
            if (!S.Procedures.MapPoint(S, Q.DomPt, Q.ImgPt)) continue;
            Q.DomPos = DomainPoint3(S, Q.DomPt);
            if (!S.Procedures.ImagePoint3(S, Q.DomPt, Q.ImgPos)) continue;
            Out.push_back(Q);
        }
        return true;
    }

private:
    bool Inside(Complex Z) const {
        const double E = 1e-12 * Diag;
        return Z.real() >= Lo.real() - E && Z.real() <= Hi.real() + E &&
               Z.imag() >= Lo.imag() - E && Z.imag() <= Hi.imag() + E;
    }

    bool Known(Complex Z) const {
        for (const Root& R : Roots)
            if (std::abs(Z - R.Z) <= 1e-9 * Diag) return true;
        return false;
    }

    // Newton's method on w' divided by the roots found: the step is 1 / (w''/w' - sum over
    // the roots of 1/(z - r)), times the multiplicity once the steps shrink at the steady
    // rate (m - 1)/m that a zero of multiplicity m gives. A run that leaves the seed's
    // neighbourhood is given up: a nearer seed finds what lies there.
    bool Newton(Complex Seed, Complex& Z) {
        Z = Seed;
        int Multiplicity = 1;
        bool Locked = false;  // a scaled step overshot once: plain steps from then on
        double Last = INFINITY;
        int SteadyRuns = 0;
        Complex Before = Seed, PlainBefore;
        for (int K = 0; K < CriticalIterations; ++K) {
            Complex W1, W2;
            if (!Derivatives(S, Z, W1, W2)) return false;
            if (W1 == Complex(0, 0)) return true;
            Complex Inverse = W2 / W1;
            for (const Root& R : Roots) Inverse -= 1.0 / (Z - R.Z);
            const Complex Delta = 1.0 / Inverse;
            const double Size = std::abs(Delta);
            if (!std::isfinite(Size)) return false;
            if (Multiplicity > 1 && Size > Last) {
                // Two zeros close together look like one multiple zero from afar: the
                // scaled step jumped between them. Plain Newton from the point before.
                Z = Before - PlainBefore;
                Multiplicity = 1;
                Locked = true;
                Last = INFINITY;
                continue;
            }
            if (Multiplicity == 1 && !Locked && Last < INFINITY) {
                const double Rate = Size / Last;
                if (Rate > 0.4 && Rate < 0.95) {
                    if (++SteadyRuns >= 2)
                        Multiplicity = std::min(8, static_cast<int>(std::lround(1 / (1 - Rate))));
                } else {
                    SteadyRuns = 0;
                }
            }
            Before = Z;
            PlainBefore = Delta;
            Z -= static_cast<double>(Multiplicity) * Delta;
            if (std::abs(Z - Seed) > 3 * Cell) return false;
            const double Moved = Multiplicity * Size;
            if (Moved <= 1e-16 * (std::abs(Z) + Diag)) return true;
            if (Moved <= 1e-9 * Diag && Size >= Last) return true;  // rounding noise
            Last = Size;
        }
        return Last <= 1e-9 * Diag;
    }

    // The number of zeros of w' (with multiplicity) inside a small circle about Z, from the
    // winding of w' along it; the circle keeps clear of the other roots found.
    int OrderOf(Complex Z) const {
        double Radius = 1e-3 * Diag;
        for (const Root& R : Roots)
            if (R.Z != Z) Radius = std::min(Radius, 0.3 * std::abs(R.Z - Z));
        if (!(Radius > 1e-12 * Diag)) return 1;
        double Turn = 0;
        Complex Previous;
        for (int K = 0; K <= CriticalOrderSamples; ++K) {
            const double A = 2 * M_PI * K / CriticalOrderSamples;
            Complex W1, W2;
            if (!Derivatives(S, Z + std::polar(Radius, A), W1, W2) || W1 == Complex(0, 0))
                return 0;
            if (K > 0) Turn += std::arg(W1 / Previous);
            Previous = W1;
        }
        return static_cast<int>(std::lround(Turn / (2 * M_PI)));
    }

    const SceneState& S;
    Complex Lo, Hi;
    double Diag = 1, Cell = 1;
    std::vector<Root> Roots;
};

}  // namespace

bool HasDirectCriticalPoints(const SceneState& S) {
    return S.MapType == 1 && S.WFunction && S.WFunction->IsCompiled() &&
           S.WFunction->IsHolomorphic() && S.WFunction->HasDerivatives();
}

bool FindCriticalPoints(const SceneState& S, std::vector<SingularPoint>& Out) {
    if (!HasDirectCriticalPoints(S)) return true;
    Search Find(S);
    return Find.Run(Out);
}
