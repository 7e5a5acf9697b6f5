#include "FormulaParser.h"

#include "FormulaNodes.h"

#include <cctype>
#include <cstdlib>

namespace notes::detail {

namespace {

using namespace formula;

// --- tokens ---------------------------------------------------------------

enum class TokenKind { End, Text, Number, Name, AtName, Symbol, Error };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    double number = 0;
};

class Lexer {
public:
    explicit Lexer(std::string_view source) : m_source(source) {}

    Token Next()
    {
        while (m_offset < m_source.size() && std::isspace(static_cast<unsigned char>(m_source[m_offset])))
            ++m_offset;
        Token token;
        if (m_offset >= m_source.size())
            return token;
        char c = m_source[m_offset];
        if (c == '"' || c == '{')
            return Quoted(c == '"' ? '"' : '}');
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '.' && m_offset + 1 < m_source.size() &&
             std::isdigit(static_cast<unsigned char>(m_source[m_offset + 1]))))
            return NumberToken();
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '$' || c == '_' || c == '@') {
            std::size_t start = m_offset++;
            while (m_offset < m_source.size() && (std::isalnum(static_cast<unsigned char>(m_source[m_offset])) ||
                                                  m_source[m_offset] == '$' || m_source[m_offset] == '_'))
                ++m_offset;
            token.kind = c == '@' ? TokenKind::AtName : TokenKind::Name;
            token.text = std::string(m_source.substr(start, m_offset - start));
            return token;
        }
        static const char* const kTwo[] = {"!=", "<>", "<=", ">=", ":="};
        for (const char* two : kTwo) {
            if (m_source.substr(m_offset, 2) == two) {
                m_offset += 2;
                return Token{TokenKind::Symbol, std::string(two, 2), 0};
            }
        }
        if (std::string_view("=<>&|!():;-").find(c) != std::string_view::npos) {
            ++m_offset;
            return Token{TokenKind::Symbol, std::string(1, c), 0};
        }
        token.kind = TokenKind::Error;
        return token;
    }

private:
    Token Quoted(char close)
    {
        Token token;
        token.kind = TokenKind::Text;
        ++m_offset;
        while (m_offset < m_source.size()) {
            char c = m_source[m_offset++];
            if (c == close)
                return token;
            if (c == '\\' && close == '"' && m_offset < m_source.size())
                c = m_source[m_offset++];
            token.text += c;
        }
        token.kind = TokenKind::Error; // unterminated
        return token;
    }

    Token NumberToken()
    {
        std::size_t start = m_offset;
        while (m_offset < m_source.size() &&
               (std::isdigit(static_cast<unsigned char>(m_source[m_offset])) || m_source[m_offset] == '.'))
            ++m_offset;
        Token token;
        token.kind = TokenKind::Number;
        std::string digits(m_source.substr(start, m_offset - start));
        char* end = nullptr;
        token.number = std::strtod(digits.c_str(), &end);
        if (!end || *end != '\0')
            token.kind = TokenKind::Error;
        return token;
    }

    std::string_view m_source;
    std::size_t m_offset = 0;
};

// --- parser ---------------------------------------------------------------

class Parser {
public:
    explicit Parser(std::string_view source) : m_lexer(source) { Advance(); }

    NodePtr Formula()
    {
        if (m_token.kind == TokenKind::Name && Upper(m_token.text, "SELECT"))
            Advance();
        NodePtr root = Logic();
        if (root && IsSymbol(";"))
            Advance();
        if (!root || m_token.kind != TokenKind::End)
            return nullptr;
        return root;
    }

private:
    void Advance() { m_token = m_lexer.Next(); }
    bool IsSymbol(std::string_view symbol) const
    {
        return m_token.kind == TokenKind::Symbol && m_token.text == symbol;
    }

    // & and | bind equally and are taken left to right, as in the formula
    // language.
    NodePtr Logic()
    {
        NodePtr left = Negation();
        while (left && (IsSymbol("&") || IsSymbol("|"))) {
            char op = m_token.text[0];
            Advance();
            NodePtr right = Negation();
            if (!right)
                return nullptr;
            left = MakeLogical(op, left, right);
        }
        return left;
    }

    NodePtr Negation()
    {
        if (IsSymbol("!")) {
            Advance();
            NodePtr operand = Negation();
            return operand ? MakeNot(operand) : nullptr;
        }
        return Comparison();
    }

    NodePtr Comparison()
    {
        NodePtr left = List();
        if (!left || m_token.kind != TokenKind::Symbol)
            return left;
        static const std::pair<const char*, CompareOp> kOps[] = {
            {"=", CompareOp::Equal},      {"!=", CompareOp::NotEqual}, {"<>", CompareOp::NotEqual},
            {"<", CompareOp::Less},       {">", CompareOp::Greater},   {"<=", CompareOp::LessEqual},
            {">=", CompareOp::GreaterEqual},
        };
        for (const auto& [symbol, op] : kOps) {
            if (m_token.text == symbol) {
                Advance();
                NodePtr right = List();
                return right ? MakeCompare(op, left, right) : nullptr;
            }
        }
        return left;
    }

    NodePtr List()
    {
        NodePtr left = Primary();
        while (left && IsSymbol(":")) {
            Advance();
            NodePtr right = Primary();
            if (!right)
                return nullptr;
            left = MakeConcat(left, right);
        }
        return left;
    }

    NodePtr Primary()
    {
        Token token = m_token;
        switch (token.kind) {
        case TokenKind::Text: {
            Advance();
            FormulaValue value;
            value.texts.push_back(token.text);
            return MakeLiteral(std::move(value));
        }
        case TokenKind::Number: {
            Advance();
            FormulaValue value;
            value.isNumber = true;
            value.numbers.push_back(token.number);
            return MakeLiteral(std::move(value));
        }
        case TokenKind::Name:
            Advance();
            return MakeField(token.text);
        case TokenKind::AtName:
            Advance();
            return Call(token.text);
        case TokenKind::Symbol:
            if (token.text == "(") {
                Advance();
                NodePtr inner = Logic();
                if (!inner || !IsSymbol(")"))
                    return nullptr;
                Advance();
                return inner;
            }
            if (token.text == "-") {
                Advance();
                if (m_token.kind != TokenKind::Number)
                    return nullptr;
                FormulaValue value;
                value.isNumber = true;
                value.numbers.push_back(-m_token.number);
                Advance();
                return MakeLiteral(std::move(value));
            }
            return nullptr;
        default:
            return nullptr;
        }
    }

    bool Arguments(std::vector<NodePtr>& arguments)
    {
        if (!IsSymbol("("))
            return true;
        Advance();
        if (IsSymbol(")")) {
            Advance();
            return true;
        }
        while (true) {
            // A field name alone is taken as the field itself, so
            // @IsAvailable(Subject) can test for it.
            NodePtr argument = Logic();
            if (!argument)
                return false;
            arguments.push_back(argument);
            if (IsSymbol(";")) {
                Advance();
                continue;
            }
            if (!IsSymbol(")"))
                return false;
            Advance();
            return true;
        }
    }

    NodePtr Call(const std::string& name)
    {
        std::vector<NodePtr> arguments;
        std::vector<std::string> fieldNames;
        // The field-testing functions take a bare field name.
        bool fieldArgument = Upper(name, "@ISAVAILABLE") || Upper(name, "@ISUNAVAILABLE");
        if (fieldArgument) {
            if (!IsSymbol("("))
                return nullptr;
            Advance();
            if (m_token.kind != TokenKind::Name)
                return nullptr;
            std::string field = m_token.text;
            Advance();
            if (!IsSymbol(")"))
                return nullptr;
            Advance();
            bool wanted = Upper(name, "@ISAVAILABLE");
            return MakeFunction(
                [field, wanted](const NoteData& note, const std::vector<NodePtr>&) {
                    return Bool(HasField(note, field) == wanted);
                },
                std::vector<NodePtr>{});
        }
        if (!Arguments(arguments))
            return nullptr;
        auto expect = [&](std::size_t count) { return arguments.size() == count; };
        if ((Upper(name, "@ALL") || Upper(name, "@TRUE")) && expect(0))
            return MakeLiteral(Bool(true));
        if (Upper(name, "@FALSE") && expect(0))
            return MakeLiteral(Bool(false));
        if (Upper(name, "@LOWERCASE") && expect(1))
            return MakeFunction(
                [](const NoteData& note, const std::vector<NodePtr>& args) {
                    return MapTexts(args[0]->Evaluate(note), [](int c) { return std::tolower(c); });
                },
                arguments);
        if (Upper(name, "@UPPERCASE") && expect(1))
            return MakeFunction(
                [](const NoteData& note, const std::vector<NodePtr>& args) {
                    return MapTexts(args[0]->Evaluate(note), [](int c) { return std::toupper(c); });
                },
                arguments);
        if (Upper(name, "@CONTAINS") && expect(2))
            return MakeFunction(
                [](const NoteData& note, const std::vector<NodePtr>& args) {
                    return Bool(AnyTextPair(args[0]->Evaluate(note), args[1]->Evaluate(note),
                                            [](std::string_view a, std::string_view b) {
                                                return a.find(b) != std::string_view::npos;
                                            }));
                },
                arguments);
        if (Upper(name, "@BEGINS") && expect(2))
            return MakeFunction(
                [](const NoteData& note, const std::vector<NodePtr>& args) {
                    return Bool(AnyTextPair(args[0]->Evaluate(note), args[1]->Evaluate(note),
                                            [](std::string_view a, std::string_view b) { return a.starts_with(b); }));
                },
                arguments);
        return nullptr;
    }

    Lexer m_lexer;
    Token m_token;
};

} // namespace

std::shared_ptr<const FormulaNode> ParseFormula(std::string_view text)
{
    Parser parser(text);
    return parser.Formula();
}

} // namespace notes::detail
