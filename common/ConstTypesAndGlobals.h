// Shared geometry types of the program: points of the planes and of space, pixel positions
// and rectangles, and the small vector helpers the curve and view code share.
#pragma once

#include <cmath>
#include <cstdint>

struct Point2 {
    double X = 0, Y = 0;  // (u, v) in the domain, (x, y) in the image
};

struct Point3 {
    double X = 0, Y = 0, Z = 0;
};

struct PixelPoint {
    int32_t X = 0, Y = 0;
};

struct PixelRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

inline double Dot3(const Point3& A, const Point3& B) { return A.X * B.X + A.Y * B.Y + A.Z * B.Z; }

inline double Distance3(const Point3& A, const Point3& B) {
    double DX = A.X - B.X, DY = A.Y - B.Y, DZ = A.Z - B.Z;
    return std::sqrt(DX * DX + DY * DY + DZ * DZ);
}

// N = (C - A) x (B - A).
inline Point3 TriangleNormal(const Point3& A, const Point3& B, const Point3& C) {
    Point3 P{C.X - A.X, C.Y - A.Y, C.Z - A.Z};
    Point3 Q{B.X - A.X, B.Y - A.Y, B.Z - A.Z};
    return {P.Y * Q.Z - P.Z * Q.Y, P.Z * Q.X - P.X * Q.Z, P.X * Q.Y - P.Y * Q.X};
}

#include <string>
#include <vector>

// A point of a polyline: Flag 1 starts a new piece here (no segment into this point).
struct CurvePoint {
    int32_t Flag = 0;
    Point3 P;
};

// A polyline; Points may hold more elements than LastIndex + 1 (its capacity).
struct Curve3 {
    int32_t LastIndex = -1;
    std::vector<CurvePoint> Points;
};

// The text of a bound field: fixed-point, rounded to N + 2 significant digits and cut to its
// first N characters ("1.000", "-0.250", "12.34"). Where the cut would change the value's
// magnitude (123456.7 in 5 characters, 0.00004) the text is a short power of ten that the
// formula language reads back ("1.23*10^5", "4*10^(-5)"), longer than N if need be.
std::string FloatToShortText(int N, double X);

// Number texts that use "." whatever the locale (a Qt program runs in the user's locale,
// where printf may write a decimal comma): X with Decimals digits after the point, X in
// scientific notation with Precision significant digits, and the value of such a text.
std::string FixedDecimals(double X, int Decimals);
std::string Scientific(double X, int Precision);
double TextValue(const std::string& Text);

// Text without the blanks and control characters at either end.
std::string TrimBlanks(const std::string& Text);
