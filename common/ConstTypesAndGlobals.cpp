// Shared helpers: the short number texts of the bound fields.
#include "common/ConstTypesAndGlobals.h"

#include <charconv>
#include <cmath>

std::string FixedDecimals(double X, int Decimals) {
    char Buffer[400];
    auto R = std::to_chars(Buffer, Buffer + sizeof Buffer, X, std::chars_format::fixed, Decimals);
    return R.ec == std::errc() ? std::string(Buffer, R.ptr) : std::string("0");
}

std::string Scientific(double X, int Precision) {
    char Buffer[64];
    auto R = std::to_chars(Buffer, Buffer + sizeof Buffer, X, std::chars_format::scientific,
                           Precision - 1);
    return R.ec == std::errc() ? std::string(Buffer, R.ptr) : std::string("0");
}

double TextValue(const std::string& Text) {
    double V = 0;
    const char* B = Text.data();
    if (!Text.empty() && *B == '+') ++B;
    std::from_chars(B, Text.data() + Text.size(), V);
    return V;
}

std::string TrimBlanks(const std::string& T) {
    size_t B = 0, E = T.size();
    while (B < E && static_cast<unsigned char>(T[B]) <= ' ') ++B;
    while (E > B && static_cast<unsigned char>(T[E - 1]) <= ' ') --E;
    return T.substr(B, E - B);
}

namespace {

// Fixed-point text with 15 digits after the point, of X rounded to Significant digits.
std::string FixedText(double X, int Significant) {
    // Round to the significant digits first, then print the rounded value.
    if (X != 0 && std::isfinite(X)) X = TextValue(Scientific(X, Significant));
    return FixedDecimals(X, 15);
}

// m*10^e with three significant digits, in the notation of the formula language.
std::string PowerOfTenText(double X) {
    int Exponent = static_cast<int>(std::floor(std::log10(std::fabs(X))));
    double Mantissa = X / std::pow(10.0, Exponent);
    std::string M = FixedDecimals(Mantissa, 2);
    // Rounding may carry into the next power (9.996 -> 10.00).
    if (std::fabs(TextValue(M)) >= 10) {
        ++Exponent;
        M = FixedDecimals(X / std::pow(10.0, Exponent), 2);
    }
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
        double Shown = TextValue(Text);
        // Keep the fixed text where it still tells the value's size.
        if ((X == 0 && Shown == 0) ||
            (Shown != 0 && std::fabs(Shown - X) <= 0.5 * Magnitude))
            return Text;
    }
    return PowerOfTenText(X);
}
