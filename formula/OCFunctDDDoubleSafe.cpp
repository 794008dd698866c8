// The real formula object: compiles through the shared front end, then builds native
// programs (or interpreter programs where native code is unavailable) on demand.
#include "formula/OCFunctDDDoubleSafe.h"

#include <cmath>
#include <limits>

#include "common/ResStrings.h"
#include "formula/x87/ExecutableMemory.h"
#include "formula/language/FormulaLanguage.h"
#include "formula/x87/RealCodeGenerator.h"
#include "formula/safe/SafeReal.h"

namespace {

using formula::Code;
using formula::RealFunction;

// Searched in this order; a suffix of a letter run is looked up by exact equality.
constexpr formula::Keyword RealKeywords[] = {
    {"COS", Code(RealFunction::Cos)}, {"SIN", Code(RealFunction::Sin)},
    {"SEN", Code(RealFunction::Sin)}, {"EXP", Code(RealFunction::Exp)},
    {"SQR", Code(RealFunction::Square)}, {"SQRT", Code(RealFunction::Sqrt)},
    {"LN", Code(RealFunction::Ln)}, {"LOG", Code(RealFunction::Ln)},
    {"TG", Code(RealFunction::Tan)}, {"TAN", Code(RealFunction::Tan)},
    {"SH", Code(RealFunction::Sinh)}, {"SINH", Code(RealFunction::Sinh)},
    {"CH", Code(RealFunction::Cosh)}, {"COSH", Code(RealFunction::Cosh)},
    {"TH", Code(RealFunction::Tanh)}, {"TANH", Code(RealFunction::Tanh)},
    {"ARCSEN", Code(RealFunction::Arcsin)}, {"ASEN", Code(RealFunction::Arcsin)},
    {"ARCSIN", Code(RealFunction::Arcsin)}, {"ASIN", Code(RealFunction::Arcsin)},
    {"ARCCOS", Code(RealFunction::Arccos)}, {"ACOS", Code(RealFunction::Arccos)},
    {"ARCOS", Code(RealFunction::Arccos)}, {"ARCTG", Code(RealFunction::Arctan)},
    {"ARCTAN", Code(RealFunction::Arctan)}, {"ATAN", Code(RealFunction::Arctan)},
    {"ABS", Code(RealFunction::Abs)}, {"COTG", Code(RealFunction::Cot)},
    {"COTAN", Code(RealFunction::Cot)}, {"COT", Code(RealFunction::Cot)},
    {"ARGCH", Code(RealFunction::Arccosh)}, {"ACOSH", Code(RealFunction::Arccosh)},
    {"ARCCOSH", Code(RealFunction::Arccosh)}, {"ARCTANH", Code(RealFunction::Arctanh)},
    {"ARGTANH", Code(RealFunction::Arctanh)}, {"ARGTH", Code(RealFunction::Arctanh)},
    {"ATANH", Code(RealFunction::Arctanh)}, {"ARCSINH", Code(RealFunction::Arcsinh)},
    {"ASINH", Code(RealFunction::Arcsinh)}, {"ARGSH", Code(RealFunction::Arcsinh)},
    {"ARGSINH", Code(RealFunction::Arcsinh)}, {"ARGCOSH", Code(RealFunction::Arccosh)},
};
static_assert(std::size(RealKeywords) == 42);

constexpr formula::LanguageRules RealRules{RealKeywords, Code(RealFunction::Square), false, false,
                                           false};

const char* MessageOf(formula::LanguageError E) {
    using formula::LanguageError;
    switch (E) {
        case LanguageError::MiswrittenNumber: return ResStrings::MiswrittenNumber;
        case LanguageError::BadCharacter: return ResStrings::BadCharacter;
        case LanguageError::MiswrittenName: return ResStrings::MiswrittenName;
        case LanguageError::Parentheses: return ResStrings::Parentheses;
        case LanguageError::TooManyConstants: return ResStrings::TooManyConstants;
        case LanguageError::Empty: return ResStrings::NothingWritten;
        case LanguageError::TooComplex: return ResStrings::TooComplex;
        default: return ResStrings::SyntaxDefect;
    }
}

std::string UpperLetters(const std::string& S) {
    std::string R;
    for (char C : S) R.push_back((C >= 'a' && C <= 'z') ? static_cast<char>(C - 'a' + 'A') : C);
    return R;
}

bool AllIn(const std::string& S, const std::string& Allowed) {
    for (char C : S)
        if (Allowed.find(C) == std::string::npos) return false;
    return true;
}

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
const std::string LetterRange = "PQRSTUVWXYZ";

}  // namespace

class NativeProgram {
public:
    static std::shared_ptr<const NativeProgram> Build(const std::string& Postfix, int Variables,
                                                ProgramOrder Order) {
        std::vector<uint8_t> Code;
        if (!ExecutableBlock::NativeCodeSupported() ||
            !GenerateRealProgram(Postfix, Variables, Order, Code))
            return nullptr;
        auto Block = ExecutableBlock::Create(Code);
        if (!Block) return nullptr;
        return std::shared_ptr<const NativeProgram>(new NativeProgram(std::move(Block)));
    }
    double Run(const double* Values, const double* Constants, double* First,
               double* Second) const {
        return Entry(Values, Constants, First, Second, safe_real::Table());
    }
    NativeRealEntry EntryPoint() const { return Entry; }

private:
    explicit NativeProgram(std::unique_ptr<ExecutableBlock> B)
        : Block(std::move(B)),
          Entry(reinterpret_cast<NativeRealEntry>(const_cast<void*>(Block->Entry()))) {}
    std::unique_ptr<ExecutableBlock> Block;
    NativeRealEntry Entry;
};

TOCFunctDDDoubleSafe::TOCFunctDDDoubleSafe() = default;
TOCFunctDDDoubleSafe::~TOCFunctDDDoubleSafe() = default;

void TOCFunctDDDoubleSafe::ResetPrograms() {
    ValueEntry = nullptr;
    for (auto& P : Native) P.reset();
    for (auto& P : Interpreted) P.reset();
}

void TOCFunctDDDoubleSafe::SelectBackend(FormulaBackend Backend) { Requested = Backend; }

FormulaBackend TOCFunctDDDoubleSafe::ActiveBackend() const {
    return Native[0] ? FormulaBackend::Native : FormulaBackend::Interpreter;
}

void TOCFunctDDDoubleSafe::Compile(const std::string& Text, const std::string& VariableLetters,
                                   const std::string& ParameterLetters, std::string& ErrorMsg) {
    ErrorMsg.clear();
    Compiled = false;
    ResetPrograms();
    PostfixCode.clear();

    std::string VariableSet = VariableLetters.empty() ? LetterRange : UpperLetters(VariableLetters);
    Variables = static_cast<int32_t>(VariableSet.size());
    Parameters = 0;
    ConstantSlots.assign(8, 0.0);
    if (!AllIn(VariableSet, LetterRange)) {
        ErrorMsg = ResStrings::VariableRange;
        return;
    }
    std::string ParameterSet = UpperLetters(ParameterLetters);
    Parameters = static_cast<int32_t>(ParameterSet.size());
    for (char P : ParameterSet) {
        if (VariableSet.find(P) != std::string::npos || LetterRange.find(P) == std::string::npos) {
            ErrorMsg = ResStrings::ParameterName;
            return;
        }
    }
    std::string Letters = VariableSet + ParameterSet;
    if (Letters.size() > static_cast<size_t>(formula::MaxOperand)) {
        ErrorMsg = ResStrings::TooManyConstants;
        return;
    }

    formula::Translation T;
    if (auto E = formula::Translate(Text, Letters, RealRules, T);
        E != formula::LanguageError::None) {
        ErrorMsg = MessageOf(E);
        return;
    }
    // Slot 0 is unused, then the parameters, then the constants of the formula.
    ConstantSlots.assign(static_cast<size_t>(Parameters) + T.Constants.size() + 8, 0.0);
    for (size_t J = 0; J < T.Constants.size(); ++J)
        ConstantSlots[static_cast<size_t>(Parameters) + 1 + J] = T.Constants[J].real();
    PostfixCode = std::move(T.Postfix);
    MaxDepth = T.MaxDepth;
    Compiled = true;
    GenerateProgram(ProgramOrder::Value);
}

void TOCFunctDDDoubleSafe::GenerateProgram(ProgramOrder Order) {
    const size_t I = static_cast<size_t>(Order);
    Native[I].reset();
    Interpreted[I].reset();
    if (!Compiled) return;
    if (Order != ProgramOrder::Value) {
        FirstStack.assign(static_cast<size_t>(MaxDepth) + 1, 0.0);
        SecondStack.assign(static_cast<size_t>(MaxDepth) + 1, 0.0);
    }
    if (Requested == FormulaBackend::Native)
        Native[I] = NativeProgram::Build(PostfixCode, Variables, Order);
    if (Order == ProgramOrder::Value) {
        ValueEntry = Native[I] ? Native[I]->EntryPoint() : nullptr;
        SafeTable = safe_real::Table();
    }
    if (!Native[I])
        Interpreted[I] = std::make_unique<InterpretedProgram>(PostfixCode, Variables, Order, MaxDepth);
}

void TOCFunctDDDoubleSafe::GenerateAllPrograms() {
    for (ProgramOrder Order : {ProgramOrder::Value, ProgramOrder::First, ProgramOrder::Second,
                               ProgramOrder::TwoDirections}) {
        const size_t I = static_cast<size_t>(Order);
        if (!Native[I] && !Interpreted[I]) GenerateProgram(Order);
    }
}

void TOCFunctDDDoubleSafe::CopyFrom(const TOCFunctDDDoubleSafe& Other) {
    CopyPrograms(Other, std::size(Native));
}

void TOCFunctDDDoubleSafe::CopyValueFrom(const TOCFunctDDDoubleSafe& Other) {
    CopyPrograms(Other, 1);
}

void TOCFunctDDDoubleSafe::CopyPrograms(const TOCFunctDDDoubleSafe& Other, size_t Orders) {
    if (this == &Other) return;
    ResetPrograms();
    ConstantSlots = Other.ConstantSlots;
    Variables = Other.Variables;
    Parameters = Other.Parameters;
    PostfixCode = Other.PostfixCode;
    MaxDepth = Other.MaxDepth;
    Compiled = Other.Compiled;
    Requested = Other.Requested;
    FirstStack.assign(static_cast<size_t>(MaxDepth) + 1, 0.0);
    SecondStack.assign(static_cast<size_t>(MaxDepth) + 1, 0.0);
    if (!Compiled) return;
    for (size_t I = 0; I < Orders; ++I) {
        Native[I] = Other.Native[I];
        if (Other.Interpreted[I])
            Interpreted[I] = std::make_unique<InterpretedProgram>(
                PostfixCode, Variables, static_cast<ProgramOrder>(I), MaxDepth);
    }
    ValueEntry = Native[0] ? Native[0]->EntryPoint() : nullptr;
    SafeTable = safe_real::Table();
}

void TOCFunctDDDoubleSafe::GenerateDerivativeCode() { GenerateProgram(ProgramOrder::First); }
void TOCFunctDDDoubleSafe::GenerateSecondDerivativeCode() { GenerateProgram(ProgramOrder::Second); }

void TOCFunctDDDoubleSafe::SetParameters(std::span<const double> Values) {
    if (Values.empty() || Values.size() > static_cast<size_t>(Parameters)) return;
    for (size_t I = 0; I < Values.size(); ++I) ConstantSlots[I + 1] = Values[I];
}

bool TOCFunctDDDoubleSafe::UsesVariable(int N) const {
    for (size_t I = 0; I + 1 < PostfixCode.size(); ++I) {
        if (PostfixCode[I] != formula::ReferenceKind) continue;
        if (static_cast<unsigned char>(PostfixCode[I + 1]) == N) return true;
        ++I;
    }
    return false;
}

double TOCFunctDDDoubleSafe::EvaluateInterpreted(std::span<const double> Values) const {
    if (!Compiled || Values.size() < static_cast<size_t>(Variables)) return NaN;
    if (Interpreted[0])
        return static_cast<double>(
            Interpreted[0]->Run(Values.data(), ConstantSlots.data(), nullptr, nullptr));
    return NaN;
}

void TOCFunctDDDoubleSafe::EvaluateWithDerivative(std::span<const double> Values,
                                                  DerivativeResult& R) {
    R = {NaN, NaN};
    if (!Compiled || Values.size() < 2 * static_cast<size_t>(Variables)) return;
    if (!Native[1] && !Interpreted[1]) GenerateDerivativeCode();
    if (Native[1]) {
        R.Value = Native[1]->Run(Values.data(), ConstantSlots.data(), FirstStack.data(),
                                 SecondStack.data());
    } else if (Interpreted[1]) {
        R.Value = static_cast<double>(Interpreted[1]->Run(Values.data(), ConstantSlots.data(),
                                                          FirstStack.data(), SecondStack.data()));
    } else {
        return;
    }
    R.Derivative = FirstStack[1];
}

void TOCFunctDDDoubleSafe::EvaluateWithTwoDerivatives(std::span<const double> Values,
                                                      TwoDerivativeResult& R) {
    R = {NaN, NaN, NaN};
    if (!Compiled || Values.size() < 3 * static_cast<size_t>(Variables)) return;
    const size_t I = static_cast<size_t>(ProgramOrder::TwoDirections);
    if (!Native[I] && !Interpreted[I]) GenerateProgram(ProgramOrder::TwoDirections);
    if (Native[I]) {
        R.Value = Native[I]->Run(Values.data(), ConstantSlots.data(), FirstStack.data(),
                                 SecondStack.data());
    } else if (Interpreted[I]) {
        R.Value = static_cast<double>(Interpreted[I]->Run(Values.data(), ConstantSlots.data(),
                                                          FirstStack.data(), SecondStack.data()));
    } else {
        return;
    }
    R.Derivative = FirstStack[1];
    R.OtherDerivative = SecondStack[1];
}

void TOCFunctDDDoubleSafe::EvaluateWithSecondDerivative(std::span<const double> Values,
                                                        SecondDerivativeResult& R) {
    R = {NaN, NaN, NaN};
    if (!Compiled || Values.size() < 3 * static_cast<size_t>(Variables)) return;
    if (!Native[2] && !Interpreted[2]) GenerateSecondDerivativeCode();
    if (Native[2]) {
        R.Value = Native[2]->Run(Values.data(), ConstantSlots.data(), FirstStack.data(),
                                 SecondStack.data());
    } else if (Interpreted[2]) {
        R.Value = static_cast<double>(Interpreted[2]->Run(Values.data(), ConstantSlots.data(),
                                                          FirstStack.data(), SecondStack.data()));
    } else {
        return;
    }
    R.Derivative = FirstStack[1];
    R.SecondDerivative = SecondStack[1];
}

void EvaluateConstantFormula(const std::string& Text, double& Value) {
    Value = 0.0;
    TOCFunctDDDoubleSafe F;
    std::string Error;
    F.Compile(Text, "", "", Error);
    if (!Error.empty()) throw FormulaError(Error);
    // The letters P..Z compile as variables, but a numeric field has no values for them.
    for (int N = 1; N <= F.VariableCount(); ++N)
        if (F.UsesVariable(N)) throw FormulaError(ResStrings::VariableInNumber);
    std::vector<double> Unused(static_cast<size_t>(F.VariableCount()), 0.0);
    Value = F.Evaluate(Unused);
}
