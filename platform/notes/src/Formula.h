// Selection formulas, compiled once and evaluated against each note (the
// language is described at LNFormula).
#pragma once

#include "DatabaseFile.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace notes::detail {

// A formula value: a list of texts or of numbers (a single value is a list
// of one).
struct FormulaValue {
    bool isNumber = false;
    std::vector<std::string> texts;
    std::vector<double> numbers;
    bool IsTrue() const;
};

class FormulaNode {
public:
    virtual ~FormulaNode() = default;
    virtual FormulaValue Evaluate(const NoteData& note) const = 0;
};

class Formula {
public:
    // Nothing for a formula with a syntax error.
    static std::optional<Formula> Compile(std::string_view text);
    bool Selects(const NoteData& note) const;

private:
    std::shared_ptr<const FormulaNode> m_root;
};

// The value of a field of the note as the formula sees it.
FormulaValue FieldValue(const NoteData& note, std::string_view name);

} // namespace notes::detail
