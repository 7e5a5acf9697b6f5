#include "win32/AnsiCase.h"

#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <cstring>

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

} // namespace

DWORD CharUpperBuffA(LPSTR text, DWORD length)
{
    if (!text)
        return 0;
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
