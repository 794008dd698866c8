// Postfix code: written from a checked token string (operator precedence, unary minus,
// function calls), decoded once for the interpreters, measured for its stack depth, and shown
// in a readable form.
#include <cstring>
#include <string>
#include <vector>

#include "formula/language/FormulaLanguage.h"

namespace formula {
namespace {

class PostfixWriter {
public:
    explicit PostfixWriter(const TokenString& Tokens) : T(Tokens) {}
    bool Expression(size_t Lo, size_t Hi, int Depth) { return Split(Lo, Hi, "+-", 0, Depth); }
    std::string Out;

private:
    // Level 0: "+" "-", level 1: "*" "/". Left associative: each operator follows its
    // right operand.
    bool Split(size_t Lo, size_t Hi, const char* Ops, int Level, int Depth) {
        if (Lo >= Hi) return false;
        int Paren = 0;
        size_t Start = Lo;
        char PendingOp = 0;
        for (size_t I = Lo; I <= Hi; ++I) {
            bool AtEnd = I == Hi;
            if (!AtEnd) {
                char K = T[I].Kind;
                if (K == '(') ++Paren;
                if (K == ')') --Paren;
                if (Paren != 0 || std::strchr(Ops, K) == nullptr || K == 0 ||
                    T[I].Kind == ReferenceKind)
                    continue;
            }
            bool Ok = Level == 0 ? Split(Start, I, "*/", 1, Depth) : Power(Start, I, Depth);
            if (!Ok) return false;
            if (PendingOp) Out.push_back(PendingOp);
            if (!AtEnd) PendingOp = T[I].Kind;
            Start = I + 1;
        }
        return true;
    }

    bool Power(size_t Lo, size_t Hi, int Depth) {
        if (Lo >= Hi) return false;
        bool Negate = T[Lo].Kind == UnaryMinusKind;
        if (Negate) ++Lo;
        if (Lo >= Hi) return false;
        int Paren = 0;
        size_t Start = Lo;
        bool First = true;
        const size_t PowerStart = Out.size();  // code before this power is not touched
        for (size_t I = Lo; I <= Hi; ++I) {
            if (I < Hi) {
                char K = T[I].Kind;
                if (K == '(') ++Paren;
                if (K == ')') --Paren;
                if (Paren != 0 || K != Code(Opcode::Power)) continue;
            }
            if (First) {
                if (!Factor(Start, I, Depth)) return false;
                First = false;
            } else {
                // a^b is exp(b ln a): the exponent's code, then the base's, then "F*C".
                std::string Base = Out.substr(PowerStart);
                Out.resize(PowerStart);
                if (!Factor(Start, I, Depth)) return false;
                Out += Base;
                Out += "F*C";
            }
            Start = I + 1;
        }
        if (Negate) Out.push_back(UnaryMinusKind);
        return true;
    }

    bool Factor(size_t Lo, size_t Hi, int Depth) {
        if (Lo >= Hi || Depth > MaxNesting + 2) return false;
        const Token& F = T[Lo];
        if (F.Kind == '(') {
            if (MatchingClose(T, Lo, Hi) != Hi - 1) return false;
            return Expression(Lo + 1, Hi - 1, Depth + 1);
        }
        if (IsFunctionCode(F.Kind)) {
            if (Lo + 1 >= Hi || T[Lo + 1].Kind != '(' || MatchingClose(T, Lo + 1, Hi) != Hi - 1)
                return false;
            if (!Expression(Lo + 2, Hi - 1, Depth + 1)) return false;
            Out.push_back(F.Kind);
            return true;
        }
        if (Hi - Lo != 1 || !IsOperandCode(F.Kind)) return false;
        if (F.Kind == ReferenceKind) {
            Out.push_back(ReferenceKind);
            Out.push_back(static_cast<char>(F.Operand));
        } else {
            Out.push_back(F.Kind);
        }
        return true;
    }

    const TokenString& T;
};

}  // namespace

LanguageError ConvertToPostfix(const TokenString& Tokens, std::string& Postfix) {
    PostfixWriter Writer(Tokens);
    if (!Writer.Expression(0, Tokens.size(), 0)) return LanguageError::Syntax;
    Postfix = std::move(Writer.Out);
    return LanguageError::None;
}

std::vector<PostfixInstruction> DecodePostfix(const std::string& Postfix, int LetterCount) {
    std::vector<PostfixInstruction> Decoded;
    for (size_t I = 0; I < Postfix.size(); ++I) {
        char C = Postfix[I];
        switch (static_cast<Opcode>(C)) {
            case Opcode::Reference: {
                int N = I + 1 < Postfix.size() ? static_cast<unsigned char>(Postfix[++I]) : 0;
                if (N <= LetterCount)
                    Decoded.push_back({PostfixOp::Input, 0, N - 1});
                else
                    Decoded.push_back({PostfixOp::Constant, 0, N - LetterCount});
                break;
            }
            case Opcode::One: Decoded.push_back({PostfixOp::One, 0, 0}); break;
            case Opcode::Pi: Decoded.push_back({PostfixOp::Pi, 0, 0}); break;
            case Opcode::ImaginaryUnit: Decoded.push_back({PostfixOp::I, 0, 0}); break;
            case Opcode::Negate: Decoded.push_back({PostfixOp::Negate, 0, 0}); break;
            case Opcode::Add: Decoded.push_back({PostfixOp::Add, 0, 0}); break;
            case Opcode::Subtract: Decoded.push_back({PostfixOp::Subtract, 0, 0}); break;
            case Opcode::Multiply: Decoded.push_back({PostfixOp::Multiply, 0, 0}); break;
            case Opcode::Divide: Decoded.push_back({PostfixOp::Divide, 0, 0}); break;
            default: Decoded.push_back({PostfixOp::Function, C, 0}); break;
        }
    }
    return Decoded;
}

int PostfixDepth(const std::string& Postfix, bool& WellFormed) {
    int Depth = 0, Max = 0;
    WellFormed = true;
    for (size_t I = 0; I < Postfix.size(); ++I) {
        const char C = Postfix[I];
        const int Taken = ArityOfCode(C);
        if (Depth < Taken) WellFormed = false;
        Depth += 1 - Taken;
        Max = std::max(Max, Depth);
        // An operand reference carries its number in the next byte.
        if (C == ReferenceKind && ++I >= Postfix.size()) WellFormed = false;
    }
    if (Depth != 1) WellFormed = false;
    return Max;
}

std::string DescribePostfix(const std::string& Postfix) {
    std::string S;
    for (size_t I = 0; I < Postfix.size(); ++I) {
        if (!S.empty()) S.push_back(' ');
        if (Postfix[I] == ReferenceKind && I + 1 < Postfix.size()) {
            S += "#" + std::to_string(static_cast<unsigned char>(Postfix[++I]));
        } else {
            S.push_back(Postfix[I]);
        }
    }
    return S;
}

}  // namespace formula
