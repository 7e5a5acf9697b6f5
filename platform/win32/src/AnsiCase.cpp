#include "win32/AnsiCase.h"

#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <cstring>
#include <string>

namespace {

char UpperAnsi(char c)
{
    WCHAR wide = 0;
    if (MultiByteToWideChar(CP_ACP, 0, &c, 1, &wide, 1) != 1)
        return c;
    WCHAR upper = CharUpperChar(wide);
    if (upper == wide)
        return c;
    char narrow = 0;
    BOOL lost = FALSE;
    if (WideCharToMultiByte(CP_ACP, 0, &upper, 1, &narrow, 1, nullptr, &lost) != 1 || lost)
        return c;
    return narrow;
}

// UTF-8 character by character: a character whose upper case takes another
// number of bytes stays as it is, so the text keeps its length.
void UpperUtf8(LPSTR text, DWORD length)
{
    DWORD i = 0;
    while (i < length) {
        const auto lead = static_cast<unsigned char>(text[i]);
        DWORD bytes = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (i + bytes > length)
            bytes = 1;
        if (bytes < 4) { // characters of the supplementary planes have no case here
            std::u16string wide = AnsiToWide(std::string_view(text + i, bytes));
            if (wide.size() == 1 && wide[0] != 0xFFFD) {
                std::string upper = WideToAnsi(std::u16string(1, CharUpperChar(wide[0])));
                if (upper.size() == bytes)
                    std::memcpy(text + i, upper.data(), bytes);
            }
        }
        i += bytes;
    }
}

} // namespace

DWORD CharUpperBuffA(LPSTR text, DWORD length)
{
    if (!text)
        return 0;
    if (GetACP() == CP_UTF8) {
        UpperUtf8(text, length);
        return length;
    }
    for (DWORD i = 0; i < length; ++i)
        text[i] = UpperAnsi(text[i]);
    return length;
}

LPSTR CharUpperA(LPSTR text)
{
    if (text)
        CharUpperBuffA(text, static_cast<DWORD>(std::strlen(text)));
    return text;
}
