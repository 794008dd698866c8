// The hostile map corpus, one group per kind of attack, real maps first in each group. Long
// texts are built by the helpers below rather than written out, so that a count such as "249
// distinct constants" is visible in the code and cannot drift. The list is built on first use.
#include "HostileMaps.h"

#include "scene/TorvaneScene.h"

#include <string>
#include <utility>
#include <vector>

namespace {

// ---- Building long texts -------------------------------------------------------------------

// Count copies of Piece, joined by Separator.
std::string Repeat(const std::string& Piece, int Count, const std::string& Separator = "") {
    std::string Text;
    for (int I = 0; I < Count; ++I) {
        if (I > 0) Text += Separator;
        Text += Piece;
    }
    return Text;
}

// Open written Depth times, then Core, then Close written Depth times: Wrap("sin(", 3, "u") is
// sin(sin(sin(u))), Wrap("(", 2, "u", ")^2") is ((u)^2)^2.
std::string Wrap(const std::string& Open, int Depth, const std::string& Core,
                 const std::string& Close = ")") {
    return Repeat(Open, Depth) + Core + Repeat(Close, Depth);
}

std::string Nested(const std::string& Function, int Depth, const std::string& Core) {
    return Wrap(Function + "(", Depth, Core);
}

// Depth calls taking the functions in turn from the outside in.
std::string NestedCycle(const std::vector<std::string>& Functions, int Depth,
                        const std::string& Core) {
    std::string Open;
    for (int I = 0; I < Depth; ++I)
        Open += Functions[static_cast<size_t>(I) % Functions.size()] + "(";
    return Open + Core + Repeat(")", Depth);
}

// Pattern with every '#' replaced by First, First + 1, ..., Last, the terms joined by Separator.
std::string Series(int First, int Last, const std::string& Pattern,
                   const std::string& Separator = "+") {
    std::string Text;
    for (int K = First; K <= Last; ++K) {
        if (K > First) Text += Separator;
        for (char C : Pattern) Text += C == '#' ? std::to_string(K) : std::string(1, C);
    }
    return Text;
}

// Count spellings of one value (Value, Value + "0", Value + "00", ...; Value holds a decimal
// point), each times Factor, added up: the compiler must keep one constant, not Count.
std::string Respelled(const std::string& Value, int Count, const std::string& Factor) {
    std::string Text;
    for (int K = 0; K < Count; ++K) {
        if (K > 0) Text += "+";
        Text += Value + std::string(static_cast<size_t>(K), '0') + Factor;
    }
    return Text;
}

// Count numbers that differ only far beyond double precision, each times Factor: all of them
// read as 0.1.
std::string BeyondPrecision(int Count, const std::string& Factor) {
    std::string Text;
    for (int K = 1; K <= Count; ++K) {
        if (K > 1) Text += "+";
        Text += "0.1000000000000000000" + std::to_string(K) + Factor;
    }
    return Text;
}

// 10^N and 10^-N in plain digits, as the language has no exponent notation.
std::string TenTo(int N) { return "1" + std::string(static_cast<size_t>(N), '0'); }
std::string TenToMinus(int N) { return "0." + std::string(static_cast<size_t>(N - 1), '0') + "1"; }

// ---- Writing entries -----------------------------------------------------------------------

// Appends entries of the current group; Domain and Parameters change the last one.
class Corpus {
public:
    explicit Corpus(std::vector<HostileMap>& Maps) : Maps(Maps) {}

    void Group(const char* Name) { Category = Name; }

    Corpus& Real(std::string X, std::string Y) { return Add(0, std::move(X), std::move(Y)); }
    Corpus& Complex(std::string W) { return Add(1, std::move(W), ""); }
    // Empty texts keep the defaults.
    Corpus& Domain(std::string UMin, std::string UMax, std::string VMin = "",
                   std::string VMax = "") {
        HostileMap& M = Maps.back();
        M.UMin = std::move(UMin);
        M.UMax = std::move(UMax);
        M.VMin = std::move(VMin);
        M.VMax = std::move(VMax);
        return *this;
    }
    Corpus& Parameters(std::string P, std::string Q, std::string PMin = "",
                       std::string PMax = "", std::string QMin = "", std::string QMax = "") {
        HostileMap& M = Maps.back();
        M.P = std::move(P);
        M.Q = std::move(Q);
        M.PMin = std::move(PMin);
        M.PMax = std::move(PMax);
        M.QMin = std::move(QMin);
        M.QMax = std::move(QMax);
        return *this;
    }

private:
    Corpus& Add(int Kind, std::string X, std::string Y) {
        HostileMap M{};
        M.Category = Category;
        M.Kind = Kind;
        M.X = std::move(X);
        M.Y = std::move(Y);
        Maps.push_back(std::move(M));
        return *this;
    }

    std::vector<HostileMap>& Maps;
    const char* Category = "";
};

// ---- The groups ----------------------------------------------------------------------------

// Points and curves where a quotient or a function goes to infinity, some on grid lines.
void Poles(Corpus& C) {
    C.Group("pole");
    C.Real("1/u", "1/v");
    C.Real("u/(u^2+v^2)", "-v/(u^2+v^2)");
    C.Real("(u^2-v^2)/(u^2+v^2)^2", "-2u v/(u^2+v^2)^2");
    C.Real("1/(u^2+v^2)^3", "u v/(u^2+v^2)^3");
    C.Real("u^(-7)", "v^(-8)");
    C.Real("tan(u)", "tg(v)").Domain("1.5", "1.65", "pi/2-0.05", "pi/2+0.05");
    C.Real("tan(pi/2*u)", "cotg(pi v)");
    C.Real("1/sin(10u)", "1/cos(10v)");
    C.Real("u/(u-v)", "v/(u+v)");
    C.Real("1/(u-p)", "1/(v-q)");
    C.Real("1/(u^2+v^2-0.25)", "u/(u^2+v^2-0.25)");
    C.Real("1/0", "u/(v-v)");
    C.Real("atanh(u)", "argth(v)");
    C.Real("ln(abs(u))", "log(u^2+v^2)");
    C.Real("cot(u)", "cotan(v)");

    C.Complex("1/z");
    C.Complex("1/(z-0.3)");
    C.Complex("z^(-7)");
    C.Complex("z^(-50)");
    C.Complex("1/(z^2+1)").Domain("-2", "2", "-2", "2");
    C.Complex("1/(z^3-1)");
    C.Complex("tan(z)").Domain("1", "2", "-0.5", "0.5");
    C.Complex("cot(z)");
    C.Complex("1/(z-p)");
    C.Complex("(z+1)/(z-1)").Domain("0", "2");
    C.Complex("1/sin(pi z)").Domain("-3", "3");
    C.Complex("1/(z(z+1)(z+2)(z+3)(z+4))").Domain("-5", "1");
    C.Complex("1/(z-z)");
}

// Singularities near which the map takes nearly every value infinitely often.
void EssentialSingularities(Corpus& C) {
    C.Group("essential singularity");
    C.Real("sin(1/u)", "cos(1/v)");
    C.Real("sin(1/u)", "sen(1/v)").Domain("-0.000001", "0.000001", "-0.000001", "0.000001");
    C.Real("exp(1/u)", "exp(-1/v^2)");
    C.Real("exp(-1/(u^2+v^2))", "u sin(1/(u^2+v^2))");
    C.Real("sin(1/(u v))", "cos(1/(u-v))");
    C.Real("u^2 sin(1/u)", "v^2 cos(1/v)");
    C.Real("tan(1/u)", "cot(1/v)");
    C.Real("exp(1/u)cos(1/v)", "exp(1/u)sin(1/v)");
    C.Real("ln(abs(sin(1/u)))", "v");
    C.Real("sin(1/(u-p))", "sin(1/(v-q))");
    C.Real("sin(1/sin(1/u))", "v");

    C.Complex("exp(1/z)");
    C.Complex("exp(1/z)").Domain("-0.000001", "0.000001", "-0.000001", "0.000001");
    C.Complex("sin(1/z)");
    C.Complex("cos(1/(z^2))");
    C.Complex("exp(-1/z^4)");
    C.Complex("exp(1/(z-p))");
    C.Complex("z exp(1/z)");
    C.Complex("tan(1/z)");
    C.Complex("sinh(1/z)+cosh(1/z^2)");
    C.Complex("exp(z+1/z)").Domain("-3", "3", "-3", "3");
    C.Complex("sin(1/sin(1/z))");
}

// Values beyond the double range, and overflows that turn into infinities or NaNs on the way.
void Overflows(Corpus& C) {
    C.Group("overflow");
    C.Real("exp(exp(u*50))", "exp(exp(v*50))");
    C.Real(Nested("sqr", 10, "10u"), Nested("sqr", 10, "10v"));
    C.Real("cosh(1000u)", "sinh(1000v)");
    C.Real("(10u)^300", "(10v)^301");
    C.Real("u^2^2^2^2^2^2^2^2^2^2^2", "v^2^2^2^2^2^2^2^2^2^2^2").Domain("-2", "2", "-2", "2");
    C.Real("u^1000000000", "v^(-1000000000)");
    C.Real("u^" + TenTo(300), "v");
    C.Real(TenTo(400) + "u", "v");
    C.Real("10^200*10^200/10^300*u", "v");
    C.Real("0*10^400+u", "10^400-10^400+v");
    C.Real("1/(u-u)*10^300", "v");
    C.Real("tan(u)^100", "tan(v)^101").Domain("1.5", "1.65", "1.5", "1.65");
    C.Real("exp(u)^50", "exp(v)^(-50)").Domain("-100", "100", "-100", "100");
    C.Real(Nested("sinh", 3, "10u"), Nested("sh", 3, "10v"));

    C.Complex("z^200").Domain("-3", "3", "-3", "3");
    C.Complex("z^400").Domain("-10", "10", "-10", "10");
    C.Complex("z" + Repeat("^2", 10)).Domain("-2", "2", "-2", "2");
    C.Complex("z^" + TenTo(300));
    C.Complex("exp(exp(z))").Domain("-5", "5", "-5", "5");
    C.Complex("cosh(1000z)");
    C.Complex(Nested("sinh", 3, "10z"));
    C.Complex("exp(z)^50").Domain("-100", "100");
    C.Complex("(" + TenTo(200) + "z)^2");
    C.Complex("10^300*10^300-10^300*10^300+z");
    C.Complex("(1+i)^1000000 z");
    C.Complex("1/(z-z)*10^300");
    C.Complex("tan(z)^100").Domain("1.5", "1.65", "-0.01", "0.01");
}

// Values below the double range: zeros, denormals and images far narrower than any pixel.
void Underflows(Corpus& C) {
    C.Group("underflow");
    C.Real("exp(-exp(40u))", "exp(-exp(40v))");
    C.Real(TenToMinus(300) + "u", TenToMinus(300) + "v");
    C.Real("u/10^300", "v/10^300");
    C.Real("u*10^(-320)", "v*10^(-320)");
    C.Real("(" + TenToMinus(200) + "u)^2", "(" + TenToMinus(200) + "v)^2");
    C.Real(TenToMinus(400) + "u", "v");
    C.Real("u^1000", "v^1001");
    C.Real("exp(-1000u^2)", "exp(-1000v^2)");
    C.Real("u exp(-100)", "v exp(-100)");

    C.Complex("exp(-exp(40z))");
    C.Complex(TenToMinus(300) + "z");
    C.Complex("z/10^300");
    C.Complex("z*10^(-320)");
    C.Complex("(" + TenToMinus(200) + "z)^2");
    C.Complex("exp(-1000z^2)");
    C.Complex("z^1000").Domain("-0.9", "0.9", "-0.9", "0.9");
    C.Complex("exp(-100)z");
}

// Maps whose image is a single point, exact or blurred by rounding.
void Constants(Corpus& C) {
    C.Group("constant");
    C.Real("1", "1");
    C.Real("0", "0");
    C.Real("p", "p");
    C.Real("p", "q").Parameters("0", "0");
    C.Real("u-u", "v-v");
    C.Real("u^0", "v^0");
    C.Real("sin(u)^2+cos(u)^2", "cosh(v)^2-sinh(v)^2");
    C.Real(TenTo(15), "-" + TenTo(15));

    C.Complex("3");
    C.Complex("0");
    C.Complex("p");
    C.Complex("(3+4i)");
    C.Complex("i");
    C.Complex("z-z");
    C.Complex("z^0");
    C.Complex("sin(z)^2+cos(z)^2");
}

// Maps that flatten the domain onto a curve: the Jacobian vanishes everywhere.
void Collapsed(Corpus& C) {
    C.Group("collapsed");
    C.Real("u+v", "u+v");
    C.Real("sin(u+v)", "cos(u+v)");
    C.Real("u", "0");
    C.Real("u^2", "u^3");

    C.Complex("abs(z)");
    C.Complex("z+c(z)");
    C.Complex("z conj(z)");
    C.Complex("i mod(z)");
}

// Every point outside the function's domain, so only the extended values are ever seen.
void DefinedNowhere(Corpus& C) {
    C.Group("defined nowhere");
    C.Real("sqrt(-1-u^2)", "sqrt(-1-v^2)");
    C.Real("ln(-1-u^2)", "log(-1-v^2)");
    C.Real("asin(5+u)", "acos(5+v)");
    C.Real("acosh(u-5)", "atanh(3+v)");
    C.Real("sqrt(-exp(u))", "ln(-abs(v)-1)");
    C.Real("(-1-u^2)^0.5", "(-1-v^2)^(1/3)");
    C.Real("sqrt(-1-u^2)/sqrt(-1-v^2)", "1/sqrt(-1-u^2)");
    C.Real("asin(2+u^2)+acos(-2-v^2)", "argch(-u^2)");

    C.Complex("ln(z-z)");
    C.Complex("(z-z)^(-3)");
    C.Complex("(z-z)/(z-z)");
    C.Complex("arctanh(1+0z)");
    C.Complex("arg(z-z)");
    C.Complex("cot(z-z)");
}

// Functions defined, or doing anything at all, only on a sliver of the domain.
void ThinStrips(Corpus& C) {
    C.Group("thin strip");
    C.Real("sqrt(0.0001-u^2)", "v");
    C.Real("ln(u-0.999)", "v");
    C.Real("u+sqrt(0.000000000001-u^2-v^2)", "v+sqrt(0.000000000001-u^2-v^2)");
    C.Real("asin(1000u)", "acos(1000v)");
    C.Real("atanh(1000u)", "v");
    C.Real("sqrt(-(u-v)^2)", "u+v");
    C.Real("(u-0.9999)^0.5", "(v-0.9999)^0.5");
    C.Real("sqrt(abs(u)-0.9999)", "sqrt(abs(v)-0.9999)");

    C.Complex("sqrt(0.0001-z^2)");
    C.Complex("ln(z-0.999)");
    C.Complex("arcsin(1000z)");
    C.Complex("atanh(1000z)");
    C.Complex("z^2").Domain("-1", "1", "-0.000000001", "0.000000001");
}

// Nesting of calls, parentheses, quotients and powers on both sides of the compiler's limit,
// deep evaluation stacks, unbalanced parentheses, and deep formulas in the bound fields.
void DeepNesting(Corpus& C) {
    C.Group("deep nesting");
    C.Real(Nested("sin", 150, "u"), Nested("cos", 150, "v"));
    C.Real(Nested("sin", 300, "u"), "v");
    C.Real(Wrap("(", 150, "u+v"), Wrap("(", 150, "u-v"));
    C.Real(Wrap("(", 300, "u+v"), "v");
    C.Real(Wrap("(", 200, "u"), Wrap("(", 200, "v"));
    C.Real(Wrap("(", 201, "u"), "v");
    C.Real(NestedCycle({"sqrt", "exp", "ln"}, 150, "u"),
           NestedCycle({"atan", "tanh", "asinh"}, 150, "v"));
    C.Real(Wrap("1/(1+", 150, "u"), Wrap("1/(1+", 150, "v"));
    C.Real(Wrap("u+(", 150, "v"), Wrap("cos(v)*(", 150, "u"));
    C.Real(Wrap("-(", 150, "u"), Wrap("-(", 151, "v"));
    C.Real(Wrap("(", 60, "u", ")^2"), "v");
    C.Real(Wrap("(", 100, "u", ")^2"), "v");
    C.Real(Wrap("(", 6, "u", "+1)^3"), "v");
    C.Real(Wrap("(", 30, "u", "+1)^3"), "v");
    C.Real("u" + Repeat("^0.5", 150), "v" + Repeat("^v", 150));
    C.Real(Repeat("(", 300) + "u", "v");
    C.Real("u" + Repeat(")", 300), "v");
    C.Real("u", "v").Domain("-1", Nested("cos", 150, "0"));
    C.Real("u", "v").Domain(Wrap("(", 300, "-1"), "1");

    C.Complex(Nested("sin", 150, "z"));
    C.Complex(Nested("sin", 300, "z"));
    C.Complex(Wrap("(", 150, "z+p"));
    C.Complex(Wrap("(", 300, "z+p"));
    C.Complex(Wrap("(", 200, "z"));
    C.Complex(Wrap("(", 201, "z"));
    C.Complex(Nested("c", 150, "z"));
    C.Complex(NestedCycle({"sqrt", "exp", "ln"}, 150, "z"));
    C.Complex(Wrap("1/(1+", 150, "z"));
    C.Complex(Wrap("z+(", 150, "p"));
    C.Complex(Wrap("cos(z)*(", 150, "p"));
    C.Complex(Wrap("-(", 150, "z"));
    C.Complex(Wrap("(", 60, "z", ")^2"));
    C.Complex(Wrap("(", 6, "z", "+1)^3"));
    C.Complex(Wrap("(", 30, "z", "+1)^3"));
    C.Complex(Repeat("(", 300) + "z");
    C.Complex("z" + Repeat(")", 300));
}

// Distinct operands exactly at the limit and one beyond it, in sums, in exponents that the
// expansion of powers removes, in complex literals and in the second formula or a field; and
// many spellings of one value, which must share one slot.
void OperandLimits(Corpus& C) {
    C.Group("operand limit");
    // u, v, p and q take four operand numbers, leaving 249 for constants.
    C.Real("u+v+p+q+" + Series(2, 250, "#"), "u-v");
    C.Real("u+v+p+q+" + Series(2, 251, "#"), "u-v");
    C.Real("u", Series(2, 251, "#v", "-"));
    C.Real(Series(2, 250, "u^#"), "v");
    C.Real("u", Series(2, 251, "v^#"));
    C.Real(Respelled("0.5", 300, "u"), Respelled("1.0", 300, "v"));
    C.Real(BeyondPrecision(300, "u"), "v");
    // A field may name the eleven letters p..z, leaving 242 constants.
    C.Real("p u", "q v").Parameters("sin(" + Series(2, 243, "#") + ")", "");
    C.Real("p u", "q v").Parameters("", "sin(" + Series(2, 244, "#") + ")");

    // p and z take two operand numbers, leaving 251 for constants.
    C.Complex("p+z+" + Series(2, 252, "#"));
    C.Complex("p+z+" + Series(2, 253, "#"));
    C.Complex(Series(1, 251, "(#+#i)z"));
    C.Complex(Series(1, 252, "(#+#i)z"));
    C.Complex(Series(2, 252, "z^#"));
    C.Complex(Series(2, 253, "z^#"));
    C.Complex(Respelled("0.5", 300, "z"));
    C.Complex(BeyondPrecision(300, "z"));
    C.Complex("p z").Parameters("sin(" + Series(2, 243, "#") + ")", "");
    C.Complex("p z").Parameters("", "sin(" + Series(2, 244, "#") + ")");
}

// Texts just under and just over the compiler's token budget, oceans of blanks, numbers with
// thousands of digits and letter runs thousands of letters long.
void LongTexts(Corpus& C) {
    C.Group("long text");
    C.Real(Repeat("u", 10000, "+"), "v");
    C.Real(Repeat("u", 10001, "+"), "v");
    C.Real(Repeat(" \t\r\n", 25000) + "u", "v" + Repeat(" ", 100000));
    C.Real("u", Repeat(" ", 100000));
    C.Real("u+" + Repeat("0", 20000) + "2", "v*0." + Repeat("3", 20000));
    C.Real(Repeat("uv", 4000), "v");
    C.Real(Repeat("uv", 10000) + "sin(v)", "v");

    C.Complex(Repeat("z", 10000, "+"));
    C.Complex(Repeat("z", 10001, "+"));
    C.Complex(Repeat(" \t\r\n", 25000) + "z");
    C.Complex("z+" + Repeat("0", 20000) + "2" + "+0." + Repeat("3", 20000) + "i");
    C.Complex(Repeat("iz", 5000));
    C.Complex(Repeat("pz", 10000) + "sin(z)");
}

// Domains far larger than any formula expects, up to widths that no longer fit in a double.
void EnormousDomains(Corpus& C) {
    C.Group("enormous domain");
    C.Real("u", "v").Domain("-1000000000", "1000000000", "-1000000000", "1000000000");
    C.Real("sin(u)", "cos(v)").Domain("-10^15", "10^15", "-10^15", "10^15");
    C.Real("sin(u)", "cos(v)").Domain("10^20", "2*10^20");
    C.Real("exp(u)", "exp(v)").Domain("-1000000", "1000000", "-1000000", "1000000");
    C.Real("u^2-v^2", "2u v").Domain("-10^200", "10^200", "-10^200", "10^200");
    C.Real("ln(u)", "arctg(v)").Domain("0", "10^300", "-10^300", "10^300");
    C.Real("u", "v").Domain("-10^307", "10^307", "-10^307", "10^307");
    C.Real("u", "v").Domain("-10^308", "10^308", "-10^308", "10^308");
    C.Real("u", "v").Domain("-1", "10^309");

    C.Complex("z").Domain("-1000000000", "1000000000", "-1000000000", "1000000000");
    C.Complex("sin(z)").Domain("-10^15", "10^15", "-10^15", "10^15");
    C.Complex("sin(z)").Domain("10^20", "2*10^20");
    C.Complex("exp(z)").Domain("-1000000", "1000000", "-1000000", "1000000");
    C.Complex("z^2").Domain("-10^200", "10^200", "-10^200", "10^200");
    C.Complex("1/z").Domain("-10^300", "10^300", "-10^300", "10^300");
    C.Complex("ln(z)").Domain("-10^307", "10^307", "-10^307", "10^307");
    C.Complex("z").Domain("-10^308", "10^308", "-10^308", "10^308");
}

// Domains a few units in the last place wide, or narrower than that, or denormal.
void TinyDomains(Corpus& C) {
    C.Group("tiny domain");
    C.Real("u", "v").Domain("0.9999999995", "1.0000000005", "0.9999999995", "1.0000000005");
    C.Real("u^2", "v^2").Domain("1", "1.0000000000000002", "1", "1.0000000000000002");
    C.Real("u", "v").Domain("1", "1.0000000000000001");
    C.Real("u", "v").Domain("0", TenToMinus(300), "0", TenToMinus(300));
    C.Real("u", "v").Domain("0", TenToMinus(320));
    C.Real("u", "v").Domain("10^17", "10^17+16");
    C.Real("exp(u)", "ln(v)").Domain("1", "1.000000000001", "1", "1.000000000001");
    C.Real("u", "v").Domain("-1", "1", "0", "0.000000000001");

    C.Complex("z").Domain("0.9999999995", "1.0000000005", "-0.0000000005", "0.0000000005");
    C.Complex("z^2").Domain("1", "1.0000000000000002", "1", "1.0000000000000002");
    C.Complex("z").Domain("1", "1.0000000000000001");
    C.Complex("1/z").Domain("0", TenToMinus(300), "0", TenToMinus(300));
    C.Complex("z").Domain("0", TenToMinus(320));
    C.Complex("z").Domain("10^17", "10^17+16");
}

// Images that wind thousands of times across the domain, up to arguments where the sine is
// no longer computed to any precision.
void Oscillations(Corpus& C) {
    C.Group("oscillation");
    C.Real("sin(1000u)cos(1000v)", "cos(1000u)sin(1000v)");
    C.Real("u+0.01sin(10000v)", "v+0.01cos(10000u)");
    C.Real("sin(10000(u^2+v^2))", "cos(10000u v)");
    C.Real("sin(exp(10u))", "v");
    C.Real("tan(1000u)", "tan(1000v)");
    C.Real("sin(" + TenTo(15) + "u)", "cos(" + TenTo(15) + "v)");
    C.Real("sin(" + TenTo(20) + "u)", "cos(" + TenTo(20) + "v)");
    C.Real("sin(p u)", "cos(q v)")
        .Parameters("1000000", "-1000000", "-1000000", "1000000", "-1000000", "1000000");

    C.Complex("sin(1000z)");
    C.Complex("exp(1000iz)");
    C.Complex("exp(10000iz^2)").Domain("-1", "1", "-0.001", "0.001");
    C.Complex("cos(100000z)").Domain("-1", "1", "-0.0001", "0.0001");
    C.Complex("z^1000");
    C.Complex("tan(1000z)");
    C.Complex("sin(" + TenTo(20) + "z)").Domain("-1", "1", "-" + TenToMinus(20), TenToMinus(20));
    C.Complex("exp(ipz)")
        .Parameters("1000000", "0", "-1000000", "1000000", "-1000000", "1000000");
}

// Jumps, kinks and near-steps: the curve sampler must not chase them forever.
void Discontinuities(Corpus& C) {
    C.Group("discontinuity");
    C.Real("abs(u)", "abs(v)");
    C.Real("atan(1000000u)", "atan(1000000v)");
    C.Real("u/abs(u)", "v/abs(v)");
    C.Real("u-atan(tan(pi u))/pi", "v-atan(tan(pi v))/pi");
    C.Real("abs(u)-abs(v)", "abs(u+v)-abs(u-v)");
    C.Real("atan(1/u)", "atan(1/v)");
    C.Real("asin(sin(10u))", "acos(cos(10v))");
    C.Real("tanh(1000000u)+v", "th(1000000v)+u");
    C.Real("(u+abs(u))/2+v", "abs(abs(abs(v)-0.5)-0.25)+u");

    C.Complex("z/abs(z)");
    C.Complex("z arg(z)");
    C.Complex("tanh(1000000z)");
    C.Complex("z abs(z-p)");
    C.Complex("c(z)/z");
    C.Complex("mod(z)+i arg(z)");
}

// Principal branches cut across the domain, and powers that would need a branch and are
// refused.
void BranchCuts(Corpus& C) {
    C.Group("branch cut");
    C.Real("atan(v/u)", "ln(u^2+v^2)/2");
    C.Real("acos(u/sqrt(u^2+v^2))", "sqrt(u^2+v^2)");
    C.Real("u^0.5", "v^(1/3)");
    C.Real("u^p", "v^q");
    C.Real("sqrt(u)", "ln(v)");

    C.Complex("sqrt(z)").Domain("-2", "2", "-2", "2");
    C.Complex("ln(z)").Domain("-2", "2", "-2", "2");
    C.Complex("arcsin(z/3)").Domain("-4", "4", "-4", "4");
    C.Complex("arccos(z)").Domain("-3", "3", "-3", "3");
    C.Complex("arccosh(z)").Domain("-3", "3", "-3", "3");
    C.Complex("arctanh(z)").Domain("-3", "3", "-3", "3");
    C.Complex("arctan(z)").Domain("-1", "1", "-3", "3");
    C.Complex("arccot(z)").Domain("-1", "1", "-3", "3");
    C.Complex("arcsinh(z)").Domain("-1", "1", "-3", "3");
    C.Complex("sqrt(z^2-1)").Domain("-2", "2", "-2", "2");
    C.Complex("ln(ln(z))").Domain("-2", "2", "-2", "2");
    C.Complex(Nested("sqrt", 20, "z")).Domain("-2", "2", "-2", "2");
    C.Complex("ln(exp(z))").Domain("-1", "1", "-10", "10");
    C.Complex("sqrt(-z)").Domain("-2", "2", "-0.000001", "0.000001");
    C.Complex("ln(z-p)");
    C.Complex("z^0.5");
    C.Complex("z^(1/2)");
    C.Complex("z^p");
}

// Parameters huge, tiny, at their bounds, in zero-width or reversed ranges, or outside them.
void ParameterExtremes(Corpus& C) {
    C.Group("parameter extreme");
    C.Real("p u", "q v")
        .Parameters("1000000", "-1000000", "-1000000", "1000000", "-1000000", "1000000");
    C.Real("p u^2 - v^3", "q v^2 - u^3").Parameters("-2", "2");
    C.Real("p u^2 - v^3", "q v^2 - u^3").Parameters("0.5", "-0.5", "0.5", "0.5", "-0.5", "-0.5");
    C.Real("p u", "q v").Parameters("10^300", "-10^300", "-10^300", "10^300", "-10^300", "10^300");
    C.Real("u/p", "v/q").Parameters(TenToMinus(300), "-" + TenToMinus(300), "0", TenToMinus(299),
                                    "-" + TenToMinus(299), "0");
    C.Real("u^p", "v^q")
        .Parameters("1000000", "-1000000", "-1000000", "1000000", "-1000000", "1000000");
    C.Real("exp(p u)", "exp(q v)").Parameters("1000", "-1000", "-1000", "1000", "-1000", "1000");
    C.Real("p u + q v", "q u - p v").Parameters("10^15", "", "10^15", "10^15+1");
    C.Real("p u", "q v").Parameters("0", "0", "-10^308", "10^308", "-10^308", "10^308");
    C.Real("p u", "q v").Parameters("10^309", "0", "-10^309", "10^309");
    C.Real("p u", "q v").Parameters("3", "");
    C.Real("p u", "q v").Parameters("0", "0", "2", "-2");

    C.Complex("z(1-p) + p cos(z)")
        .Parameters("1000000", "1000000", "-1000000", "1000000", "-1000000", "1000000");
    C.Complex("z(1-p) + p cos(z)").Parameters("2", "-2");
    C.Complex("z(1-p) + p cos(z)").Parameters("0.5", "-0.5", "0.5", "0.5", "-0.5", "-0.5");
    C.Complex("p z").Parameters("10^300", "-10^300", "-10^300", "10^300", "-10^300", "10^300");
    C.Complex("exp(p z)").Parameters("1000", "0", "-1000", "1000");
    C.Complex("z^2+p").Parameters(TenToMinus(300), TenToMinus(300), "0", TenToMinus(299), "0",
                                  TenToMinus(299));
    C.Complex("1/(z-p)").Parameters("0", "0");
    C.Complex("p z").Parameters("0", "0", "-10^308", "10^308", "-10^308", "10^308");
    C.Complex("p z").Parameters("", "3");
    C.Complex("p z").Parameters("0", "0", "", "", "2", "-2");
}

std::vector<HostileMap> Build() {
    std::vector<HostileMap> Maps;
    Corpus C(Maps);
    Poles(C);
    EssentialSingularities(C);
    Overflows(C);
    Underflows(C);
    Constants(C);
    Collapsed(C);
    DefinedNowhere(C);
    ThinStrips(C);
    DeepNesting(C);
    OperandLimits(C);
    LongTexts(C);
    EnormousDomains(C);
    TinyDomains(C);
    Oscillations(C);
    Discontinuities(C);
    BranchCuts(C);
    ParameterExtremes(C);
    return Maps;
}

}  // namespace

const std::vector<HostileMap>& HostileMaps() {
    static const std::vector<HostileMap> Maps = Build();
    return Maps;
}

void PutOnScene(TorvaneScene& T, const HostileMap& M) {
    if (M.Kind == 1) {
        T.OnFunctionType(1);
        T.OnGeometryMenu();  // the locus on, for complex maps too
    }
    auto Fill = [&T](EditField F, const std::string& Text) {
        if (!Text.empty()) T.Text(F) = Text;
    };
    T.Text(EditField::F1Edit) = M.X;
    if (M.Kind == 0) T.Text(EditField::F2Edit) = M.Y;
    Fill(EditField::uMinEdit, M.UMin);
    Fill(EditField::uMaxEdit, M.UMax);
    Fill(EditField::vMinEdit, M.VMin);
    Fill(EditField::vMaxEdit, M.VMax);
    T.Text(EditField::pValue) = M.P.empty() ? "0.5" : M.P;
    T.Text(EditField::qValue) = M.Q.empty() ? "-0.5" : M.Q;
    Fill(EditField::pMinEdit, M.PMin);
    Fill(EditField::pMaxEdit, M.PMax);
    Fill(EditField::qMinEdit, M.QMin);
    Fill(EditField::qMaxEdit, M.QMax);
}
