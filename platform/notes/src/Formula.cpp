#include "Formula.h"

#include "FormulaParser.h"
#include "notes/format/ItemCodec.h"

#include <cctype>

namespace notes::detail {

bool FormulaValue::IsTrue() const
{
    // A number list is true when any value is not zero; texts are never
    // true, as in the formula language.
    if (!isNumber)
        return false;
    for (double number : numbers) {
        if (number != 0)
            return true;
    }
    return false;
}

std::optional<Formula> Formula::Compile(std::string_view text)
{
    auto root = ParseFormula(text);
    if (!root)
        return std::nullopt;
    Formula formula;
    formula.m_root = std::move(root);
    return formula;
}

bool Formula::Selects(const NoteData& note) const
{
    return m_root->Evaluate(note).IsTrue();
}

namespace {

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace

FormulaValue FieldValue(const NoteData& note, std::string_view name)
{
    FormulaValue value;
    for (const auto& item : note.items) {
        if (!SameName(item.name, name))
            continue;
        switch (item.type) {
        case LNITEMTYPE_TEXT:
            if (auto texts = format::DecodeTextList(item.value))
                value.texts = std::move(*texts);
            break;
        case LNITEMTYPE_NUMBERS:
            if (auto numbers = format::DecodeNumberList(item.value)) {
                value.isNumber = true;
                value.numbers = std::move(*numbers);
            }
            break;
        case LNITEMTYPE_DATETIMES:
            // Date-times compare as their text form, which sorts in time
            // order.
            if (auto times = format::DecodeDateTimeList(item.value)) {
                for (const auto& entry : *times)
                    value.texts.push_back(format::FormatDateTimeEntry(entry));
            }
            break;
        default:
            break; // rich text is not readable in a formula: ""
        }
        break;
    }
    if (!value.isNumber && value.texts.empty())
        value.texts.push_back("");
    return value;
}

} // namespace notes::detail
