// Extended-precision primitives that give, bit for bit, what the x87 instructions of the
// native programs give, so that the interpreter and the native code agree exactly.
// On other processors they fall back to the C library's long double functions. They are
// inline so that the interpreter keeps its values in registers instead of passing them
// through memory to calls.
#pragma once

#include <cmath>

namespace x87 {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

inline long double Sin(long double X) {  // fsin, |X| < 2^63
    asm("fsin" : "+t"(X));
    return X;
}
inline long double Cos(long double X) {  // fcos
    asm("fcos" : "+t"(X));
    return X;
}
struct SineAndCosine {
    long double Sin, Cos;
};
// fsincos: both from one instruction, at the cost of one; the same values as fsin and fcos.
inline SineAndCosine SinCos(long double X) {
    long double S, C;
    asm("fsincos" : "=t"(C), "=u"(S) : "0"(X));
    return {S, C};
}
inline long double Tan(long double X) {  // fptan, the pushed 1 discarded
    long double One;
    asm("fptan" : "=t"(One), "=u"(X) : "0"(X));
    (void)One;
    return X;
}
inline long double Atan2(long double Y, long double X) {  // fpatan
    long double R;
    asm("fpatan" : "=t"(R) : "0"(X), "u"(Y) : "st(1)");
    return R;
}
inline long double YLog2X(long double Y, long double X) {  // fyl2x: Y log2(X)
    long double R;
    asm("fyl2x" : "=t"(R) : "0"(X), "u"(Y) : "st(1)");
    return R;
}
inline long double YLog2XPlus1(long double Y, long double X) {  // fyl2xp1: Y log2(X + 1)
    long double R;
    asm("fyl2xp1" : "=t"(R) : "0"(X), "u"(Y) : "st(1)");
    return R;
}
inline long double Exp2Minus1(long double X) {  // f2xm1, |X| <= 1
    asm("f2xm1" : "+t"(X));
    return X;
}
inline long double Scale(long double X, long double N) {  // fscale: X 2^trunc(N)
    asm("fscale" : "+t"(X) : "u"(N));
    return X;
}
inline long double RoundToInteger(long double X) {  // frndint, round to nearest
    asm("frndint" : "+t"(X));
    return X;
}
// The partial remainder repeated to completion: the exact remainder with the sign of X,
// as fmod gives it. The bound only matters for infinities, which never complete.
inline long double Remainder(long double X, long double M) {
    for (int I = 0; I < 1100; ++I) {
        unsigned short Status;
        asm("fprem\n\tfnstsw %1" : "+t"(X), "=a"(Status) : "u"(M));
        if ((Status & 0x400) == 0) break;
    }
    return X;
}
// The constant loads are volatile so that the compiler loads them where they are used
// instead of keeping them in x87 registers across the whole interpreter loop.
inline long double Pi() {
    long double R;
    asm volatile("fldpi" : "=t"(R));
    return R;
}
inline long double Log2E() {
    long double R;
    asm volatile("fldl2e" : "=t"(R));
    return R;
}
inline long double Ln2() {
    long double R;
    asm volatile("fldln2" : "=t"(R));
    return R;
}

#else

inline long double Sin(long double X) { return std::sin(X); }
inline long double Cos(long double X) { return std::cos(X); }
struct SineAndCosine {
    long double Sin, Cos;
};
inline SineAndCosine SinCos(long double X) { return {std::sin(X), std::cos(X)}; }
inline long double Tan(long double X) { return std::tan(X); }
inline long double Atan2(long double Y, long double X) { return std::atan2(Y, X); }
inline long double YLog2X(long double Y, long double X) { return Y * std::log2(X); }
inline long double YLog2XPlus1(long double Y, long double X) {
    return Y * std::log1p(X) * 1.44269504088896340735992468100189214L;
}
inline long double Exp2Minus1(long double X) {
    return std::expm1(X * 0.693147180559945309417232121458176568L);
}
inline long double Scale(long double X, long double N) {
    return std::scalbn(X, static_cast<int>(std::trunc(N)));
}
inline long double RoundToInteger(long double X) { return std::nearbyint(X); }
inline long double Remainder(long double X, long double M) { return std::fmod(X, M); }
inline long double Pi() { return 3.14159265358979323846264338327950288L; }
inline long double Log2E() { return 1.44269504088896340735992468100189214L; }
inline long double Ln2() { return 0.693147180559945309417232121458176568L; }

#endif

}  // namespace x87
