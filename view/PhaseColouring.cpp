#include "view/PhaseColouring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// The fraction of X in [0, 1). The whole part by truncation where it fits an integer (every
// turn, tooth and logarithm here), which the processor does in one instruction.
double Fraction(double X) {
    double Whole;
    if (std::fabs(X) < 1e15) {
        Whole = static_cast<double>(static_cast<long long>(X));
        if (Whole > X) Whole -= 1;
    } else {
        Whole = std::floor(X);
    }
    const double F = X - Whole;
    return F < 1 ? F : 0;  // a tiny negative X rounds its fraction up to 1
}

// X in [0, 1] (clamped) as a channel of 0 to 255, to the nearest; no library call, as every
// pixel of a portrait takes three.
uint32_t Channel(double X) { return static_cast<uint32_t>(std::clamp(X, 0.0, 1.0) * 255 + 0.5); }

}  // namespace

uint32_t HueColour(double Turns, double V) {
    // The six sectors of the hue wheel (red, yellow, green, cyan, blue, magenta): each channel
    // is a tent over the hue, full over two sectors and sloping over the two beside them,
    // which needs no branch on the sector.
    const double H = Fraction(Turns) * 6;
    const double R = std::fabs(H - 3) - 1, G = 2 - std::fabs(H - 2), B = 2 - std::fabs(H - 4);
    return 0xFF000000u | Channel(std::min(R, 1.0) * V) << 16 | Channel(std::min(G, 1.0) * V) << 8 |
           Channel(std::min(B, 1.0) * V);
}

uint32_t PhaseColour(std::complex<double> W, Colouring C) {
    const double X = W.real(), Y = W.imag();
    if (!std::isfinite(X) || !std::isfinite(Y)) return UndefinedColour;
    const double Modulus = std::hypot(X, Y);
    if (Modulus >= PoleModulus) return PoleColour;
    const double Turns = std::atan2(Y, X) / (2 * std::numbers::pi);
    double V = 1;
    if (C == Colouring::Modulus || C == Colouring::Enhanced) {
        // Brightness rises within each band 2^k <= |w| < 2^(k+1) and drops at its upper edge,
        // so that the level lines |w| = 2^k show as edges. A zero takes the darkest shade.
        const double Level = Modulus > 0 ? Fraction(std::log2(Modulus)) : 0;
        V = 0.6 + 0.4 * Level;
        if (C == Colouring::Enhanced) V *= 0.75 + 0.25 * Fraction(Turns * PhaseTeeth);
    }
    return HueColour(Turns, V);
}
