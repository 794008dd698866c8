// The formula front end: text to tokens, with the forgiving rules of the formula language
// (implicit products, several spellings, integer powers as products), the syntax check, and
// the whole translation; the postfix code itself is written in PostfixCode.cpp.
#include "formula/language/FormulaLanguage.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace formula {
namespace {

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\n' || C == '\r'; }
bool IsDigit(char C) { return C >= '0' && C <= '9'; }
bool IsLetter(char C) { return C >= 'A' && C <= 'Z'; }
char Upper(char C) { return (C >= 'a' && C <= 'z') ? static_cast<char>(C - 'a' + 'A') : C; }
bool IsBinaryOperator(char C) {
    return C == '+' || C == '-' || C == '*' || C == '/' || C == '^';
}

// Parses a run of digits with at most one "." (already checked) as a decimal number,
// independently of the locale. Numbers beyond the double range are refused.
bool ParseNumber(const std::string& Text, double& Value) {
    std::string Digits = Text;
    if (!Digits.empty() && Digits.back() == '.') Digits.pop_back();
    size_t IntegerDigits = Digits.find('.');
    if (IntegerDigits == std::string::npos) IntegerDigits = Digits.size();
    size_t Leading = 0;
    while (Leading < IntegerDigits && Digits[Leading] == '0') ++Leading;
    if (IntegerDigits - Leading > 308) return false;
    auto [End, Error] = std::from_chars(Digits.data(), Digits.data() + Digits.size(), Value);
    if (Error == std::errc::result_out_of_range) {
        Value = 0.0;  // only a tiny fraction can fall below the range here
        return true;
    }
    return Error == std::errc() && End == Digits.data() + Digits.size() && std::isfinite(Value);
}

// Finds the operand number of Value among the stored constants, storing it when new.
LanguageError StoreConstant(std::complex<double> Value, size_t LetterCount,
                            std::vector<std::complex<double>>& Constants, Token& Result) {
    if (Value == std::complex<double>(1.0, 0.0)) {
        Result = Token{OneKind};
        return LanguageError::None;
    }
    for (size_t J = 0; J < Constants.size(); ++J) {
        if (Constants[J].real() == Value.real() && Constants[J].imag() == Value.imag()) {
            Result = Token{ReferenceKind, static_cast<uint8_t>(LetterCount + J + 1)};
            return LanguageError::None;
        }
    }
    if (LetterCount + Constants.size() + 1 > static_cast<size_t>(MaxOperand))
        return LanguageError::TooManyConstants;
    Constants.push_back(Value);
    Result = Token{ReferenceKind, static_cast<uint8_t>(LetterCount + Constants.size())};
    return LanguageError::None;
}

// Reads a number starting at Pos; on return Pos is just past it.
LanguageError ReadNumber(const std::string& S, size_t& Pos, double& Value) {
    if (S[Pos] == '.') return LanguageError::MiswrittenNumber;
    size_t End = Pos;
    int Dots = 0;
    while (End < S.size() && (IsDigit(S[End]) || S[End] == '.')) {
        if (S[End] == '.' && ++Dots > 1) return LanguageError::MiswrittenNumber;
        ++End;
    }
    if (!ParseNumber(S.substr(Pos, End - Pos), Value)) return LanguageError::MiswrittenNumber;
    Pos = End;
    return LanguageError::None;
}

// A parenthesised complex literal "(a+bi)" or "(a-bi)", with an optional leading unary
// minus on a and b optionally left out. Returns false (Pos unchanged) when the text at Pos
// is not such a literal.
bool ReadComplexLiteral(const std::string& S, size_t& Pos, std::complex<double>& Value,
                        LanguageError& Error) {
    size_t P = Pos;
    if (P >= S.size() || S[P] != '(') return false;
    ++P;
    bool NegativeReal = false;
    if (P < S.size() && S[P] == UnaryMinusKind) {
        NegativeReal = true;
        ++P;
    }
    if (P >= S.size() || !IsDigit(S[P])) return false;
    double Re = 0.0;
    size_t Q = P;
    if (ReadNumber(S, Q, Re) != LanguageError::None) return false;
    if (Q >= S.size() || (S[Q] != '+' && S[Q] != '-')) return false;
    bool NegativeImaginary = S[Q] == '-';
    ++Q;
    double Im = 1.0;
    if (Q < S.size() && IsDigit(S[Q])) {
        if (ReadNumber(S, Q, Im) != LanguageError::None) return false;
        // Normalisation has written "7i" as "7*I".
        if (Q < S.size() && S[Q] == '*') ++Q;
    }
    if (Q + 1 >= S.size() || S[Q] != 'I' || S[Q + 1] != ')') return false;
    Value = {NegativeReal ? -Re : Re, NegativeImaginary ? -Im : Im};
    Pos = Q + 2;
    Error = LanguageError::None;
    return true;
}

// Splits a letter run into operand references, pi, the imaginary unit and one final
// function name, appending the tokens.
LanguageError SplitLetterRun(const std::string& Word, bool FollowedByParen,
                             const std::string& Letters, const LanguageRules& Rules,
                             TokenString& Out) {
    char Function = 0;
    std::string Prefix = Word;
    // A lone letter before "(" is a function only where a one-letter name exists (the
    // complex conjugate "c"); "u(v+1)" stays a product.
    if (FollowedByParen && Word.size() == 1 && FindKeyword(Rules.Keywords, Word)) {
        Out.push_back(Token{FindKeyword(Rules.Keywords, Word)->Code});
        return LanguageError::None;
    }
    if (FollowedByParen && Word.size() >= 2) {
        bool Found = false;
        for (size_t Start = 0; Start < Word.size() && !Found; ++Start) {
            if (const Keyword* K = FindKeyword(Rules.Keywords, Word.substr(Start))) {
                Function = K->Code;
                Prefix = Word.substr(0, Start);
                Found = true;
            }
        }
        if (!Found) FollowedByParen = false;
    } else {
        FollowedByParen = false;
    }
    // The prefix is read from its last letter back, so that "PI" is seen as pi even where
    // "P" is a letter of its own.
    TokenString Parts;
    for (int K = static_cast<int>(Prefix.size()) - 1; K >= 0; --K) {
        char L = Prefix[static_cast<size_t>(K)];
        size_t Position = Letters.find(L);
        Token Part;
        if (Position != std::string::npos) {
            Part = Token{ReferenceKind, static_cast<uint8_t>(Position + 1)};
        } else if (L == 'I' && K > 0 && Prefix[static_cast<size_t>(K) - 1] == 'P') {
            Part = Token{PiKind};
            --K;
        } else if (L == 'I' && Rules.ImaginaryUnit) {
            Part = Token{ImaginaryKind};
        } else {
            return LanguageError::MiswrittenName;
        }
        if (!Parts.empty()) Parts.push_back(Token{Code(Opcode::Multiply)});
        Parts.push_back(Part);
    }
    for (auto It = Parts.rbegin(); It != Parts.rend(); ++It) Out.push_back(*It);
    if (Function != 0) {
        if (!Prefix.empty()) Out.push_back(Token{Code(Opcode::Multiply)});
        Out.push_back(Token{Function});
    }
    return LanguageError::None;
}

enum class Kind { Open, Close, Operator, Minus, Operand, Function, Invalid };

Kind KindOf(const Token& T) {
    if (T.Kind == '(') return Kind::Open;
    if (T.Kind == ')') return Kind::Close;
    if (IsBinaryOperator(T.Kind)) return Kind::Operator;
    if (T.Kind == UnaryMinusKind) return Kind::Minus;
    if (IsOperandCode(T.Kind)) return Kind::Operand;
    if (IsFunctionCode(T.Kind)) return Kind::Function;
    return Kind::Invalid;
}

bool IsTermSeparator(char K) {
    return IsArithmeticCode(K) || K == Code(Opcode::Power);
}


int MaxParenDepth(const TokenString& T) {
    int Depth = 0, Max = 0;
    for (const Token& X : T) {
        if (X.Kind == '(') Max = std::max(Max, ++Depth);
        if (X.Kind == ')') --Depth;
    }
    return Max;
}

// Builds E(m) of the power expansion: "1", the base, or D(E(m div 2)) preceded by
// "base *" when m is odd. Iterative so that the depth is bounded by the caller's checks.
void AppendPowerText(const TokenString& Base, double M, char Square, TokenString& Out) {
    if (M == 0) {
        Out.push_back(Token{OneKind});
        return;
    }
    // Collect the binary digits from the most significant down.
    std::vector<bool> Odd;
    while (M > 1) {
        Odd.push_back(std::fmod(M, 2.0) == 1.0);
        M = std::floor(M / 2.0);
    }
    // E(1) = base; each digit wraps: [base *] D( inner ).
    TokenString Inner = Base;
    for (auto It = Odd.rbegin(); It != Odd.rend(); ++It) {
        TokenString Next;
        if (*It) {
            Next.insert(Next.end(), Base.begin(), Base.end());
            Next.push_back(Token{Code(Opcode::Multiply)});
        }
        Next.push_back(Token{Square});
        Next.push_back(Token{'('});
        Next.insert(Next.end(), Inner.begin(), Inner.end());
        Next.push_back(Token{')'});
        Inner.swap(Next);
        if (Inner.size() > MaxTokens) break;
    }
    Out.insert(Out.end(), Inner.begin(), Inner.end());
}

}  // namespace

size_t MatchingClose(const TokenString& T, size_t Open, size_t End) {
    int Depth = 0;
    for (size_t I = Open; I < End; ++I) {
        if (T[I].Kind == '(') ++Depth;
        if (T[I].Kind == ')' && --Depth == 0) return I;
    }
    return std::string::npos;
}

const Keyword* FindKeyword(std::span<const Keyword> Keywords, const std::string& Word) {
    for (const Keyword& K : Keywords)
        if (Word == K.Name) return &K;
    return nullptr;
}

LanguageError Normalise(const std::string& Text, std::string& Result) {
    Result.clear();
    bool AllBlank = true;
    for (char C : Text) AllBlank = AllBlank && IsBlank(C);
    if (AllBlank) return LanguageError::Empty;

    char Prev = '(', Raw = '(';
    int Depth = 0;
    for (size_t I = 0; I < Text.size(); ++I) {
        char C = Upper(Text[I]);
        auto Write = [&](char W) {
            Result.push_back(W);
            Prev = W;
        };
        if (IsBlank(C)) {
        } else if (IsDigit(C)) {
            if (Prev == ')' || IsLetter(Prev) || (IsDigit(Prev) && IsBlank(Raw))) Write('*');
            Write(C);
        } else if (IsLetter(C)) {
            if (Prev == ')' || IsDigit(Prev) || (IsLetter(Prev) && IsBlank(Raw))) Write('*');
            Write(C);
        } else if (C == '(' || C == '[' || C == '{') {
            if (Prev == ')' || IsDigit(Prev)) Write('*');
            Write('(');
            ++Depth;
        } else if (C == ')' || C == ']' || C == '}') {
            Write(')');
            --Depth;
        } else if (C == '/' || C == '\\') {
            Write('/');
        } else if (C == '.' || C == ',' || C == '\'') {
            Write('.');
        } else if (C == '^') {
            Write('^');
        } else if (C == '*') {
            if (Prev == '*') {
                Result.back() = '^';  // "**" is a power
                Prev = '^';
            } else {
                Write('*');
            }
        } else if (C == '+') {
            if (Prev != '(') Write('+');
        } else if (C == '-') {
            Write(Prev == '(' ? UnaryMinusKind : '-');
        } else {
            return LanguageError::BadCharacter;
        }
        Raw = C;
        if (I + 1 == Text.size() || Depth < 0)
            return Depth != 0 ? LanguageError::Parentheses : LanguageError::None;
    }
    return LanguageError::None;
}

LanguageError Tokenise(const std::string& S, const std::string& Letters,
                       const LanguageRules& Rules, TokenString& Tokens,
                       std::vector<std::complex<double>>& Constants) {
    Tokens.clear();
    size_t Pos = 0;
    while (Pos < S.size()) {
        char C = S[Pos];
        // A complex literal cannot be a function's parentheses: cos(3+7i) keeps them.
        if (C == '(' && Rules.ComplexLiterals &&
            (Tokens.empty() || !IsFunctionCode(Tokens.back().Kind))) {
            std::complex<double> Value;
            LanguageError Error = LanguageError::None;
            if (ReadComplexLiteral(S, Pos, Value, Error)) {
                Token T;
                if (auto E = StoreConstant(Value, Letters.size(), Constants, T);
                    E != LanguageError::None)
                    return E;
                Tokens.push_back(T);
                continue;
            }
        }
        if (C == '.' || IsDigit(C)) {
            double Value = 0.0;
            if (auto E = ReadNumber(S, Pos, Value); E != LanguageError::None) return E;
            Token T;
            if (auto E = StoreConstant({Value, 0.0}, Letters.size(), Constants, T);
                E != LanguageError::None)
                return E;
            Tokens.push_back(T);
        } else if (IsLetter(C)) {
            size_t End = Pos;
            while (End < S.size() && IsLetter(S[End])) ++End;
            std::string Word = S.substr(Pos, End - Pos);
            bool FollowedByParen = End < S.size() && S[End] == '(';
            size_t Before = Tokens.size();
            if (auto E = SplitLetterRun(Word, FollowedByParen, Letters, Rules, Tokens);
                E != LanguageError::None)
                return E;
            bool EndsInFunction = Tokens.size() > Before && IsFunctionCode(Tokens.back().Kind);
            if (!EndsInFunction && FollowedByParen) Tokens.push_back(Token{Code(Opcode::Multiply)});
            Pos = End;
        } else {
            Tokens.push_back(Token{C});
            ++Pos;
        }
        if (Tokens.size() > MaxTokens) return LanguageError::TooComplex;
    }
    return LanguageError::None;
}

LanguageError CheckSyntax(const TokenString& Tokens) {
    Kind Previous = Kind::Open;
    for (size_t I = 0; I <= Tokens.size(); ++I) {
        Kind Current = I < Tokens.size() ? KindOf(Tokens[I]) : Kind::Close;
        bool Bad = false;
        switch (Current == Kind::Invalid ? Kind::Invalid : Previous) {
            case Kind::Invalid:
                Bad = true;
                break;
            case Kind::Open:
                Bad = Current == Kind::Close || Current == Kind::Operator;
                break;
            case Kind::Close:
            case Kind::Operand:
                Bad = Current != Kind::Close && Current != Kind::Operator;
                break;
            case Kind::Operator:
            case Kind::Minus:
                Bad = Current == Kind::Close || Current == Kind::Operator ||
                      Current == Kind::Minus;
                break;
            case Kind::Function:
                Bad = Current != Kind::Open;
                break;
        }
        if (Bad) return LanguageError::Syntax;
        Previous = Current;
    }
    return LanguageError::None;
}

LanguageError ExpandIntegerPowers(TokenString& T, size_t LetterCount,
                                  const std::vector<std::complex<double>>& Constants,
                                  const LanguageRules& Rules) {
    if (T.size() < 3) return LanguageError::None;
    for (size_t P = 1; P < T.size(); ++P) {
        if (T[P].Kind != '^') continue;
        // The exponent runs to the next operator at depth 0 or to the enclosing ")".
        size_t ExpEnd = P + 1;
        for (int Depth = 0; ExpEnd < T.size(); ++ExpEnd) {
            char K = T[ExpEnd].Kind;
            if (K == '(') ++Depth;
            if (K == ')' && Depth-- == 0) break;
            if (Depth == 0 && IsTermSeparator(K)) break;
        }
        // Enclosing parentheses and one minus sign do not make an exponent less of an
        // integer: u^((2)) and u^(-(2)) are products too.
        size_t A = P + 1, B = ExpEnd;
        bool Negative = false;
        for (;;) {
            if (B - A >= 2 && T[A].Kind == '(' && MatchingClose(T, A, B) == B - 1) {
                ++A;
                --B;
            } else if (!Negative && A < B && T[A].Kind == UnaryMinusKind) {
                Negative = true;
                ++A;
            } else {
                break;
            }
        }
        bool IsInteger = false;
        double N = 0.0;
        if (B - A == 1 && T[A].Kind == OneKind) {
            IsInteger = true;
            N = 1.0;
        } else if (B - A == 1 && T[A].Kind == ReferenceKind && T[A].Operand > LetterCount) {
            std::complex<double> V = Constants[T[A].Operand - LetterCount - 1];
            if (V.imag() == 0.0 && V.real() == std::round(V.real())) {
                IsInteger = true;
                N = V.real();
            }
        }
        if (!IsInteger) {
            if (Rules.IntegerExponentsOnly) return LanguageError::NonIntegerExponent;
            continue;
        }
        // The base runs back to the previous "+", "-", "*", "/" or "#" at depth 0, or to the
        // "(" that opens an enclosing parenthesis. A power before it belongs to the base, so
        // that a^b^2 is (a^b)^2, as a^b^c is (a^b)^c for any other exponent.
        size_t BaseStart = P;
        for (int Depth = 0; BaseStart > 0; --BaseStart) {
            char K = T[BaseStart - 1].Kind;
            if (K == ')') ++Depth;
            if (K == '(' && Depth-- == 0) break;
            if (Depth == 0 && ((IsTermSeparator(K) && K != Code(Opcode::Power)) || K == UnaryMinusKind)) break;
        }
        TokenString Base(T.begin() + static_cast<long>(BaseStart), T.begin() + static_cast<long>(P));
        double M = std::fabs(N);
        // Each binary digit of the exponent adds a level of nesting; refuse absurd ones
        // before building anything.
        if (M > 0 && std::log2(M) > MaxNesting) return LanguageError::TooComplex;
        TokenString Replacement;
        if (Negative && N != 0) {
            Replacement.push_back(Token{'('});
            Replacement.push_back(Token{OneKind});
            Replacement.push_back(Token{'/'});
        }
        Replacement.push_back(Token{'('});
        AppendPowerText(Base, M, Rules.SquareCode, Replacement);
        Replacement.push_back(Token{')'});
        if (Negative && N != 0) Replacement.push_back(Token{')'});
        if (T.size() - (ExpEnd - BaseStart) + Replacement.size() > MaxTokens)
            return LanguageError::TooComplex;
        T.erase(T.begin() + static_cast<long>(BaseStart), T.begin() + static_cast<long>(ExpEnd));
        T.insert(T.begin() + static_cast<long>(BaseStart), Replacement.begin(), Replacement.end());
        P = BaseStart + Replacement.size() - 1;
    }
    if (MaxParenDepth(T) > MaxNesting) return LanguageError::TooComplex;
    return LanguageError::None;
}

LanguageError Translate(const std::string& Text, const std::string& Letters,
                        const LanguageRules& Rules, Translation& Result) {
    Result = Translation{};
    std::string Normalised;
    TokenString Tokens;
    if (auto E = Normalise(Text, Normalised); E != LanguageError::None) return E;
    if (auto E = Tokenise(Normalised, Letters, Rules, Tokens, Result.Constants);
        E != LanguageError::None)
        return E;
    if (auto E = CheckSyntax(Tokens); E != LanguageError::None) return E;
    if (MaxParenDepth(Tokens) > MaxNesting) return LanguageError::TooComplex;
    if (auto E = ExpandIntegerPowers(Tokens, Letters.size(), Result.Constants, Rules);
        E != LanguageError::None)
        return E;
    if (auto E = ConvertToPostfix(Tokens, Result.Postfix); E != LanguageError::None) return E;
    bool WellFormed = false;
    Result.MaxDepth = PostfixDepth(Result.Postfix, WellFormed);
    // The passes above only ever produce well-formed code; this guards the evaluators.
    if (!WellFormed) return LanguageError::Syntax;
    return LanguageError::None;
}

std::string Describe(const TokenString& Tokens) {
    std::string S;
    for (const Token& T : Tokens) {
        if (T.Kind == ReferenceKind)
            S += "#" + std::to_string(T.Operand);
        else
            S.push_back(T.Kind);
    }
    return S;
}

}  // namespace formula
