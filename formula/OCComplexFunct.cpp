// The complex formula object: the shared front end with the complex rules, then a program.
#include "formula/OCComplexFunct.h"

#include "common/ResStrings.h"
#include "formula/x87/ComplexCodeGenerator.h"
#include "formula/interpreter/ComplexInterpreter.h"
#include "formula/x87/ExecutableMemory.h"

static_assert(ComplexScratchSlots == 8, "the object's scratch array has eight slots");
#include "formula/language/FormulaLanguage.h"
#include "formula/language/PostfixDerivative.h"

namespace {

using formula::Code;
using formula::ComplexFunction;

// Searched in this order; a suffix of a letter run is looked up by exact equality.
constexpr formula::Keyword ComplexKeywords[] = {
    {"C", Code(ComplexFunction::Conjugate)}, {"CONJ", Code(ComplexFunction::Conjugate)},
    {"SQR", Code(ComplexFunction::Square)}, {"SQRT", Code(ComplexFunction::Sqrt)},
    {"ABS", Code(ComplexFunction::Modulus)}, {"MOD", Code(ComplexFunction::Modulus)},
    {"ARG", Code(ComplexFunction::Argument)}, {"SIN", Code(ComplexFunction::Sin)},
    {"SEN", Code(ComplexFunction::Sin)}, {"COS", Code(ComplexFunction::Cos)},
    {"EXP", Code(ComplexFunction::Exp)}, {"LN", Code(ComplexFunction::Ln)},
    {"LOG", Code(ComplexFunction::Ln)}, {"SH", Code(ComplexFunction::Sinh)},
    {"SINH", Code(ComplexFunction::Sinh)}, {"CH", Code(ComplexFunction::Cosh)},
    {"COSH", Code(ComplexFunction::Cosh)}, {"TH", Code(ComplexFunction::Tanh)},
    {"TANH", Code(ComplexFunction::Tanh)}, {"TAN", Code(ComplexFunction::Tan)},
    {"TG", Code(ComplexFunction::Tan)}, {"ARCSEN", Code(ComplexFunction::Arcsin)},
    {"ARCSIN", Code(ComplexFunction::Arcsin)}, {"ASEN", Code(ComplexFunction::Arcsin)},
    {"ASIN", Code(ComplexFunction::Arcsin)}, {"ARCCOS", Code(ComplexFunction::Arccos)},
    {"ARCOS", Code(ComplexFunction::Arccos)}, {"ACOS", Code(ComplexFunction::Arccos)},
    {"ATANH", Code(ComplexFunction::Arctanh)}, {"ARCTANH", Code(ComplexFunction::Arctanh)},
    {"ARGTH", Code(ComplexFunction::Arctanh)}, {"ARGSH", Code(ComplexFunction::Arcsinh)},
    {"ARGSINH", Code(ComplexFunction::Arcsinh)}, {"ARCSINH", Code(ComplexFunction::Arcsinh)},
    {"ASINH", Code(ComplexFunction::Arcsinh)}, {"ARGCH", Code(ComplexFunction::Arccosh)},
    {"ARGCOSH", Code(ComplexFunction::Arccosh)}, {"ARCCOSH", Code(ComplexFunction::Arccosh)},
    {"ACOSH", Code(ComplexFunction::Arccosh)}, {"ARCTAN", Code(ComplexFunction::Arctan)},
    {"ARCTG", Code(ComplexFunction::Arctan)}, {"ATAN", Code(ComplexFunction::Arctan)},
    {"COTG", Code(ComplexFunction::Cot)}, {"COTAN", Code(ComplexFunction::Cot)},
    {"COT", Code(ComplexFunction::Cot)}, {"ARCCOTG", Code(ComplexFunction::Arccot)},
    {"ARCCOT", Code(ComplexFunction::Arccot)},
};
static_assert(std::size(ComplexKeywords) == 47);

constexpr formula::LanguageRules ComplexRules{ComplexKeywords, Code(ComplexFunction::Square), true,
                                              true, true};

const char* MessageOf(formula::LanguageError E) {
    using formula::LanguageError;
    switch (E) {
        case LanguageError::MiswrittenNumber: return ResStrings::ComplexMiswrittenNumber;
        case LanguageError::BadCharacter: return ResStrings::ComplexBadCharacter;
        case LanguageError::MiswrittenName: return ResStrings::ComplexMiswrittenName;
        case LanguageError::Parentheses: return ResStrings::ComplexParentheses;
        case LanguageError::TooManyConstants: return ResStrings::ComplexTooManyConstants;
        case LanguageError::Empty: return ResStrings::ComplexNothingWritten;
        case LanguageError::NonIntegerExponent: return ResStrings::ComplexIntegerExponents;
        case LanguageError::TooComplex: return ResStrings::TooComplex;
        default: return ResStrings::ComplexSyntax;
    }
}

const std::string LetterRange = "PQRSTUVWXYZ";

}  // namespace

TOCComplexFunction::TOCComplexFunction() = default;
TOCComplexFunction::~TOCComplexFunction() = default;

void TOCComplexFunction::SelectBackend(FormulaBackend Backend) { Requested = Backend; }

FormulaBackend TOCComplexFunction::ActiveBackend() const {
    return NativeEntry ? FormulaBackend::Native : FormulaBackend::Interpreter;
}

void TOCComplexFunction::Compile(const std::string& Text, const std::string& LetterText) {
    for (DerivativeProgram& D : Derivative) D = DerivativeProgram();
    Program.reset();
    NativeEntry = nullptr;
    NativeBlock.reset();
    PostfixCode.clear();
    Holomorphic = false;
    ConstantSlots.assign(8, {0.0, 0.0});
    std::string Upper = LetterText.empty() ? LetterRange : LetterText;
    for (char& C : Upper)
        if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 'a' + 'A');
    Letters = static_cast<int>(Upper.size());
    for (char C : Upper)
        if (LetterRange.find(C) == std::string::npos)
            throw FormulaError(ResStrings::ComplexWrongVariable);
    if (Upper.size() > static_cast<size_t>(formula::MaxOperand))
        throw FormulaError(ResStrings::ComplexTooManyConstants);

    formula::Translation T;
    if (auto E = formula::Translate(Text, Upper, ComplexRules, T);
        E != formula::LanguageError::None)
        throw FormulaError(MessageOf(E));
    ConstantSlots.assign(T.Constants.size() + 8, {0.0, 0.0});
    for (size_t J = 0; J < T.Constants.size(); ++J) ConstantSlots[J + 1] = T.Constants[J];
    PostfixCode = std::move(T.Postfix);
    Holomorphic = true;
    for (const formula::PostfixInstruction& I : formula::DecodePostfix(PostfixCode, Letters))
        if (I.Kind == formula::PostfixOp::Function &&
            (I.Code == Code(ComplexFunction::Conjugate) ||
             I.Code == Code(ComplexFunction::Modulus) || I.Code == Code(ComplexFunction::Argument)))
            Holomorphic = false;
    MaxDepth = T.MaxDepth;
    Program = std::make_unique<ComplexProgram>(PostfixCode, Letters, MaxDepth);
    std::vector<uint8_t> Code;
    if (Requested == FormulaBackend::Native && ExecutableBlock::NativeCodeSupported() &&
        ComplexCodeIsNative(PostfixCode) && GenerateComplexProgram(PostfixCode, Letters, Code)) {
        NativeBlock = ExecutableBlock::Create(Code);
        if (NativeBlock)
            NativeEntry = reinterpret_cast<NativeComplexEntry>(
                const_cast<void*>(NativeBlock->Entry()));
    }
    if (Holomorphic) BuildDerivatives();
}

void TOCComplexFunction::BuildDerivatives() {
    const std::string* Source = &PostfixCode;
    for (DerivativeProgram& D : Derivative) {
        bool WellFormed = false;
        if (!formula::DifferentiateComplexPostfix(*Source, Letters, Letters, D.Postfix) ||
            (D.MaxDepth = formula::PostfixDepth(D.Postfix, WellFormed), !WellFormed)) {
            for (DerivativeProgram& Each : Derivative) Each = DerivativeProgram();
            return;
        }
        D.Program = std::make_unique<ComplexProgram>(D.Postfix, Letters, D.MaxDepth);
        std::vector<uint8_t> Code;
        // Native exactly where the value program is, so that w, w' and w'' come from one engine.
        if (NativeEntry && ComplexCodeIsNative(D.Postfix) &&
            GenerateComplexProgram(D.Postfix, Letters, Code)) {
            D.NativeBlock = ExecutableBlock::Create(Code);
            if (D.NativeBlock)
                D.NativeEntry = reinterpret_cast<NativeComplexEntry>(
                    const_cast<void*>(D.NativeBlock->Entry()));
        }
        Source = &D.Postfix;
    }
}

const std::string& TOCComplexFunction::DerivativePostfix(int Order) const {
    static const std::string None;
    if (Order < 1 || Order > 2 || !HasDerivatives()) return None;
    return Derivative[Order - 1].Postfix;
}

std::complex<double> TOCComplexFunction::Run(const DerivativeProgram& D, const double* In) const {
    const double* Slots = reinterpret_cast<const double*>(ConstantSlots.data());
    if (D.NativeEntry) {
        double Pair[2];
        D.NativeEntry(In, Slots, Pair, ComplexTable(), Scratch);
        return {Pair[0], Pair[1]};
    }
    const safe_complex::Complex W = D.Program->Run(In, Slots);
    return {static_cast<double>(W.Re), static_cast<double>(W.Im)};
}

bool TOCComplexFunction::EvaluateDerivatives(std::span<const std::complex<double>> Inputs,
                                             std::complex<double>& W1,
                                             std::complex<double>& W2) const {
    if (!HasDerivatives() || Inputs.size() < static_cast<size_t>(Letters)) return false;
    const double* In = reinterpret_cast<const double*>(Inputs.data());
    W1 = Run(Derivative[0], In);
    W2 = Run(Derivative[1], In);
    return true;
}

void TOCComplexFunction::CopyFrom(const TOCComplexFunction& Other) {
    if (this == &Other) return;
    ConstantSlots = Other.ConstantSlots;
    PostfixCode = Other.PostfixCode;
    Letters = Other.Letters;
    MaxDepth = Other.MaxDepth;
    Holomorphic = Other.Holomorphic;
    Requested = Other.Requested;
    Program = Other.Program ? std::make_unique<ComplexProgram>(PostfixCode, Letters, MaxDepth)
                            : nullptr;
    NativeBlock = Other.NativeBlock;
    NativeEntry = Other.NativeEntry;
    for (int K = 0; K < 2; ++K) {
        const DerivativeProgram& From = Other.Derivative[K];
        DerivativeProgram& To = Derivative[K];
        To.Postfix = From.Postfix;
        To.MaxDepth = From.MaxDepth;
        To.Program = From.Program
                         ? std::make_unique<ComplexProgram>(From.Postfix, Letters, From.MaxDepth)
                         : nullptr;
        To.NativeBlock = From.NativeBlock;
        To.NativeEntry = From.NativeEntry;
    }
}

void TOCComplexFunction::Evaluate(std::complex<double>& Result,
                                  std::span<const std::complex<double>> Inputs) const {
    if (!Program) throw FormulaError(ResStrings::NoCompiledFormula);
    if (Inputs.size() < static_cast<size_t>(Letters)) throw FormulaError(ResStrings::TooFewInputs);
    // std::complex is laid out as two doubles, real part first.
    const double* In = reinterpret_cast<const double*>(Inputs.data());
    const double* Slots = reinterpret_cast<const double*>(ConstantSlots.data());
    if (NativeEntry) {
        double Pair[2];
        NativeEntry(In, Slots, Pair, ComplexTable(), Scratch);
        Result = {Pair[0], Pair[1]};
        return;
    }
    safe_complex::Complex W =
        Program->Run(In, Slots);
    Result = {static_cast<double>(W.Re), static_cast<double>(W.Im)};
}
