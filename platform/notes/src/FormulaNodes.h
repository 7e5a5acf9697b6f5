// The nodes of a compiled formula and the helpers its functions use.
#pragma once

#include "Formula.h"

#include <functional>

namespace notes::detail::formula {

using NodePtr = std::shared_ptr<const FormulaNode>;

FormulaValue Bool(bool value);
// True when a and b are equal, a in any case and b in upper case.
bool Upper(std::string_view a, std::string_view b);
bool HasField(const NoteData& note, std::string_view name);
FormulaValue MapTexts(FormulaValue value, int (*convert)(int));
bool AnyTextPair(const FormulaValue& a, const FormulaValue& b, bool (*test)(std::string_view, std::string_view));

enum class CompareOp { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };

NodePtr MakeLiteral(FormulaValue value);
NodePtr MakeField(std::string name);
NodePtr MakeNot(NodePtr operand);
// op is '&' or '|'.
NodePtr MakeLogical(char op, NodePtr left, NodePtr right);
NodePtr MakeCompare(CompareOp op, NodePtr left, NodePtr right);
NodePtr MakeConcat(NodePtr left, NodePtr right);
using FunctionBody = std::function<FormulaValue(const NoteData&, const std::vector<NodePtr>&)>;
NodePtr MakeFunction(FunctionBody body, std::vector<NodePtr> arguments);

} // namespace notes::detail::formula
