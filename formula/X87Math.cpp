// The x87 primitives, by inline assembly on x86-64 and by the C library elsewhere.
#include "formula/X87Math.h"

#include <cmath>

namespace x87 {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

long double Sin(long double X) {
    asm("fsin" : "+t"(X));
    return X;
}
long double Cos(long double X) {
    asm("fcos" : "+t"(X));
    return X;
}
long double Tan(long double X) {
    long double One;
    asm("fptan" : "=t"(One), "=u"(X) : "0"(X));
    (void)One;
    return X;
}
long double Atan2(long double Y, long double X) {
    long double R;
    asm("fpatan" : "=t"(R) : "0"(X), "u"(Y) : "st(1)");
    return R;
}
long double YLog2X(long double Y, long double X) {
    long double R;
    asm("fyl2x" : "=t"(R) : "0"(X), "u"(Y) : "st(1)");
    return R;
}
long double Exp2Minus1(long double X) {
    asm("f2xm1" : "+t"(X));
    return X;
}
long double Scale(long double X, long double N) {
    asm("fscale" : "+t"(X) : "u"(N));
    return X;
}
long double RoundToInteger(long double X) {
    asm("frndint" : "+t"(X));
    return X;
}
long double Pi() {
    long double R;
    asm("fldpi" : "=t"(R));
    return R;
}
long double Log2E() {
    long double R;
    asm("fldl2e" : "=t"(R));
    return R;
}
long double Ln2() {
    long double R;
    asm("fldln2" : "=t"(R));
    return R;
}

#else

long double Sin(long double X) { return std::sin(X); }
long double Cos(long double X) { return std::cos(X); }
long double Tan(long double X) { return std::tan(X); }
long double Atan2(long double Y, long double X) { return std::atan2(Y, X); }
long double YLog2X(long double Y, long double X) { return Y * std::log2(X); }
long double Exp2Minus1(long double X) { return std::expm1(X * 0.693147180559945309417232121458176568L); }
long double Scale(long double X, long double N) { return std::scalbn(X, static_cast<int>(std::trunc(N))); }
long double RoundToInteger(long double X) { return std::nearbyint(X); }
long double Pi() { return 3.14159265358979323846264338327950288L; }
long double Log2E() { return 1.44269504088896340735992468100189214L; }
long double Ln2() { return 0.693147180559945309417232121458176568L; }

#endif

// A complete partial-remainder loop is the exact remainder with the sign of X, which is
// what fmod computes on every platform.
long double Remainder(long double X, long double M) { return std::fmod(X, M); }

}  // namespace x87
