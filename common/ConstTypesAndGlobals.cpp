// Shared helpers: the short number texts of the bound fields.
#include "common/ConstTypesAndGlobals.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Fixed-point text with 15 digits after the point, of X rounded to Significant digits.
std::string FixedText(double X, int Significant) {
    char Buffer[400];
    if (X != 0 && std::isfinite(X)) {
        // Round to the significant digits first, then print the rounded value.
        char Rounded[64];
        std::snprintf(Rounded, sizeof Rounded, "%.*e", Significant - 1, X);
        X = std::strtod(Rounded, nullptr);
    }
    std::snprintf(Buffer, sizeof Buffer, "%.15f", X);
    return Buffer;
}

// m*10^e with three significant digits, in the notation of the formula language.
std::string PowerOfTenText(double X) {
    int Exponent = static_cast<int>(std::floor(std::log10(std::fabs(X))));
    double Mantissa = X / std::pow(10.0, Exponent);
    char Text[64];
    std::snprintf(Text, sizeof Text, "%.2f", Mantissa);
    // Rounding may carry into the next power (9.996 -> 10.00).
    if (std::fabs(std::strtod(Text, nullptr)) >= 10) {
        ++Exponent;
        std::snprintf(Text, sizeof Text, "%.2f", X / std::pow(10.0, Exponent));
    }
    std::string M = Text;
    while (M.back() == '0') M.pop_back();
    if (M.back() == '.') M.pop_back();
    std::string E = Exponent < 0 ? "(" + std::to_string(Exponent) + ")" : std::to_string(Exponent);
    return M + "*10^" + E;
}

}  // namespace

std::string FloatToShortText(int N, double X) {
    if (!std::isfinite(X)) return "0";
    double Magnitude = std::fabs(X);
    int IntegerDigits = Magnitude < 1 ? 1 : static_cast<int>(std::floor(std::log10(Magnitude))) + 1;
    if (IntegerDigits <= N + 2) {
        std::string Text = FixedText(X, N + 2).substr(0, static_cast<size_t>(std::max(N, 0)));
        double Shown = std::strtod(Text.c_str(), nullptr);
        // Keep the fixed text where it still tells the value's size.
        if ((X == 0 && Shown == 0) ||
            (Shown != 0 && std::fabs(Shown - X) <= 0.5 * Magnitude))
            return Text;
    }
    return PowerOfTenText(X);
}
