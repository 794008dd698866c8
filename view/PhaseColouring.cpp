#include "view/PhaseColouring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// The fraction of X in [0, 1).
double Fraction(double X) {
    const double F = X - std::floor(X);
    return F < 1 ? F : 0;  // a tiny negative X rounds its fraction up to 1
}

uint32_t Channel(double X) {
    return static_cast<uint32_t>(std::lround(std::clamp(X, 0.0, 1.0) * 255));
}

}  // namespace

uint32_t HueColour(double Turns, double V) {
    // The six sectors of the hue wheel: red, yellow, green, cyan, blue, magenta.
    const double H = Fraction(Turns) * 6;
    const int Sector = std::min(static_cast<int>(H), 5);
    const double Up = H - Sector, Down = 1 - Up;
    double R = 0, G = 0, B = 0;
    switch (Sector) {
        case 0: R = 1, G = Up; break;
        case 1: R = Down, G = 1; break;
        case 2: G = 1, B = Up; break;
        case 3: G = Down, B = 1; break;
        case 4: R = Up, B = 1; break;
        default: R = 1, B = Down; break;
    }
    return 0xFF000000u | Channel(R * V) << 16 | Channel(G * V) << 8 | Channel(B * V);
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
