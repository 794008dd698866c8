// The front end shared by the real and the complex formula compilers: normalisation,
// tokenising, syntax check, expansion of integer powers and conversion to postfix code.
#pragma once

#include <complex>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formula/language/Opcodes.h"

namespace formula {

// Kinds of token: the postfix operations, and '(' and ')'. Operand references carry their
// operand number (1..253).
inline constexpr char ReferenceKind = Code(Opcode::Reference);
inline constexpr char PiKind = Code(Opcode::Pi);
inline constexpr char ImaginaryKind = Code(Opcode::ImaginaryUnit);
inline constexpr char OneKind = Code(Opcode::One);
inline constexpr char UnaryMinusKind = Code(Opcode::Negate);

struct Token {
    char Kind;
    uint8_t Operand = 0;
    bool operator==(const Token&) const = default;
};
using TokenString = std::vector<Token>;

struct Keyword {
    const char* Name;
    char Code;
};

// What differs between the two languages.
struct LanguageRules {
    std::span<const Keyword> Keywords;
    char SquareCode;             // the opcode of the square, used by the power expansion
    bool ImaginaryUnit;          // a lone "I" in a letter run is the imaginary unit
    bool ComplexLiterals;        // "(a+bi)" is stored as one constant
    bool IntegerExponentsOnly;   // any other exponent is an error
};

// Failures of the front end. The numbers of the classic real message table are kept.
enum class LanguageError {
    None = 0,
    MiswrittenNumber = 1,
    BadCharacter = 2,
    MiswrittenName = 3,
    Parentheses = 4,
    TooManyConstants = 5,
    Syntax = 6,
    Empty = 9,
    NonIntegerExponent = 20,
    TooComplex = 21,
};

// Limits that keep compilation and evaluation bounded for any text: the token count after
// the expansion of powers, and the nesting depth of parentheses.
inline constexpr size_t MaxTokens = 20000;
inline constexpr int MaxNesting = 200;
// Operand numbers are one byte; 254 and 255 are never used.
inline constexpr int MaxOperand = 253;

struct Translation {
    std::string Postfix;                         // bytes; a reference is 255 then its number
    std::vector<std::complex<double>> Constants; // constant j (1-based) is Constants[j - 1]
    int MaxDepth = 0;                            // evaluation stack depth of the postfix code
};

// Letters: upper-case letter string (variables, then parameters); operand n <= its length is
// letter n, larger operands are the constants in order.
LanguageError Translate(const std::string& Text, const std::string& Letters,
                        const LanguageRules& Rules, Translation& Result);

// The passes, exposed for tests.
LanguageError Normalise(const std::string& Text, std::string& Result);
LanguageError Tokenise(const std::string& Normalised, const std::string& Letters,
                       const LanguageRules& Rules, TokenString& Tokens,
                       std::vector<std::complex<double>>& Constants);
LanguageError CheckSyntax(const TokenString& Tokens);
LanguageError ExpandIntegerPowers(TokenString& Tokens, size_t LetterCount,
                                  const std::vector<std::complex<double>>& Constants,
                                  const LanguageRules& Rules);
LanguageError ConvertToPostfix(const TokenString& Tokens, std::string& Postfix);

// Index of the ")" matching the "(" at Open, searching before End; npos when there is none.
size_t MatchingClose(const TokenString& T, size_t Open, size_t End);

// Postfix code decoded once for the interpreters: operand n <= LetterCount is input n - 1,
// a larger one constant slot n - LetterCount.
enum class PostfixOp : uint8_t { Input, Constant, One, Pi, I, Negate, Add, Subtract, Multiply,
                                 Divide, Function };
struct PostfixInstruction {
    PostfixOp Kind;
    char Code;      // function opcode
    int32_t Index;  // input or constant slot
};
std::vector<PostfixInstruction> DecodePostfix(const std::string& Postfix, int LetterCount);

// Stack depth reached by postfix code (operand +1, binary operator -1); -1 if malformed.
int PostfixDepth(const std::string& Postfix, bool& WellFormed);

// Readable form of a token string or postfix code, for tests and diagnostics
// ("u" style letters are shown as #n for references).
std::string Describe(const TokenString& Tokens);
std::string DescribePostfix(const std::string& Postfix);

const Keyword* FindKeyword(std::span<const Keyword> Keywords, const std::string& Word);

}  // namespace formula
