// Phase portrait colours: the hue wheel's directions, windings about zeros and poles, the
// modulus and phase edges, and values that are no number or a pole.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "HueOfColour.h"
#include "view/PhaseColouring.h"

namespace {

using C = std::complex<double>;

// How many times the hue of W(z) goes round as z goes once counter-clockwise about Centre.
int Winding(C (*W)(C), C Centre, double Radius) {
    const int Steps = 720;
    double Total = 0, Last = HueDegrees(PhaseColour(W(Centre + Radius), Colouring::Phase));
    for (int K = 1; K <= Steps; ++K) {
        const double T = 2 * std::numbers::pi * K / Steps;
        const double Hue =
            HueDegrees(PhaseColour(W(Centre + std::polar(Radius, T)), Colouring::Phase));
        Total += HueStep(Last, Hue);
        Last = Hue;
    }
    return static_cast<int>(std::lround(Total / 360));
}

TEST(PhaseColouring, TheHueWheelGivesTheDirectionsOfW) {
    // w = z: 0.5 is red, -0.5 cyan, -0.5i violet-blue (270 degrees), within 10 degrees.
    EXPECT_LT(AngleBetween(HueDegrees(PhaseColour(C(0.5, 0), Colouring::Phase)), 0), 10);
    EXPECT_LT(AngleBetween(HueDegrees(PhaseColour(C(-0.5, 0), Colouring::Phase)), 180), 10);
    EXPECT_LT(AngleBetween(HueDegrees(PhaseColour(C(0, -0.5), Colouring::Phase)), 270), 10);
    EXPECT_EQ(PhaseColour(C(1, 0), Colouring::Phase), 0xFFFF0000u);
    EXPECT_EQ(PhaseColour(std::polar(1.0, 2 * std::numbers::pi / 3), Colouring::Phase), 0xFF00FF00u);
    EXPECT_EQ(PhaseColour(std::polar(1.0, 4 * std::numbers::pi / 3), Colouring::Phase), 0xFF0000FFu);
    // Every direction to within the rounding of the channels, whatever the modulus.
    for (int K = 0; K < 360; K += 7)
        for (double R : {1e-300, 1e-3, 1.0, 3e7})
            EXPECT_LT(AngleBetween(HueDegrees(PhaseColour(
                                       std::polar(R, K * std::numbers::pi / 180), Colouring::Phase)),
                                   K),
                      1.0)
                << K << " " << R;
}

TEST(PhaseColouring, ZerosWindCounterClockwiseAndPolesClockwise) {
    EXPECT_EQ(Winding([](C Z) { return Z; }, 0, 0.3), 1);
    EXPECT_EQ(Winding([](C Z) { return Z * Z; }, 0, 0.3), 2);
    EXPECT_EQ(Winding([](C Z) { return 1.0 / Z; }, 0, 0.3), -1);
    // (z - 0.5) / (z + 0.5): a zero at 0.5, a pole at -0.5, nothing in between.
    auto Mobius = [](C Z) { return (Z - 0.5) / (Z + 0.5); };
    EXPECT_EQ(Winding(Mobius, 0.5, 0.2), 1);
    EXPECT_EQ(Winding(Mobius, -0.5, 0.2), -1);
    EXPECT_EQ(Winding(Mobius, C(0, 0.7), 0.2), 0);
    EXPECT_EQ(Winding(Mobius, 0, 2), 0);
}

TEST(PhaseColouring, ModulusAndPhaseEdgesAndValuesThatAreNoNumber) {
    // Across |w| = 2 the brightness drops from its brightest to its darkest, at the same hue.
    const uint32_t Below = PhaseColour(C(1.999, 0), Colouring::Modulus);
    const uint32_t Above = PhaseColour(C(2.001, 0), Colouring::Modulus);
    EXPECT_GT(Below >> 16 & 0xFF, 250u);
    EXPECT_LT(Above >> 16 & 0xFF, 160u);
    EXPECT_EQ(Below & 0xFFFF, 0u);
    EXPECT_EQ(Above & 0xFFFF, 0u);
    // A zero gets the darkest shade of its band, not a number from log2(0).
    EXPECT_EQ(PhaseColour(C(0, 0), Colouring::Modulus), PhaseColour(C(1, 0), Colouring::Modulus));
    // The phase's saw-tooth: an edge every 30 degrees in Enhanced, none in Modulus.
    auto Red = [](uint32_t Colour) { return static_cast<int>(Colour >> 16 & 0xFF); };
    const C Before = std::polar(1.5, -1e-6), After = std::polar(1.5, 1e-6);
    EXPECT_GT(Red(PhaseColour(Before, Colouring::Enhanced)) -
                  Red(PhaseColour(After, Colouring::Enhanced)),
              40);
    EXPECT_LE(std::abs(Red(PhaseColour(Before, Colouring::Modulus)) -
                       Red(PhaseColour(After, Colouring::Modulus))),
              1);
    for (Colouring K : {Colouring::Phase, Colouring::Modulus, Colouring::Enhanced}) {
        EXPECT_EQ(PhaseColour(C(NAN, 0), K), UndefinedColour);
        EXPECT_EQ(PhaseColour(C(1, INFINITY), K), UndefinedColour);
        EXPECT_EQ(PhaseColour(C(-INFINITY, -INFINITY), K), UndefinedColour);
        EXPECT_EQ(PhaseColour(C(1e31, 0), K), PoleColour);
        EXPECT_EQ(PhaseColour(C(PoleModulus, 0), K), PoleColour);  // 1 / 0
        EXPECT_EQ(PhaseColour(C(0, -2e30), K), PoleColour);
        // The largest finite values do not overflow into a pole's colour by accident of hypot.
        EXPECT_EQ(PhaseColour(C(1e308, 1e308), K), PoleColour);
        EXPECT_NE(PhaseColour(C(1e29, 0), K), PoleColour);
    }
}

}  // namespace
