// The postfix code becomes an expression graph; the derivative is built on it by the chain
// rule with the trivial simplifications (zero and one), then written out as postfix code. Each
// function's derivative is the one of the branch the safe functions compute (the square root
// is the one with non-negative imaginary part, its derivative 1 / (2 sqrt z) with that root).
#include "formula/language/PostfixDerivative.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "formula/language/FormulaLanguage.h"

namespace formula {
namespace {

using F = ComplexFunction;

enum class Kind : uint8_t { Zero, One, Pi, I, Operand, Negate, Add, Subtract, Multiply, Divide,
                            Function };

struct Node {
    Kind K;
    char Fn = 0;       // the function's opcode
    int Operand = 0;   // the operand number (1-based: letters, then constants)
    int A = -1, B = -1;
};

class Graph {
public:
    std::vector<Node> Nodes;
    bool Failed = false;

    int Make(Node N) {
        // Beyond this many nodes the written code would pass its bound anyway.
        if (Nodes.size() >= 4 * MaxDerivativeCode) {
            Failed = true;
            return ZeroNode();
        }
        Nodes.push_back(N);
        return static_cast<int>(Nodes.size()) - 1;
    }
    int ZeroNode() { return 0; }  // node 0 is zero, node 1 is one
    int OneNode() { return 1; }
    bool IsZero(int N) const { return Nodes[static_cast<size_t>(N)].K == Kind::Zero; }
    bool IsOne(int N) const { return Nodes[static_cast<size_t>(N)].K == Kind::One; }

    int Neg(int A) {
        if (IsZero(A)) return A;
        const Node& N = Nodes[static_cast<size_t>(A)];
        if (N.K == Kind::Negate) return N.A;
        return Make({Kind::Negate, 0, 0, A, -1});
    }
    int Add(int A, int B) {
        if (IsZero(A)) return B;
        if (IsZero(B)) return A;
        return Make({Kind::Add, 0, 0, A, B});
    }
    int Sub(int A, int B) {
        if (IsZero(B)) return A;
        if (IsZero(A)) return Neg(B);
        return Make({Kind::Subtract, 0, 0, A, B});
    }
    int Mul(int A, int B) {
        if (IsZero(A) || IsZero(B)) return ZeroNode();
        if (IsOne(A)) return B;
        if (IsOne(B)) return A;
        return Make({Kind::Multiply, 0, 0, A, B});
    }
    int Div(int A, int B) {
        if (IsZero(A)) return A;
        if (IsOne(B)) return A;
        return Make({Kind::Divide, 0, 0, A, B});
    }
    int Fn(F Function, int A) { return Make({Kind::Function, Code(Function), 0, A, -1}); }
    int Two() { return Make({Kind::Add, 0, 0, OneNode(), OneNode()}); }
    int ImaginaryUnit() { return Make({Kind::I, 0, 0, -1, -1}); }
};

class Differentiator {
public:
    Differentiator(int Variable) : Var(Variable) {}

    bool Parse(const std::string& Postfix) {
        G.Nodes.push_back({Kind::Zero});
        G.Nodes.push_back({Kind::One});
        std::vector<int> Stack;
        std::vector<int> Depth;  // of each node's tree
        Depth.assign(2, 1);
        auto Push = [&](int N, int D) {
            Stack.push_back(N);
            if (Depth.size() <= static_cast<size_t>(N)) Depth.resize(static_cast<size_t>(N) + 1, 1);
            Depth[static_cast<size_t>(N)] = D;
            return D <= MaxDerivativeTreeDepth;
        };
        auto DepthOf = [&](int N) { return Depth[static_cast<size_t>(N)]; };
        for (size_t I = 0; I < Postfix.size(); ++I) {
            const char C = Postfix[I];
            int N = -1, D = 1;
            if (C == ReferenceKind) {
                if (I + 1 >= Postfix.size()) return false;
                N = G.Make({Kind::Operand, 0, static_cast<unsigned char>(Postfix[++I]), -1, -1});
            } else if (C == OneKind) {
                N = G.OneNode();
            } else if (C == PiKind) {
                N = G.Make({Kind::Pi});
            } else if (C == ImaginaryKind) {
                N = G.ImaginaryUnit();
            } else if (C == UnaryMinusKind || IsComplexFunctionCode(C)) {
                if (Stack.empty()) return false;
                if (C == Code(F::Conjugate) || C == Code(F::Modulus) || C == Code(F::Argument))
                    return false;
                const int A = Stack.back();
                Stack.pop_back();
                N = C == UnaryMinusKind ? G.Make({Kind::Negate, 0, 0, A, -1})
                                        : G.Make({Kind::Function, C, 0, A, -1});
                D = DepthOf(A) + 1;
            } else if (IsArithmeticCode(C)) {
                if (Stack.size() < 2) return false;
                const int B = Stack.back();
                Stack.pop_back();
                const int A = Stack.back();
                Stack.pop_back();
                const Kind K = C == Code(Opcode::Add)        ? Kind::Add
                               : C == Code(Opcode::Subtract) ? Kind::Subtract
                               : C == Code(Opcode::Multiply) ? Kind::Multiply
                                                             : Kind::Divide;
                N = G.Make({K, 0, 0, A, B});
                D = std::max(DepthOf(A), DepthOf(B)) + 1;
            } else {
                return false;
            }
            if (G.Failed || !Push(N, D)) return false;
        }
        if (Stack.size() != 1) return false;
        Root = Stack.back();
        return true;
    }

    // The derivative of the graph's root, as a node of the same graph.
    bool Derive(int& Result) {
        Memo.assign(G.Nodes.size(), -2);
        Result = D(Root);
        return !G.Failed;
    }

    bool Write(int N, std::string& Out) {
        Sizes.assign(G.Nodes.size(), 0);
        if (Size(N) > MaxDerivativeCode) return false;
        Out.clear();
        Out.reserve(Size(N));
        Emit(N, Out);
        return true;
    }

private:
    int D(int N) {
        if (N < static_cast<int>(Memo.size()) && Memo[static_cast<size_t>(N)] != -2)
            return Memo[static_cast<size_t>(N)];
        const Node Here = G.Nodes[static_cast<size_t>(N)];
        int R = G.ZeroNode();
        switch (Here.K) {
            case Kind::Zero: case Kind::One: case Kind::Pi: case Kind::I: break;
            case Kind::Operand: R = Here.Operand == Var ? G.OneNode() : G.ZeroNode(); break;
            case Kind::Negate: R = G.Neg(D(Here.A)); break;
            case Kind::Add: R = G.Add(D(Here.A), D(Here.B)); break;
            case Kind::Subtract: R = G.Sub(D(Here.A), D(Here.B)); break;
            case Kind::Multiply:
                R = G.Add(G.Mul(D(Here.A), Here.B), G.Mul(Here.A, D(Here.B)));
                break;
            case Kind::Divide: {
                const int DA = D(Here.A), DB = D(Here.B);
                // (a/b)' = a'/b - a b'/b^2
                R = G.IsZero(DB) ? G.Div(DA, Here.B)
                                 : G.Sub(G.Div(DA, Here.B),
                                         G.Div(G.Mul(Here.A, DB), G.Fn(F::Square, Here.B)));
                break;
            }
            case Kind::Function: {
                const int DA = D(Here.A);
                if (!G.IsZero(DA)) R = G.Mul(Outer(static_cast<F>(Here.Fn), Here.A, N), DA);
                break;
            }
        }
        if (Memo.size() < G.Nodes.size()) Memo.resize(G.Nodes.size(), -2);
        Memo[static_cast<size_t>(N)] = R;
        return R;
    }

    // The derivative of the function at its argument A (Self is the node f(A)).
    int Outer(F Function, int A, int Self) {
        auto Reciprocal = [this](int X) { return G.Div(G.OneNode(), X); };
        auto OneMinusSquare = [this, A] { return G.Sub(G.OneNode(), G.Fn(F::Square, A)); };
        auto OnePlusSquare = [this, A] { return G.Add(G.OneNode(), G.Fn(F::Square, A)); };
        switch (Function) {
            case F::Square: return G.Mul(G.Two(), A);
            case F::Sqrt: return Reciprocal(G.Mul(G.Two(), Self));
            case F::Sin: return G.Fn(F::Cos, A);
            case F::Cos: return G.Neg(G.Fn(F::Sin, A));
            case F::Exp: return Self;
            case F::Ln: return Reciprocal(A);
            case F::Sinh: return G.Fn(F::Cosh, A);
            case F::Cosh: return G.Fn(F::Sinh, A);
            case F::Tanh: return Reciprocal(G.Fn(F::Square, G.Fn(F::Cosh, A)));
            case F::Tan: return Reciprocal(G.Fn(F::Square, G.Fn(F::Cos, A)));
            case F::Cot: return G.Neg(Reciprocal(G.Fn(F::Square, G.Fn(F::Sin, A))));
            // The inverse functions through the function they invert, at their own value:
            // 1 / f'(f^-1(z)) holds on whichever branch the value program takes, where a
            // square root of 1 - z^2 would have to pick the branch's sign.
            case F::Arcsin: return Reciprocal(G.Fn(F::Cos, Self));
            case F::Arccos: return G.Neg(Reciprocal(G.Fn(F::Sin, Self)));
            case F::Arcsinh: return Reciprocal(G.Fn(F::Cosh, Self));
            case F::Arccosh: return Reciprocal(G.Fn(F::Sinh, Self));
            case F::Arctanh: return Reciprocal(OneMinusSquare());
            case F::Arctan: return Reciprocal(OnePlusSquare());
            case F::Arccot: return G.Neg(Reciprocal(OnePlusSquare()));
            case F::Conjugate: case F::Modulus: case F::Argument: break;
        }
        G.Failed = true;
        return G.ZeroNode();
    }

    // Written length of a node's code, saturating above the bound.
    size_t Size(int N) {
        size_t& S = Sizes[static_cast<size_t>(N)];
        if (S) return S;
        const Node& Here = G.Nodes[static_cast<size_t>(N)];
        size_t R = 0;
        switch (Here.K) {
            case Kind::Zero: R = 3; break;
            case Kind::Operand: R = 2; break;
            case Kind::One: case Kind::Pi: case Kind::I: R = 1; break;
            case Kind::Negate: case Kind::Function: R = Size(Here.A) + 1; break;
            default: R = Size(Here.A) + Size(Here.B) + 1; break;
        }
        S = std::min(R, MaxDerivativeCode + 1);
        return S;
    }

    void Emit(int N, std::string& Out) {
        const Node& Here = G.Nodes[static_cast<size_t>(N)];
        switch (Here.K) {
            case Kind::Zero: Out += {OneKind, OneKind, Code(Opcode::Subtract)}; return;
            case Kind::One: Out.push_back(OneKind); return;
            case Kind::Pi: Out.push_back(PiKind); return;
            case Kind::I: Out.push_back(ImaginaryKind); return;
            case Kind::Operand:
                Out.push_back(ReferenceKind);
                Out.push_back(static_cast<char>(Here.Operand));
                return;
            case Kind::Negate: Emit(Here.A, Out); Out.push_back(UnaryMinusKind); return;
            case Kind::Function: Emit(Here.A, Out); Out.push_back(Here.Fn); return;
            case Kind::Add: case Kind::Subtract: case Kind::Multiply: case Kind::Divide: break;
        }
        Emit(Here.A, Out);
        Emit(Here.B, Out);
        Out.push_back(Here.K == Kind::Add        ? Code(Opcode::Add)
                      : Here.K == Kind::Subtract ? Code(Opcode::Subtract)
                      : Here.K == Kind::Multiply ? Code(Opcode::Multiply)
                                                 : Code(Opcode::Divide));
    }

    Graph G;
    int Var;
    int Root = 0;
    std::vector<int> Memo;
    std::vector<size_t> Sizes;
};

}  // namespace

bool DifferentiateComplexPostfix(const std::string& Postfix, int LetterCount, int Variable,
                                 std::string& Result) {
    if (Variable < 1 || Variable > LetterCount) return false;
    Differentiator Work(Variable);
    int Derivative;
    if (!Work.Parse(Postfix) || !Work.Derive(Derivative)) return false;
    return Work.Write(Derivative, Result);
}

}  // namespace formula
