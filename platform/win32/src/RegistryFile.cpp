#include "RegistryFile.h"

#include "win32/Registry.h"
#include "win32/WideString.h"

#include <cstdio>
#include <sstream>

namespace win32 {

namespace {

std::string Quote(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

// Reads a quoted text starting at pos (which holds the opening quote);
// leaves pos after the closing quote.
bool Unquote(const std::string& line, std::size_t& pos, std::string& out)
{
    if (pos >= line.size() || line[pos] != '"')
        return false;
    ++pos;
    out.clear();
    while (pos < line.size()) {
        char c = line[pos++];
        if (c == '"')
            return true;
        if (c == '\\' && pos < line.size()) {
            char e = line[pos++];
            out += e == 'n' ? '\n' : e;
        } else {
            out += c;
        }
    }
    return false;
}

bool IsPrintableText(const RegistryValue& v)
{
    if (v.type != REG_SZ && v.type != REG_EXPAND_SZ)
        return false;
    if (v.data.size() < 2 || v.data.size() % 2 != 0)
        return false;
    std::size_t chars = v.data.size() / 2;
    for (std::size_t i = 0; i < chars; ++i) {
        char16_t c = static_cast<char16_t>(v.data[2 * i] | (v.data[2 * i + 1] << 8));
        bool last = i + 1 == chars;
        if ((c == 0) != last)
            return false;
        if (c >= 0xD800 && c <= 0xDFFF)
            return false;
    }
    return true;
}

std::u16string TextOf(const std::vector<BYTE>& data)
{
    std::u16string out;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2)
        out += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    return out;
}

} // namespace

std::u16string RegistryKeyId(std::u16string_view path)
{
    std::u16string id(path);
    for (auto& c : id)
        c = CharUpperChar(c);
    return id;
}

RegistryTree ParseRegistry(const std::string& text)
{
    RegistryTree tree;
    std::istringstream in(text);
    std::string line;
    RegistryKey* current = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            std::size_t close = line.rfind(']');
            if (close == std::string::npos || close == 0) {
                current = nullptr;
                continue;
            }
            std::u16string path = Utf8ToUtf16(line.substr(1, close - 1));
            RegistryKey& key = tree[RegistryKeyId(path)];
            key.path = path;
            current = &key;
            continue;
        }
        if (!current)
            continue;
        RegistryValue value;
        std::size_t pos = 0;
        if (line[0] == '@') {
            pos = 1;
        } else {
            std::string name;
            if (!Unquote(line, pos, name))
                continue;
            value.name = Utf8ToUtf16(name);
        }
        if (pos >= line.size() || line[pos] != '=')
            continue;
        ++pos;
        if (line.compare(pos, 3, "sz:") == 0 || line.compare(pos, 10, "expand_sz:") == 0) {
            value.type = line[pos] == 's' ? REG_SZ : REG_EXPAND_SZ;
            pos += value.type == REG_SZ ? 3 : 10;
            std::string body;
            if (!Unquote(line, pos, body))
                continue;
            std::u16string wide = Utf8ToUtf16(body);
            for (char16_t c : wide) {
                value.data.push_back(static_cast<BYTE>(c & 0xFF));
                value.data.push_back(static_cast<BYTE>(c >> 8));
            }
            value.data.push_back(0);
            value.data.push_back(0);
        } else if (line.compare(pos, 4, "hex(") == 0) {
            pos += 4;
            std::size_t close = line.find(')', pos);
            if (close == std::string::npos || close + 1 >= line.size() || line[close + 1] != ':')
                continue;
            value.type = static_cast<DWORD>(std::stoul(line.substr(pos, close - pos)));
            pos = close + 2;
            while (pos + 2 <= line.size()) {
                value.data.push_back(static_cast<BYTE>(std::stoul(line.substr(pos, 2), nullptr, 16)));
                pos += 3;
            }
        } else {
            continue;
        }
        current->values.push_back(std::move(value));
    }
    return tree;
}

std::string PrintRegistry(const RegistryTree& tree)
{
    std::string out = "; Registry of the Marlwick machine. Values are sz:\"text\" or hex(type):bytes.\n";
    for (const auto& [id, key] : tree) {
        out += "\n[" + Utf16ToUtf8(key.path) + "]\n";
        for (const auto& v : key.values) {
            out += v.name.empty() ? "@" : Quote(Utf16ToUtf8(v.name));
            out += '=';
            if (IsPrintableText(v)) {
                std::u16string text = TextOf(v.data);
                text.pop_back();
                out += v.type == REG_SZ ? "sz:" : "expand_sz:";
                out += Quote(Utf16ToUtf8(text));
            } else {
                char head[32];
                std::snprintf(head, sizeof head, "hex(%u):", v.type);
                out += head;
                for (std::size_t i = 0; i < v.data.size(); ++i) {
                    char byte[4];
                    std::snprintf(byte, sizeof byte, i ? ",%02x" : "%02x", v.data[i]);
                    out += byte;
                }
            }
            out += '\n';
        }
    }
    return out;
}

} // namespace win32
