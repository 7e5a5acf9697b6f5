// The parser of selection formulas: text to a tree of FormulaNode.
#pragma once

#include "Formula.h"

namespace notes::detail {

// Nothing when the text is not a formula of the supported language.
std::shared_ptr<const FormulaNode> ParseFormula(std::string_view text);

} // namespace notes::detail
