// Reading colours back as hues, for tests of the phase colouring and of what draws it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

// The hue of a colour 0x..RRGGBB in degrees, from its channels (the inverse of the hue wheel).
inline double HueDegrees(uint32_t Colour) {
    const double R = (Colour >> 16 & 0xFF) / 255.0, G = (Colour >> 8 & 0xFF) / 255.0,
                 B = (Colour & 0xFF) / 255.0;
    const double Max = std::max({R, G, B}), Min = std::min({R, G, B});
    if (Max == Min) return 0;
    double H;
    if (Max == R) H = std::fmod((G - B) / (Max - Min), 6.0);
    else if (Max == G) H = (B - R) / (Max - Min) + 2;
    else H = (R - G) / (Max - Min) + 4;
    H *= 60;
    return H < 0 ? H + 360 : H;
}

// The distance of two hues round the wheel, in degrees.
inline double AngleBetween(double A, double B) {
    const double D = std::fmod(std::fabs(A - B), 360.0);
    return std::min(D, 360 - D);
}

// The turn from hue A to hue B the short way round, in degrees (-180 to 180).
inline double HueStep(double A, double B) {
    double D = B - A;
    if (D > 180) D -= 360;
    if (D < -180) D += 360;
    return D;
}
