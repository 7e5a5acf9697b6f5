#include "CalendarText.h"

#include "win32/CodePage.h"

namespace {

// What a subject or location keeps when it does not fit.
constexpr std::size_t kLimitedTextCut = 1000;

} // namespace

ItemTextBuffer CopyLimitedText(const LNString& text)
{
    // The buffer length counts the terminator: 1024 bytes of text need 1025.
    if (static_cast<std::size_t>(text.GetBufLength()) > kItemTextBytes)
        return text.Text().substr(0, AnsiCutLength(text.Text(), kLimitedTextCut));
    return text.Text();
}

ItemTextBuffer CopyBoundedText(std::string_view text, std::size_t bufferBytes)
{
    return std::string(text.substr(0, AnsiCutLength(text, bufferBytes - 1)));
}

std::u16string WidenCapped(std::string_view narrow, std::size_t capacity)
{
    std::u16string wide = AnsiToWide(narrow);
    wide.resize(WideCutLength(wide, capacity - 1));
    return wide;
}

LPCWSTR MapCategoryCode(std::string_view element)
{
    if (element == "H")
        return u"Holiday";
    if (element == "PC")
        return u"Phone Calls";
    return u"Miscellaneous";
}
