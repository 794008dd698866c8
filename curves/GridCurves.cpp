// Grid lines and their images: fixed samples in the domain, an adaptive trace in the image
// whose step shrinks where the image bends and grows where it is straight.
#include "curves/GridCurves.h"

#include <algorithm>
#include <cmath>

#include "curves/ImageBounds.h"
#include "model/MapKinds.h"

namespace {

double& Coordinate(Point2& P, int Dir) { return Dir == 1 ? P.X : P.Y; }

void Append(Curve3& C, int32_t Flag, const Point3& Q) {
    ++C.LastIndex;
    if (C.LastIndex >= static_cast<int32_t>(C.Points.size()))
        C.Points.resize(static_cast<size_t>(C.LastIndex) + 50);
    C.Points[static_cast<size_t>(C.LastIndex)] = {Flag, Q};
}

double Length(const Point3& P) { return std::sqrt(Dot3(P, P)); }

// Traces the image of one line from P (the coordinate Dir runs up to TMax); H is the running
// step, shared by all lines.
void TraceLine(const SceneState& S, Curve3& C, Point2 P, int Dir, double TMax, double& H,
               double MinStep, double MaxStep) {
    auto Image = S.Procedures.ImagePoint3;
    C.LastIndex = -1;
    C.Points.assign(50, CurvePoint{});
    Point3 Q;
    if (!GuessStep(S, P, Q, H, MinStep, MaxStep, Dir, TMax)) return;
    double& T = Coordinate(P, Dir);
    bool Started = false;
    int Tries = 0;
    do {
        Point3 R = Q;
        double Before = T;
        T += H;
        // A step lost in the rounding of T (a domain far from 0 and very narrow) would
        // never arrive.
        if (T == Before || ++Tries > MaxLineSamples || StopRequested(S)) return;
        if (Image(S, P, Q)) {
            C.Points[0] = {1, R};
            C.Points[1] = {0, Q};
            Started = true;
            break;
        }
    } while (T + H < TMax);
    if (!Started) return;
    C.LastIndex = 1;
    T += H;
    bool Ended = false;
    int Samples = 0;
    while (T <= TMax) {
        if (++Samples > MaxLineSamples || C.LastIndex + 1 >= MaxLinePoints || StopRequested(S))
            return;
        if (!Image(S, P, Q)) {
            double Before = T;
            T += H / 10;
            if (T == Before) return;
            continue;
        }
        bool Inside = NotFarAwayImg(S, Q.X, Q.Y);
        const Point3& A = C.Points[static_cast<size_t>(C.LastIndex) - 1].P;
        const Point3& B = C.Points[static_cast<size_t>(C.LastIndex)].P;
        double D = Distance3(Q, A);
        double K = 1, R = 0;
        if (D != 0) {
            double Deviation = Length(TriangleNormal(A, B, Q)) / D;
            K = std::nearbyint(Deviation / S.ImgDivisor) + 1;
            R = Dir == 2 ? Deviation / S.ImgDivisor : Deviation;
        }
        if (K == 1) {
            Append(C, Inside ? 0 : 1, Q);
            H = R > 0 ? std::min(1.5 * H, H / R) : 1.5 * H;
        } else if (!(K <= MaxSubdivision)) {
            // Too curved to follow (near a pole, say): keep the point without a segment into
            // it and go on, rather than subdividing without end.
            Append(C, 1, Q);
        } else {
            T -= H;
            H /= K;
            for (int I = 0; I < static_cast<int>(K); ++I) {
                T += H;
                Point3 Sub;
                if (Image(S, P, Sub)) Append(C, NotFarAwayImg(S, Sub.X, Sub.Y) ? 0 : 1, Sub);
            }
            H *= 1.5;
        }
        H = std::min(H, MaxStep);
        double Before = T;
        T += H;
        if (T == Before) return;  // no step left that T can take
        if (!Ended && T > TMax) {
            T = TMax;
            Ended = true;
        }
    }
}

}  // namespace

bool GuessStep(const SceneState& S, Point2& P, Point3& Q, double& Step, double MinStep,
               double MaxStep, int Dir, double TMax) {
    constexpr double Delta = 0.00048828125;  // 2^-11, in domain units
    auto Image = S.Procedures.ImagePoint3;
    const double Lift = S.LineStep[Dir - 1] / 20;
    if (!(Lift > 0)) return false;
    Point2 A = P, B = P;
    // At most the 20 lifts per line step that the line holds, and never a lift that the
    // rounding of a coordinate far from 0 swallows.
    for (int Lifts = 0; Coordinate(P, Dir) < TMax && Lifts <= 20 * 20 + 1; ++Lifts) {
        if (StopRequested(S)) return false;
        if (Lifts > 0) {
            double Before = Coordinate(P, Dir);
            Coordinate(P, Dir) += Lift;
            if (Coordinate(P, Dir) == Before) return false;
            if (!(Coordinate(P, Dir) < TMax)) break;
        }
        Coordinate(A, Dir) = Coordinate(P, Dir) + Delta;
        Coordinate(B, Dir) = Coordinate(A, Dir) + Delta;
        Point3 QA, QB;
        if (!Image(S, P, Q) || !Image(S, A, QA) || !Image(S, B, QB)) continue;
        Point3 Second{(Q.X + QB.X) / 2 - QA.X, (Q.Y + QB.Y) / 2 - QA.Y, (Q.Z + QB.Z) / 2 - QA.Z};
        Point3 Chord{Q.X - QB.X, Q.Y - QB.Y, Q.Z - QB.Z};
        double SA = Length(Second), SB = Length(Chord);
        double SS = SA * SA + SB * SB;
        if (!(SS > 1e-20)) continue;
        double C = std::sqrt(2.0) * SA * SB / SS;
        double NewStep;
        if (C <= 1e-7) {
            NewStep = MaxStep;
        } else {
            double W = 2 * SA * S.ImgDivisor / SS;
            NewStep = std::sqrt(std::fabs((2 - W) * W)) * Delta / C;
            NewStep = std::min(NewStep, S.LineStep[Dir - 1]);
        }
        if (!std::isfinite(NewStep)) continue;
        Step = std::min(MaxStep, std::max(MinStep, NewStep));
        return true;
    }
    return false;
}

bool NotFarAwayImg(const SceneState& S, double X, double Y) {
    return S.StereoImage || std::fabs(X) + std::fabs(Y) < 30 * S.ImgDiag;
}

bool NotFarAwayImgPanel(const SceneState& S, double X, double Y) {
    return S.StereoImage || std::fabs(X) + std::fabs(Y) < 13800;
}

void ComputeDomainCurves(SceneState& S) {
    const int N = S.StereoDomain ? 40 : 1;
    for (int Family = 0; Family < 2; ++Family) {
        Curve3* Lines = Family == 0 ? S.DomHLines : S.DomVLines;
        // Constant v (family 0): lines spaced along v, sampled along u; and the reverse.
        double Spacing = S.DomWidth[Family == 0 ? 1 : 0] / 20;
        double Step = S.DomWidth[Family == 0 ? 0 : 1] / N;
        for (int I = 0; I <= 20; ++I) {
            Curve3& C = Lines[I];
            C.LastIndex = N;
            if (static_cast<int>(C.Points.size()) < N + 1) C.Points.resize(static_cast<size_t>(N) + 1);
            for (int J = 0; J <= N; ++J) {
                Point2 P = Family == 0 ? Point2{S.DomMin.X + J * Step, S.DomMin.Y + I * Spacing}
                                       : Point2{S.DomMin.X + I * Spacing, S.DomMin.Y + J * Step};
                C.Points[static_cast<size_t>(J)] = {J == 0 ? 1 : 0, DomainPoint3(S, P)};
            }
        }
    }
}

void PrepareImageCurves(SceneState& S) {
    if (S.StereoImage) {
        S.ImgDivisor = S.ImgSphere.Radius / 400;
    } else if (S.WholeImage) {
        EstimateImgBoundsAndDivisor(S);
    } else {
        S.ImgDivisor = (std::fabs(S.ImgMax.X - S.ImgMin.X) + std::fabs(S.ImgMax.Y - S.ImgMin.Y)) / 800;
        // Before any estimate the clip rectangle itself tells how far is far.
        if (!(S.ImgDiag > 0)) S.ImgDiag = std::hypot(S.ImgWidth[0], S.ImgWidth[1]);
    }
    for (int I = 0; I < 2; ++I)
        S.LineStep[I] = (I == 0 ? S.DomMax.X - S.DomMin.X : S.DomMax.Y - S.DomMin.Y) / 20;
    for (auto* Lines : {S.ImgVLines, S.ImgHLines})
        for (int I = 0; I <= 20; ++I) {
            Lines[I].LastIndex = -1;
            Lines[I].Points.assign(50, CurvePoint{});
        }
}

void TraceImageCurves(SceneState& S) {
    const double MinStep = S.DomDiag / 1200;
    if (!(MinStep > 0) || !std::isfinite(MinStep) || !(S.ImgDivisor > 0)) return;
    if (S.Control) S.Control->LinesTotal = 42;
    double H = MinStep;
    for (int I = 0; I <= 20; ++I) {
        TraceLine(S, S.ImgVLines[I], {S.DomMin.X + I * S.LineStep[0], S.DomMin.Y}, 2,
                  S.DomMax.Y, H, MinStep, S.LineStep[1] / 3);
        if (S.Control) ++S.Control->LinesDone;
    }
    for (int I = 0; I <= 20; ++I) {
        TraceLine(S, S.ImgHLines[I], {S.DomMin.X, S.DomMin.Y + I * S.LineStep[1]}, 1,
                  S.DomMax.X, H, MinStep, S.LineStep[0] / 3);
        if (S.Control) ++S.Control->LinesDone;
    }
}

void ComputeImageCurves(SceneState& S) {
    PrepareImageCurves(S);
    TraceImageCurves(S);
}
