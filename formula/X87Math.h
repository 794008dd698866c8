// Extended-precision primitives that give, bit for bit, what the x87 instructions of the
// native programs give, so that the interpreter and the native code agree exactly.
// On other processors they fall back to the C library's long double functions.
#pragma once

namespace x87 {

long double Sin(long double X);             // fsin, |X| < 2^63
long double Cos(long double X);             // fcos
long double Tan(long double X);             // fptan (the pushed 1 discarded)
long double Atan2(long double Y, long double X);  // fpatan
long double YLog2X(long double Y, long double X); // fyl2x: Y * log2(X)
long double Exp2Minus1(long double X);      // f2xm1, |X| <= 1
long double Scale(long double X, long double N);  // fscale: X * 2^trunc(N)
long double RoundToInteger(long double X);  // frndint in round-to-nearest mode
long double Remainder(long double X, long double M);  // fprem repeated to completion

long double Pi();     // fldpi
long double Log2E();  // fldl2e
long double Ln2();    // fldln2

}  // namespace x87
