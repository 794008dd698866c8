// Sphere drags: radius and centre steps, and the trackball turn as two reflections.
#include "view/SphereManipulation.h"

#include <algorithm>
#include <cmath>

bool TrackballVector(const SphereView& S, PixelPoint P, Point3& Result) {
    double Rp = S.Radius * S.Scale;
    double DX = P.X - S.CentrePixel.X, DY = P.Y - S.CentrePixel.Y;
    double D2 = DX * DX + DY * DY;
    double T = 2 * Rp * Rp / (Rp * Rp + D2);
    double V[3] = {DX * T, DY * T, (1 - T) * Rp};
    Point3 W;
    W.X = V[0] * S.Rotation[0][0] + V[1] * S.Rotation[1][0] + V[2] * S.Rotation[2][0];
    W.Y = V[0] * S.Rotation[0][1] + V[1] * S.Rotation[1][1] + V[2] * S.Rotation[2][1];
    W.Z = V[0] * S.Rotation[0][2] + V[1] * S.Rotation[1][2] + V[2] * S.Rotation[2][2];
    double Length = std::sqrt(Dot3(W, W));
    if (!(Length > 1e-5)) return false;
    Result = {W.X / Length, W.Y / Length, W.Z / Length};
    return true;
}

bool RotateSphere(SphereView& S, PixelPoint Cur, PixelPoint Prev) {
    Point3 A, B;
    if (!TrackballVector(S, Prev, B) || !TrackballVector(S, Cur, A)) return false;
    Point3 Sum{A.X + B.X, A.Y + B.Y, A.Z + B.Z};
    double Length = std::sqrt(Dot3(Sum, Sum));
    // Opposite vectors leave the halfway direction undefined; consecutive mouse positions
    // never get there, and leaving the sphere as it is keeps it orthonormal.
    if (!(Length > 1e-12)) return false;
    Point3 H{Sum.X / Length, Sum.Y / Length, Sum.Z / Length};
    double E = Dot3(A, H);
    for (auto& Row : S.Rotation) {
        Point3 R{Row[0], Row[1], Row[2]};
        double Sa = 2 * Dot3(A, R);
        double T = 2 * (Sa * E - Dot3(H, R));
        Row[0] = R.X + T * H.X - Sa * A.X;
        Row[1] = R.Y + T * H.Y - Sa * A.Y;
        Row[2] = R.Z + T * H.Z - Sa * A.Z;
    }
    return true;
}

bool ChangeSphere(SphereView& S, PixelPoint Prev, PixelPoint Cur, DragModifiers Held) {
    if (Held.Shift) {
        if (Prev.Y == Cur.Y) return false;
        double F = (Cur.Y - Prev.Y) / 200.0 + 1;
        F = std::min(10.0, std::max(0.1, F));
        double R = std::min(1000.0, std::max(0.001, S.Radius * F));
        if (std::fabs(R - S.Radius) <= 0.0001) return false;
        S.Scale = S.Scale * S.Radius / R;
        S.Radius = R;
        S.RadiusSqr = R * R;
        return true;
    }
    if (Held.Ctrl) {
        double DX = Prev.X - Cur.X, DY = Prev.Y - Cur.Y;
        if (!(std::hypot(DX, DY) > 0)) return false;
        S.Centre.X += DX / S.Scale;
        S.Centre.Y += DY / S.Scale;
        return true;
    }
    if (Prev.X == Cur.X && Prev.Y == Cur.Y) return false;
    return RotateSphere(S, Cur, Prev);
}
