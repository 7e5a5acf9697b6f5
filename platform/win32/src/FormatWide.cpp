// The printf engine of the wide C runtime, for WCHAR strings. Numbers are
// formatted by the host's snprintf from a rebuilt narrow specification; %s
// takes a WCHAR string and %S a narrow one, as in the wide functions of Windows.
#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <charconv>
#include <cstdio>
#include <string>

namespace {

enum class Size { Default, Short, Long, LongLong };

std::u16string Pad(std::u16string text, int width, bool leftAlign)
{
    if (width > 0 && static_cast<int>(text.size()) < width) {
        std::u16string fill(static_cast<std::size_t>(width) - text.size(), u' ');
        text = leftAlign ? text + fill : fill + text;
    }
    return text;
}

// The host's snprintf of one number, however wide its field.
template <typename Value>
std::u16string PrintNumber(const std::string& spec, Value value)
{
    int length = std::snprintf(nullptr, 0, spec.c_str(), value);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, spec.c_str(), value);
    return AnsiToWide(text);
}

// A plain %d, %i, %u, %o, %x or %X (no flags, width or precision), the most
// common by far, as snprintf would write it, without asking it twice.
template <typename Value>
bool AppendPlainNumber(std::u16string& out, const std::string& spec, WCHAR conv, Value value)
{
    // The format item is "%" and its conversion letter, nothing between.
    if (spec.size() != 2)
        return false;
    char digits[24];
    const int base = conv == u'x' || conv == u'X' ? 16 : conv == u'o' ? 8 : 10;
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value, base);
    if (error != std::errc())
        return false;
    for (const char* d = digits; d != end; ++d)
        out += static_cast<char16_t>(conv == u'X' && *d >= 'a' ? *d - 'a' + 'A' : *d);
    return true;
}

} // namespace

std::u16string FormatWide(const WCHAR* format, va_list args)
{
    std::u16string out;
    va_list ap;
    va_copy(ap, args);
    for (const WCHAR* p = format; *p; ++p) {
        if (*p != u'%') {
            out += *p;
            continue;
        }
        ++p;
        if (*p == u'%') {
            out += u'%';
            continue;
        }
        std::string spec = "%";
        bool leftAlign = false;
        while (*p == u'-' || *p == u'+' || *p == u' ' || *p == u'#' || *p == u'0') {
            leftAlign = leftAlign || *p == u'-';
            spec += static_cast<char>(*p++);
        }
        int width = 0;
        if (*p == u'*') {
            width = va_arg(ap, int);
            if (width < 0) {
                leftAlign = true;
                width = -width;
                spec += '-';
            }
            spec += std::to_string(width);
            ++p;
        } else {
            while (*p >= u'0' && *p <= u'9') {
                width = width * 10 + (*p - u'0');
                spec += static_cast<char>(*p++);
            }
        }
        int precision = -1;
        if (*p == u'.') {
            spec += '.';
            ++p;
            precision = 0;
            if (*p == u'*') {
                precision = va_arg(ap, int);
                spec += std::to_string(precision);
                ++p;
            } else {
                while (*p >= u'0' && *p <= u'9') {
                    precision = precision * 10 + (*p - u'0');
                    spec += static_cast<char>(*p++);
                }
            }
        }
        Size size = Size::Default;
        if (*p == u'h') {
            size = Size::Short;
            ++p;
        } else if (*p == u'l') {
            size = Size::Long;
            ++p;
            if (*p == u'l') {
                size = Size::LongLong;
                ++p;
            }
        } else if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') {
            size = Size::LongLong;
            p += 3;
        }
        WCHAR conv = *p;
        if (!conv)
            break;
        switch (conv) {
        case u'd':
        case u'i':
        case u'u':
        case u'x':
        case u'X':
        case u'o': {
            bool isSigned = conv == u'd' || conv == u'i';
            if (size == Size::LongLong) {
                spec += "ll";
                spec += static_cast<char>(conv);
                if (isSigned)
                    out += PrintNumber(spec, va_arg(ap, long long));
                else
                    out += PrintNumber(spec, va_arg(ap, unsigned long long));
            } else {
                // Windows' long is 32 bits, so %ld takes the same int as %d.
                spec += static_cast<char>(conv);
                if (isSigned) {
                    int v = va_arg(ap, int);
                    if (size == Size::Short)
                        v = static_cast<short>(v);
                    if (!AppendPlainNumber(out, spec, conv, v))
                        out += PrintNumber(spec, v);
                } else {
                    unsigned v = va_arg(ap, unsigned);
                    if (size == Size::Short)
                        v = static_cast<unsigned short>(v);
                    if (!AppendPlainNumber(out, spec, conv, v))
                        out += PrintNumber(spec, v);
                }
            }
            break;
        }
        case u'f':
        case u'F':
        case u'g':
        case u'G':
        case u'e':
        case u'E':
            spec += static_cast<char>(conv);
            out += PrintNumber(spec, va_arg(ap, double));
            break;
        case u'p':
            out += PrintNumber("%p", va_arg(ap, void*));
            break;
        case u'c': {
            WCHAR c = static_cast<WCHAR>(va_arg(ap, int));
            out += Pad(std::u16string(1, c), width, leftAlign);
            break;
        }
        case u's':
        case u'S': {
            std::u16string text;
            if (conv == u's') {
                const WCHAR* s = va_arg(ap, const WCHAR*);
                text = s ? s : u"(null)";
            } else {
                const char* s = va_arg(ap, const char*);
                text = s ? AnsiToWide(s) : u"(null)";
            }
            if (precision >= 0 && static_cast<int>(text.size()) > precision)
                text.resize(static_cast<std::size_t>(precision));
            out += Pad(std::move(text), width, leftAlign);
            break;
        }
        default:
            out += u'%';
            out += conv;
            break;
        }
    }
    va_end(ap);
    return out;
}
