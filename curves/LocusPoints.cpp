// Cusps and singular points of the traced locus: a scan of the nodes for sign changes of the
// cusp condition and for small gradients, then Newton's method from each candidate.
#include "curves/LocusPoints.h"

#include <algorithm>
#include <cmath>

#include "model/MapDerivatives.h"
#include "model/MapKinds.h"

namespace {

// What the derivative of the map says at a point: J, its gradient, and the image of the
// locus tangent (-J_v, J_u) under the derivative, which vanishes exactly at a cusp.
struct FoldData {
    double J = 0;
    Point2 Grad;
    Point2 TangentImage;  // Df (-J_v, J_u), written as (K1, K2) with the opposite sign
    Point2 Column;        // the longer column of Df: it spans the image of Df on the locus
    bool Valid = false;
};

FoldData Fold(const SceneState& S, Point2 P) {
    FoldData D;
    double X[5], Y[5];
    if (!RealSecondPartials(S, P, X, Y)) return D;
    D.J = X[0] * Y[1] - X[1] * Y[0];
    D.Grad = {X[2] * Y[1] + X[0] * Y[4] - X[4] * Y[0] - X[1] * Y[2],
              X[4] * Y[1] + X[0] * Y[3] - X[3] * Y[0] - X[1] * Y[4]};
    D.TangentImage = {D.Grad.Y * X[0] - D.Grad.X * X[1], D.Grad.Y * Y[0] - D.Grad.X * Y[1]};
    const double U = std::hypot(X[0], Y[0]), V = std::hypot(X[1], Y[1]);
    D.Column = U >= V ? Point2{X[0], Y[0]} : Point2{X[1], Y[1]};
    const double N = std::max(U, V);
    if (N > 0) D.Column = {D.Column.X / N, D.Column.Y / N};
    D.Valid = std::isfinite(D.J) && std::isfinite(D.Grad.X) && std::isfinite(D.Grad.Y) &&
              std::isfinite(D.TangentImage.X) && std::isfinite(D.TangentImage.Y) && N > 0;
    return D;
}

double Dot(Point2 A, Point2 B) { return A.X * B.X + A.Y * B.Y; }
double Length(Point2 A) { return std::hypot(A.X, A.Y); }

// Solves [A B; C D] X = R; false when the matrix is (nearly) singular.
bool Solve2(double A, double B, double C, double D, Point2 R, Point2& X) {
    const double Det = A * D - B * C;
    const double Scale = std::max({std::fabs(A), std::fabs(B), std::fabs(C), std::fabs(D)});
    if (!(std::fabs(Det) > 1e-300) || !(std::fabs(Det) > 1e-14 * Scale * Scale)) return false;
    X = {(R.X * D - B * R.Y) / Det, (A * R.Y - C * R.X) / Det};
    return std::isfinite(X.X) && std::isfinite(X.Y);
}

class Search {
public:
    Search(const SceneState& Scene, std::vector<SingularPoint>& Found) : S(Scene), Out(Found) {
        Diag = std::hypot(S.DomMax.X - S.DomMin.X, S.DomMax.Y - S.DomMin.Y);
        Near = 1e-6 * Diag;
    }

    bool Run() {
        const Curve33& L = S.SingLocus;
        const int Count = L.LastIndex + 1;
        if (Count < 2) return true;
        Data.resize(static_cast<size_t>(Count));
        for (int I = 0; I < Count; ++I) {
            if ((I & 63) == 0 && StopRequested(S)) return false;
            Data[static_cast<size_t>(I)] = Fold(S, Node(I));
        }
        GradientScale();
        // Singular points first: a cusp that refines onto one of them is that point.
        int Begin = 0;
        for (int I = 1; I <= Count; ++I)
            if (I == Count || L.Nodes[static_cast<size_t>(I)].Flag == 1) {
                if (!SingularCandidates(Begin, I)) return false;
                Begin = I;
            }
        Begin = 0;
        for (int I = 1; I <= Count; ++I)
            if (I == Count || L.Nodes[static_cast<size_t>(I)].Flag == 1) {
                if (!CuspCandidates(Begin, I)) return false;
                Begin = I;
            }
        return true;
    }

private:
    Point2 Node(int I) const { return S.SingLocus.Nodes[static_cast<size_t>(I)].DomPt; }

    // The typical length of the gradient on the locus: a singular point is where it is small
    // compared with this.
    void GradientScale() {
        std::vector<double> G;
        G.reserve(Data.size());
        for (const FoldData& D : Data)
            if (D.Valid) G.push_back(Length(D.Grad));
        if (G.empty()) return;
        std::nth_element(G.begin(), G.begin() + static_cast<long>(G.size() / 2), G.end());
        Typical = G[G.size() / 2];
    }

    bool Inside(Point2 P) const {
        const double E = 1e-12 * Diag;
        return P.X >= S.DomMin.X - E && P.X <= S.DomMax.X + E && P.Y >= S.DomMin.Y - E &&
               P.Y <= S.DomMax.Y + E;
    }

    bool Known(Point2 P, SingularPointKind Kind) const {
        for (const SingularPoint& Q : Out)
            if (Q.Kind == Kind && std::hypot(Q.DomPt.X - P.X, Q.DomPt.Y - P.Y) < Near)
                return true;
        return false;
    }

    void Add(Point2 P, SingularPointKind Kind) {
        if (Known(P, Kind)) return;
        SingularPoint Q;
        Q.Kind = Kind;
        Q.DomPt = P;
        if (!S.Procedures.MapPoint(S, P, Q.ImgPt)) return;
        Q.DomPos = DomainPoint3(S, P);
        if (!S.Procedures.ImagePoint3(S, P, Q.ImgPos)) return;
        Out.push_back(Q);
    }

    bool Budget() { return ++Refinements <= LocusPointCandidates; }

    // Piece [Begin, End): the nodes where |grad J| has a local minimum well below its typical
    // size, and the piece's ends (a branch stops where it meets one traced already, which is
    // where branches cross).
    bool SingularCandidates(int Begin, int End) {
        for (int I = Begin; I < End; ++I) {
            const FoldData& D = Data[static_cast<size_t>(I)];
            if (!D.Valid) continue;
            const double G = Length(D.Grad);
            const bool Minimum =
                (I == Begin || G <= Length(Data[static_cast<size_t>(I - 1)].Grad)) &&
                (I + 1 == End || G <= Length(Data[static_cast<size_t>(I + 1)].Grad));
            const bool End1 = I == Begin || I + 1 == End;
            if (!(G < 0.2 * Typical && (Minimum || End1))) continue;
            if (StopRequested(S)) return false;
            if (!Budget()) return true;
            Point2 P;
            if (RefineSingular(Node(I), P)) Add(P, SingularPointKind::LocusSingular);
        }
        return true;
    }

    // Newton's method on a pair of conditions G(P) = 0 with P kept within Reach of P0. Step
    // gets the fold data at P and at P +- H along u and v, and gives the Newton step (false
    // where the system is singular).
    template <class StepOf>
    bool Newton(Point2 P0, double Reach, StepOf Step, Point2& P) {
        P = P0;
        const double H = 1e-6 * Diag;
        double Last = INFINITY;
        for (int K = 0; K < LocusPointIterations; ++K) {
            const FoldData D = Fold(S, P), U1 = Fold(S, {P.X + H, P.Y}),
                           U0 = Fold(S, {P.X - H, P.Y}), V1 = Fold(S, {P.X, P.Y + H}),
                           V0 = Fold(S, {P.X, P.Y - H});
            if (!D.Valid || !U1.Valid || !U0.Valid || !V1.Valid || !V0.Valid) return false;
            Point2 Delta;
            if (!Step(D, U0, U1, V0, V1, 2 * H, Delta)) return false;
            P = {P.X - Delta.X, P.Y - Delta.Y};
            const double Size = Length(Delta);
            if (std::hypot(P.X - P0.X, P.Y - P0.Y) > Reach) return false;
            if (Size <= 1e-15 * Diag || (Size <= 1e-10 * Diag && Size >= Last)) break;
            Last = Size;
            if (K + 1 == LocusPointIterations && Size > 1e-9 * Diag) return false;
        }
        return Inside(P);
    }

    // grad J = 0, its matrix by central differences of the exact gradient; the point is kept
    // when J vanishes there too.
    bool RefineSingular(Point2 P0, Point2& P) {
        auto Step = [](const FoldData& D, const FoldData& U0, const FoldData& U1,
                       const FoldData& V0, const FoldData& V1, double Twice, Point2& Delta) {
            return Solve2((U1.Grad.X - U0.Grad.X) / Twice, (V1.Grad.X - V0.Grad.X) / Twice,
                          (U1.Grad.Y - U0.Grad.Y) / Twice, (V1.Grad.Y - V0.Grad.Y) / Twice,
                          D.Grad, Delta);
        };
        if (!Newton(P0, 0.05 * Diag, Step, P)) return false;
        const FoldData D = Fold(S, P);
        return D.Valid && std::fabs(D.J) <= 1e-9 * Typical * Diag;
    }

    // (J, cusp condition along C) = 0: the first row is the exact gradient, the second by
    // central differences of the exact condition.
    bool RefineCusp(Point2 P0, Point2 C, double Reach, Point2& P) {
        auto Step = [C](const FoldData& D, const FoldData& U0, const FoldData& U1,
                        const FoldData& V0, const FoldData& V1, double Twice, Point2& Delta) {
            return Solve2(D.Grad.X, D.Grad.Y,
                          (Dot(U1.TangentImage, C) - Dot(U0.TangentImage, C)) / Twice,
                          (Dot(V1.TangentImage, C) - Dot(V0.TangentImage, C)) / Twice,
                          {D.J, Dot(D.TangentImage, C)}, Delta);
        };
        return Newton(P0, Reach, Step, P);
    }

    // Piece [Begin, End): where the image of the locus tangent, measured along the image line
    // of Df (its direction kept continuous along the piece), changes sign.
    bool CuspCandidates(int Begin, int End) {
        Point2 Direction{0, 0};
        double Last = 0;
        bool HaveLast = false;
        for (int I = Begin; I < End; ++I) {
            const FoldData& D = Data[static_cast<size_t>(I)];
            if (!D.Valid) {
                HaveLast = false;
                continue;
            }
            Point2 C = D.Column;
            if (Dot(C, Direction) < 0) C = {-C.X, -C.Y};
            const double K = Dot(D.TangentImage, C);
            if (HaveLast && ((K < 0) != (Last < 0) || K == 0)) {
                if (StopRequested(S)) return false;
                if (!Budget()) return true;
                // Start where the condition interpolates to zero between the two nodes.
                const Point2 A = Node(I - 1), B = Node(I);
                const double T = K == Last ? 0.5 : Last / (Last - K);
                const Point2 Start{A.X + T * (B.X - A.X), A.Y + T * (B.Y - A.Y)};
                Point2 P;
                const double Reach = 4 * std::hypot(B.X - A.X, B.Y - A.Y) + 1e-3 * Diag;
                if (RefineCusp(Start, C, Reach, P)) {
                    if (Known(P, SingularPointKind::LocusSingular)) {
                        // refined onto a singular point: it is reported as that point
                    } else if (Length(Fold(S, P).Grad) < 1e-6 * Typical) {
                        Add(P, SingularPointKind::LocusSingular);
                    } else {
                        Add(P, SingularPointKind::Cusp);
                    }
                }
            }
            Direction = C;
            Last = K;
            HaveLast = true;
        }
        return true;
    }

    const SceneState& S;
    std::vector<SingularPoint>& Out;
    std::vector<FoldData> Data;
    double Diag = 1, Typical = 0;
    double Near = 0;  // two points closer than this are one
    int Refinements = 0;
};

}  // namespace

bool FindLocusPoints(const SceneState& S, std::vector<SingularPoint>& Out) {
    Search Find(S, Out);
    return Find.Run();
}

void UpdateSingularPoints(SceneState& S, int Which) {
    for (SingularPoint& Q : S.SingPoints) {
        if (Which == 1) {
            Q.DomPos = DomainPoint3(S, Q.DomPt);
        } else if (!S.Procedures.ImagePoint3(S, Q.DomPt, Q.ImgPos)) {
            Q.ImgPos = {NoPoint, 0, 0};
        }
    }
}
