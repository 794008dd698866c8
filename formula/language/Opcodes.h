// The operations of postfix formula code, by name: what the front end writes and what both
// interpreters and both code generators read. Each operation is one byte of the code (an
// operand reference is that byte followed by the operand's number); the byte values are the
// characters the front end has always written, so postfix texts read in tests stay as they are.
#pragma once

namespace formula {

// Operands and arithmetic, the same in both languages. A power is only written in the token
// string: the front end expands it before any postfix code exists.
enum class Opcode : char {
    Reference = '\xFF',   // operand n: a letter (variable or parameter) or a constant
    One = '1',            // the constant 1
    Pi = 'p',             // the constant pi
    ImaginaryUnit = 'i',  // the complex unit i
    Negate = '#',         // unary minus
    Add = '+',
    Subtract = '-',
    Multiply = '*',
    Divide = '/',
    Power = '^',  // token strings only
};

// The functions of real formulas.
enum class RealFunction : char {
    Cos = 'A',
    Sin = 'B',
    Exp = 'C',
    Square = 'D',
    Sqrt = 'E',
    Ln = 'F',
    Tan = 'G',
    Sinh = 'H',
    Cosh = 'I',
    Tanh = 'J',
    Arcsin = 'K',
    Arccos = 'L',
    Arctan = 'M',
    Abs = 'N',
    Cot = 'O',
    Arccosh = 'P',
    Arctanh = 'Q',
    Arcsinh = 'R',
};

// The functions of complex formulas.
enum class ComplexFunction : char {
    Conjugate = 'A',
    Square = 'B',
    Sqrt = 'C',
    Modulus = 'D',
    Argument = 'E',
    Sin = 'F',
    Cos = 'G',
    Exp = 'H',
    Ln = 'I',
    Sinh = 'J',
    Cosh = 'K',
    Tanh = 'L',
    Tan = 'M',
    Arcsin = 'N',
    Arccos = 'O',
    Arctanh = 'P',
    Arcsinh = 'Q',
    Arccosh = 'R',
    Arctan = 'S',
    Cot = 'T',
    Arccot = 'U',
};

// The byte of an operation in postfix code.
template <class Operation>
constexpr char Code(Operation O) {
    return static_cast<char>(O);
}

// How many entries of the evaluation stack an operation takes (it always leaves one).
constexpr int Arity(Opcode O) {
    switch (O) {
        case Opcode::Reference:
        case Opcode::One:
        case Opcode::Pi:
        case Opcode::ImaginaryUnit:
            return 0;
        case Opcode::Negate:
            return 1;
        case Opcode::Add:
        case Opcode::Subtract:
        case Opcode::Multiply:
        case Opcode::Divide:
        case Opcode::Power:
            return 2;
    }
    return 0;
}
constexpr int Arity(RealFunction) { return 1; }
constexpr int Arity(ComplexFunction) { return 1; }

// Function bytes are the upper-case letters; each language uses a run from 'A'.
constexpr bool IsFunctionCode(char C) { return C >= 'A' && C <= 'Z'; }
constexpr bool IsRealFunctionCode(char C) { return C >= 'A' && C <= Code(RealFunction::Arcsinh); }
constexpr bool IsComplexFunctionCode(char C) {
    return C >= 'A' && C <= Code(ComplexFunction::Arccot);
}

// The operand bytes: each pushes one entry.
constexpr bool IsOperandCode(char C) {
    return C == Code(Opcode::Reference) || C == Code(Opcode::One) || C == Code(Opcode::Pi) ||
           C == Code(Opcode::ImaginaryUnit);
}
// The binary arithmetic of postfix code.
constexpr bool IsArithmeticCode(char C) {
    return C == Code(Opcode::Add) || C == Code(Opcode::Subtract) || C == Code(Opcode::Multiply) ||
           C == Code(Opcode::Divide);
}

// How many stack entries the byte of an operation takes; every operation leaves one. A byte
// that names no operation counts as a function, so that a depth check still sees it.
constexpr int ArityOfCode(char C) {
    if (IsFunctionCode(C)) return Arity(RealFunction::Cos);
    switch (static_cast<Opcode>(C)) {
        case Opcode::Reference:
        case Opcode::One:
        case Opcode::Pi:
        case Opcode::ImaginaryUnit:
        case Opcode::Negate:
        case Opcode::Add:
        case Opcode::Subtract:
        case Opcode::Multiply:
        case Opcode::Divide:
        case Opcode::Power:
            return Arity(static_cast<Opcode>(C));
    }
    return 1;
}

}  // namespace formula
