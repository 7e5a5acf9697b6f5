#include "FormulaNodes.h"

#include <cctype>

namespace notes::detail::formula {

namespace {

// --- nodes ----------------------------------------------------------------

class Literal : public FormulaNode {
public:
    explicit Literal(FormulaValue value) : m_value(std::move(value)) {}
    FormulaValue Evaluate(const NoteData&) const override { return m_value; }

private:
    FormulaValue m_value;
};

class Field : public FormulaNode {
public:
    explicit Field(std::string name) : m_name(std::move(name)) {}
    FormulaValue Evaluate(const NoteData& note) const override { return FieldValue(note, m_name); }

private:
    std::string m_name;
};

class Not : public FormulaNode {
public:
    explicit Not(NodePtr operand) : m_operand(std::move(operand)) {}
    FormulaValue Evaluate(const NoteData& note) const override { return Bool(!m_operand->Evaluate(note).IsTrue()); }

private:
    NodePtr m_operand;
};

class Logical : public FormulaNode {
public:
    Logical(char op, NodePtr left, NodePtr right) : m_op(op), m_left(std::move(left)), m_right(std::move(right)) {}
    FormulaValue Evaluate(const NoteData& note) const override
    {
        bool left = m_left->Evaluate(note).IsTrue();
        if (m_op == '&')
            return Bool(left && m_right->Evaluate(note).IsTrue());
        return Bool(left || m_right->Evaluate(note).IsTrue());
    }

private:
    char m_op;
    NodePtr m_left, m_right;
};

template <typename T>
bool CompareValues(const T& a, const T& b, CompareOp op)
{
    switch (op) {
    case CompareOp::Equal: return a == b;
    case CompareOp::NotEqual: return a != b;
    case CompareOp::Less: return a < b;
    case CompareOp::Greater: return a > b;
    case CompareOp::LessEqual: return a <= b;
    case CompareOp::GreaterEqual: return a >= b;
    }
    return false;
}

class Compare : public FormulaNode {
public:
    Compare(CompareOp op, NodePtr left, NodePtr right) : m_op(op), m_left(std::move(left)), m_right(std::move(right))
    {
    }
    // Lists compare pairwise in every combination: true when any pair holds.
    FormulaValue Evaluate(const NoteData& note) const override
    {
        FormulaValue left = m_left->Evaluate(note);
        FormulaValue right = m_right->Evaluate(note);
        if (left.isNumber != right.isNumber)
            return Bool(m_op == CompareOp::NotEqual);
        if (left.isNumber)
            return Bool(AnyPair(left.numbers, right.numbers));
        return Bool(AnyPair(left.texts, right.texts));
    }

private:
    template <typename T>
    bool AnyPair(const std::vector<T>& left, const std::vector<T>& right) const
    {
        for (const auto& a : left) {
            for (const auto& b : right) {
                if (CompareValues(a, b, m_op))
                    return true;
            }
        }
        return false;
    }
    CompareOp m_op;
    NodePtr m_left, m_right;
};

class Concat : public FormulaNode {
public:
    Concat(NodePtr left, NodePtr right) : m_left(std::move(left)), m_right(std::move(right)) {}
    FormulaValue Evaluate(const NoteData& note) const override
    {
        FormulaValue left = m_left->Evaluate(note);
        FormulaValue right = m_right->Evaluate(note);
        if (left.isNumber != right.isNumber)
            return left; // a mixed list is not supported: the left part stays
        left.texts.insert(left.texts.end(), right.texts.begin(), right.texts.end());
        left.numbers.insert(left.numbers.end(), right.numbers.begin(), right.numbers.end());
        return left;
    }

private:
    NodePtr m_left, m_right;
};

class Function : public FormulaNode {
public:
    using Body = std::function<FormulaValue(const NoteData&, const std::vector<NodePtr>&)>;
    Function(Body body, std::vector<NodePtr> arguments) : m_body(std::move(body)), m_arguments(std::move(arguments))
    {
    }
    FormulaValue Evaluate(const NoteData& note) const override { return m_body(note, m_arguments); }

private:
    Body m_body;
    std::vector<NodePtr> m_arguments;
};

} // namespace

FormulaValue Bool(bool value)
{
    FormulaValue result;
    result.isNumber = true;
    result.numbers.push_back(value ? 1 : 0);
    return result;
}

bool Upper(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    }
    return true;
}

bool HasField(const NoteData& note, std::string_view name)
{
    for (const auto& item : note.items) {
        if (item.name.size() == name.size()) {
            bool same = true;
            for (std::size_t i = 0; same && i < name.size(); ++i)
                same = std::tolower(static_cast<unsigned char>(item.name[i])) ==
                       std::tolower(static_cast<unsigned char>(name[i]));
            if (same)
                return true;
        }
    }
    return false;
}

FormulaValue MapTexts(FormulaValue value, int (*convert)(int))
{
    for (auto& text : value.texts) {
        for (auto& c : text)
            c = static_cast<char>(convert(static_cast<unsigned char>(c)));
    }
    return value;
}

bool AnyTextPair(const FormulaValue& a, const FormulaValue& b, bool (*test)(std::string_view, std::string_view))
{
    for (const auto& x : a.texts) {
        for (const auto& y : b.texts) {
            if (test(x, y))
                return true;
        }
    }
    return false;
}

NodePtr MakeLiteral(FormulaValue value)
{
    return std::make_shared<Literal>(std::move(value));
}

NodePtr MakeField(std::string name)
{
    return std::make_shared<Field>(std::move(name));
}

NodePtr MakeNot(NodePtr operand)
{
    return std::make_shared<Not>(std::move(operand));
}

NodePtr MakeLogical(char op, NodePtr left, NodePtr right)
{
    return std::make_shared<Logical>(op, std::move(left), std::move(right));
}

NodePtr MakeCompare(CompareOp op, NodePtr left, NodePtr right)
{
    return std::make_shared<Compare>(op, std::move(left), std::move(right));
}

NodePtr MakeConcat(NodePtr left, NodePtr right)
{
    return std::make_shared<Concat>(std::move(left), std::move(right));
}

NodePtr MakeFunction(FunctionBody body, std::vector<NodePtr> arguments)
{
    return std::make_shared<Function>(std::move(body), std::move(arguments));
}

} // namespace notes::detail::formula
