// Builds the shared formula corpus: the generator of random formula trees, the printer that
// writes each tree in any of the notations the language accepts, and the test points, all
// drawn from one fixed seed so that every run and every platform sees the same formulas.
#include "FormulaCorpus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace formula_corpus {

// clang-format off
const std::vector<std::vector<const char*>> Spellings = {
    {"cos"}, {"sin", "sen"}, {"exp"}, {"sqr"}, {"sqrt"}, {"ln", "log"}, {"tg", "tan"},
    {"sh", "sinh"}, {"ch", "cosh"}, {"th", "tanh"},
    {"arcsen", "asen", "arcsin", "asin"}, {"arccos", "acos", "arcos"},
    {"arctg", "arctan", "atan"}, {"abs"}, {"cotg", "cotan", "cot"},
    {"argch", "acosh", "arccosh", "argcosh"}, {"arctanh", "argtanh", "argth", "atanh"},
    {"arcsinh", "asinh", "argsh", "argsinh"},
};
// clang-format on

namespace {

// ---- Generating formula trees --------------------------------------------------------------

NodePtr Make(Kind K, NodePtr A = nullptr, NodePtr B = nullptr) {
    auto N = std::make_unique<Node>();
    N->K = K;
    N->A = std::move(A);
    N->B = std::move(B);
    return N;
}

class Generator {
public:
    explicit Generator(Random& R) : R(R) {}

    NodePtr Formula() {
        Budget = 8 + R.Below(40);
        int Shape = R.Below(100);
        if (Shape < 6) return LongChain();
        if (Shape < 14) return DeepChain();
        return Expression(2 + R.Below(4));
    }

private:
    NodePtr NumberLeaf(bool NonInteger) {
        auto N = Make(Kind::Number);
        int Form = R.Below(10);
        if (!NonInteger && Form < 3) {
            N->Text = std::to_string(R.Below(13));
        } else if (!NonInteger && Form == 3) {
            static const char* Wide[] = {"60", "100", "1000", "52", "0.001", "0.0001", "1.5"};
            N->Text = R.Pick(Wide);
        } else {
            // At least one non-zero digit after the point, so the value is never an integer.
            N->Text = std::to_string(R.Below(NonInteger ? 4 : 10)) + ".";
            int Digits = 1 + R.Below(3);
            for (int I = 1; I < Digits; ++I) N->Text += static_cast<char>('0' + R.Below(10));
            N->Text += static_cast<char>('1' + R.Below(9));
        }
        N->Value = std::strtod(N->Text.c_str(), nullptr);
        return N;
    }

    NodePtr Leaf() {
        int Which = R.Below(100);
        if (Which < 26) return Letter(Kind::Variable, 0);
        if (Which < 50) return Letter(Kind::Variable, 1);
        if (Which < 58) return Letter(Kind::Parameter, 0);
        if (Which < 66) return Letter(Kind::Parameter, 1);
        if (Which < 71) return Make(Kind::Pi);
        return NumberLeaf(false);
    }

    NodePtr Letter(Kind K, int Index) {
        auto N = Make(K);
        N->Index = Index;
        return N;
    }

    NodePtr Binary(int Depth) {
        static const Kind Ops[] = {Kind::Add, Kind::Subtract, Kind::Multiply, Kind::Divide};
        Kind K = R.Pick(Ops);
        auto A = Expression(Depth - 1);
        return Make(K, std::move(A), Expression(Depth - 1));
    }

    NodePtr Function(NodePtr Argument) {
        auto N = Make(Kind::Function, std::move(Argument));
        N->F = static_cast<Fn>(R.Below(static_cast<int>(Fn::Count)));
        return N;
    }

    NodePtr IntegerPower(NodePtr Base) {
        static const int Exponents[] = {2, 2, 3, 3, 4, 5, 6, 7, 10, 0, 1, -1, -2, -3, -4, -5};
        auto N = Make(Kind::IntegerPower, std::move(Base));
        N->Index = R.Pick(Exponents);
        return N;
    }

    NodePtr RealPower(NodePtr Base, int Depth) {
        NodePtr Exponent;
        int Which = R.Below(100);
        if (Which < 40) {
            Exponent = NumberLeaf(true);
        } else if (Which < 50) {
            Exponent = Make(Kind::Negate, NumberLeaf(true));
        } else if (Which < 70) {
            Exponent = Letter(Kind::Parameter, R.Below(2));
        } else if (Which < 78) {
            Exponent = Letter(Kind::Variable, R.Below(2));
        } else if (Which < 82) {
            Exponent = Make(Kind::Pi);
        } else {
            // Any expression but a lone constant, which the language would read as an
            // integer exponent when its value happens to be one.
            Exponent = Expression(Depth - 1);
            if (Exponent->K == Kind::Number ||
                (Exponent->K == Kind::Negate && Exponent->A->K == Kind::Number))
                Exponent = Function(std::move(Exponent));
        }
        return Make(Kind::RealPower, std::move(Base), std::move(Exponent));
    }

    NodePtr Expression(int Depth) {
        --Budget;
        if (Depth <= 0 || Budget <= 0 || R.Chance(0.2)) return Leaf();
        int Which = R.Below(100);
        if (Which < 40) return Binary(Depth);
        if (Which < 66) return Function(Expression(Depth - 1));
        if (Which < 78) return IntegerPower(R.Chance(0.6) ? Leaf() : Expression(Depth - 1));
        if (Which < 88) return RealPower(R.Chance(0.6) ? Leaf() : Expression(Depth - 1), Depth);
        return Make(Kind::Negate, Expression(Depth - 1));
    }

    // A small term of a long sum or product.
    NodePtr Term() {
        int Which = R.Below(10);
        if (Which < 4) return Leaf();
        if (Which < 6) return Make(Kind::Multiply, Leaf(), Leaf());
        if (Which < 8) return Function(Leaf());
        return IntegerPower(Leaf());
    }

    // Sums and products of 10 to 40 terms: long postfix code at a shallow stack depth.
    NodePtr LongChain() {
        bool Sum = R.Chance(0.6);
        int Terms = 10 + R.Below(31);
        NodePtr N = Term();
        for (int I = 1; I < Terms; ++I) {
            Kind K = Sum ? (R.Chance(0.6) ? Kind::Add : Kind::Subtract)
                         : (R.Chance(0.8) ? Kind::Multiply : Kind::Divide);
            // Keep products of many terms near 1 so that they neither vanish nor overflow.
            NodePtr T = Sum ? Term() : Function(Term());
            N = Make(K, std::move(N), std::move(T));
        }
        return N;
    }

    // a op (b op (c op ...)): every operand waits on the stack, 9 to 20 of them, so that the
    // native programs must move entries between the eight registers and memory.
    NodePtr DeepChain() {
        static const Kind Ops[] = {Kind::Add, Kind::Subtract, Kind::Multiply, Kind::Divide};
        int Length = 8 + R.Below(13);
        NodePtr Innermost = R.Chance(0.5) ? Function(Expression(2)) : Leaf();
        for (int I = 0; I < Length; ++I) {
            NodePtr Left = R.Chance(0.7) ? Leaf() : Function(Leaf());
            NodePtr Right = std::move(Innermost);
            if (R.Chance(0.25)) Right = Function(std::move(Right));
            Innermost = Make(R.Pick(Ops), std::move(Left), std::move(Right));
        }
        return Innermost;
    }

    Random& R;
    int Budget = 0;
};

// ---- Printing: every notation the language accepts ------------------------------------------

bool IsDigit(char C) { return C >= '0' && C <= '9'; }
bool IsLetter(char C) { return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z'); }

class Printer {
public:
    Printer(Random& R, std::set<std::string>& Used) : R(R), UsedSpellings(Used) {}

    std::string Print(const Node& N) {
        std::string S = Emit(N, Sum, true);
        int Style = R.Below(4);  // lower case, upper case, mixed, as generated
        for (char& C : S) {
            if (!IsLetter(C)) continue;
            bool Upper = Style == 1 || (Style == 2 && R.Chance(0.5));
            C = static_cast<char>(Upper ? std::toupper(static_cast<unsigned char>(C)) : C);
        }
        return S;
    }

private:
    enum Level { Sum = 0, Product = 1, Power = 2, Atom = 3 };

    static int LevelOf(const Node& N) {
        switch (N.K) {
            case Kind::Add:
            case Kind::Subtract:
                return Sum;
            case Kind::Multiply:
            case Kind::Divide:
            case Kind::Negate:
                return Product;
            case Kind::IntegerPower:
            case Kind::RealPower:
                return Power;
            default:
                return Atom;
        }
    }

    std::string Blank() {
        int Which = R.Below(40);
        if (Which < 32) return "";
        if (Which < 38) return " ";
        return Which == 38 ? "\t" : "  ";
    }

    std::string Wrap(const std::string& Inside) {
        int Which = R.Below(20);
        if (Which == 0) return "[" + Blank() + Inside + Blank() + "]";
        if (Which == 1) return "{" + Blank() + Inside + Blank() + "}";
        return "(" + Blank() + Inside + Blank() + ")";
    }

    std::string NumberText(const Node& N) {
        std::string S = N.Text;
        int Which = R.Below(20);
        size_t Dot = S.find('.');
        if (Dot != std::string::npos && Which == 0) S[Dot] = ',';
        if (Dot != std::string::npos && Which == 1) S[Dot] = '\'';
        if (Which == 2) S = "0" + S;
        return S;
    }

    // AtStart: nothing has been written since the last "(" or the start of the formula, the
    // only places where a unary minus may stand.
    std::string Emit(const Node& N, int Need, bool AtStart) {
        bool Negation = N.K == Kind::Negate;
        if (LevelOf(N) < Need || (Negation && !AtStart) || R.Chance(0.02))
            return Wrap(Emit(N, Sum, true));
        if (AtStart && R.Chance(0.02)) return "+" + Blank() + Emit(N, Need, true);
        switch (N.K) {
            case Kind::Number:
                return NumberText(N);
            case Kind::Pi:
                return R.Chance(0.5) ? "pi" : "Pi";
            case Kind::Variable:
                return N.Index == 0 ? "u" : "v";
            case Kind::Parameter:
                return N.Index == 0 ? "p" : "q";
            case Kind::Negate:
                // "-a^2" is -(a^2) and "-a*b" is (-a)*b: the minus takes the power-level
                // operand that follows it.
                return "-" + Blank() + Emit(*N.A, Power, false);
            case Kind::Add:
            case Kind::Subtract:
                return Emit(*N.A, Sum, AtStart) + Blank() + (N.K == Kind::Add ? "+" : "-") +
                       Blank() + Emit(*N.B, Product, false);
            case Kind::Multiply: {
                std::string Left = Emit(*N.A, Product, AtStart);
                std::string Right = Emit(*N.B, Power, false);
                return Left + ProductSign(Left, Right) + Right;
            }
            case Kind::Divide:
                return Emit(*N.A, Product, AtStart) + Blank() + (R.Chance(0.1) ? "\\" : "/") +
                       Blank() + Emit(*N.B, Power, false);
            case Kind::IntegerPower:
                return Emit(*N.A, Atom, false) + PowerSign() + IntegerExponent(N.Index);
            case Kind::RealPower:
                return Emit(*N.A, Atom, false) + PowerSign() + Emit(*N.B, Atom, false);
            case Kind::Function: {
                const auto& Names = Spellings[static_cast<size_t>(N.F)];
                std::string Name =
                    Names[static_cast<size_t>(R.Below(static_cast<int>(Names.size())))];
                UsedSpellings.insert(Name);
                return Name + Blank() + Wrap(Emit(*N.A, Sum, true));
            }
        }
        return "";
    }

    std::string PowerSign() { return Blank() + (R.Chance(0.2) ? "**" : "^") + Blank(); }

    std::string IntegerExponent(int E) {
        std::string Digits = std::to_string(std::abs(E));
        if (R.Chance(0.1)) Digits += ".0";
        if (E < 0) return "(" + Blank() + "-" + Digits + Blank() + ")";
        return R.Chance(0.15) ? "(" + Digits + ")" : Digits;
    }

    // "*", or the implicit product where the two texts can be written side by side: digits
    // next to digits need a blank between them ("2 3" is 6, "23" is not).
    std::string ProductSign(const std::string& Left, const std::string& Right) {
        if (R.Chance(0.5)) return Blank() + "*" + Blank();
        bool DigitsMeet = IsDigit(Left.back()) && IsDigit(Right.front());
        if (DigitsMeet || R.Chance(0.3)) return R.Chance(0.5) ? " " : "\t";
        return "";
    }

    Random& R;
    std::set<std::string>& UsedSpellings;
};

// ---- Test points ---------------------------------------------------------------------------

// Mostly ordinary values, often the edges of the safe extensions (0, ±1, the exponential
// cut near 52, far outside at ±60 and ±1000), sometimes just beside them, and the places where
// the engines switch to short-argument formulas (|x| = 1/8, 1/4, ln 2, give or take an ulp).
double Coordinate(Random& R) {
    static const double Pi = 3.141592653589793;
    static const double Notable[] = {0.0, -0.0, 1.0,  -1.0,   0.5, -0.5,
                                     2.0, -2.0, 1e-9, Pi / 2, Pi,  -Pi};
    static const double Large[] = {60.0, -60.0, 1e3, -1e3, 52.0, -52.0, 37.5, 1e6};
    static const double Switches[] = {0.125, 0.25,   0.6931471805599453,
                                      1e-20, 1e-300, 4.9406564584124654e-324};
    int Which = R.Below(100);
    if (Which < 50) return R.Between(-2.5, 2.5);
    if (Which < 66) return R.Pick(Notable);
    if (Which < 74) return R.Pick(Large);
    if (Which < 79) return 1.0 + (R.Chance(0.5) ? 1 : -1) * std::ldexp(1.0, -20 - R.Below(30));
    if (Which < 86) {
        double X = R.Pick(Switches) * (R.Chance(0.5) ? 1 : -1);
        int Side = R.Below(3);
        return Side == 0 ? X : std::nextafter(X, Side == 1 ? INFINITY : -INFINITY);
    }
    return R.Between(-12.0, 12.0);
}

double Direction(Random& R) {
    int Which = R.Below(10);
    if (Which == 0) return 0.0;
    if (Which == 1) return 1.0;
    return R.Between(-2.0, 2.0);
}

int FormulaCount() {
    // TORVANE_DIFFERENTIAL_FORMULAS asks for a longer soak; no setting runs fewer than the
    // 10,000 formulas of a normal run.
    int Count = 10000;
    if (const char* S = std::getenv("TORVANE_DIFFERENTIAL_FORMULAS"))
        Count = std::max(Count, std::atoi(S));
    return Count;
}

}  // namespace

const Corpus& Formulas() {
    static const Corpus C = [] {
        Corpus Result;
        Random R(0x7A3C5E1F00D5EEDull);
        Generator G(R);
        Printer Out(R, Result.Spellings);
        const int Count = FormulaCount();
        for (int I = 0; I < Count; ++I) {
            Case K;
            K.Tree = G.Formula();
            K.Text = Out.Print(*K.Tree);
            K.P = R.Chance(0.8) ? R.Between(-3.0, 3.0) : Coordinate(R);
            K.Q = R.Chance(0.8) ? R.Between(-3.0, 3.0) : Coordinate(R);
            int Points = 3;
            for (int J = 0; J < Points; ++J)
                K.Points.push_back({Coordinate(R), Coordinate(R), Direction(R), Direction(R),
                                    Direction(R), Direction(R)});
            Result.Cases.push_back(std::move(K));
        }
        return Result;
    }();
    return C;
}

bool Agree(double A, double B, double Relative) {
    // A finite result never agrees with an infinite one (the relative test would accept it).
    if (!std::isfinite(A) || !std::isfinite(B)) return !std::isfinite(A) && !std::isfinite(B);
    double Difference = std::fabs(A - B);
    return Difference <= 1e-300 || Difference <= Relative * std::max(std::fabs(A), std::fabs(B));
}

std::string Describe(const Case& K, const Point& X) {
    char Numbers[320];
    std::snprintf(Numbers, sizeof Numbers,
                  " with p=%.17g q=%.17g at u=%.17g v=%.17g h=(%.17g, %.17g) k=(%.17g, %.17g)", K.P,
                  K.Q, X.U, X.V, X.HU, X.HV, X.KU, X.KV);
    return "\"" + K.Text + "\"" + Numbers;
}

Results RunPrograms(TOCFunctDDDoubleSafe& F, const Point& X) {
    Results R;
    const double Values[2] = {X.U, X.V};
    const double FirstInput[4] = {X.U, X.V, X.HU, X.HV};
    const double SecondInput[6] = {X.U, X.V, X.HU, X.HV, X.KU, X.KV};
    R.Value = F.Evaluate(Values);
    F.EvaluateWithDerivative(FirstInput, R.First);
    F.EvaluateWithSecondDerivative(SecondInput, R.Second);
    F.EvaluateWithTwoDerivatives(SecondInput, R.Two);
    const double AlongKInput[4] = {X.U, X.V, X.KU, X.KV};
    F.EvaluateWithDerivative(AlongKInput, R.AlongK);
    return R;
}

void Compile(TOCFunctDDDoubleSafe& F, const Case& K, FormulaBackend Backend) {
    std::string Error;
    F.SelectBackend(Backend);
    F.Compile(K.Text, "uv", "pq", Error);
    const double Parameters[2] = {K.P, K.Q};
    F.SetParameters(Parameters);
    ASSERT_TRUE(Error.empty()) << "\"" << K.Text << "\" does not compile: " << Error;
}

}  // namespace formula_corpus
