#include "AttachmentNames.h"

#include "win32/CodePage.h"

#include <algorithm>

namespace {

constexpr std::u16string_view kFallbackName = u"Attachment";
constexpr std::u16string_view kNotInFileNames = u"*?\"<>|";

std::u16string Folded(std::u16string_view name)
{
    std::u16string folded(name);
    for (char16_t& c : folded) {
        // ASCII and the Latin-1 letters of the ANSI code page.
        if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
            c = static_cast<char16_t>(c + 0x20);
    }
    return folded;
}

} // namespace

std::u16string AttachmentBaseName(std::u16string_view name)
{
    std::size_t separator = name.find_last_of(u"\\/:");
    std::u16string base(separator == std::u16string_view::npos ? name : name.substr(separator + 1));
    if (std::all_of(base.begin(), base.end(), [](char16_t c) { return c == u'.'; }))
        return std::u16string(kFallbackName);
    // A character that no Windows file name holds would make the detach
    // fail and lose the attachment; it becomes "_" instead.
    std::replace_if(base.begin(), base.end(), [](char16_t c) { return c < 0x20 || kNotInFileNames.find(c) != std::u16string_view::npos; }, u'_');
    return base;
}

std::u16string CAttachmentNames::Take(std::u16string_view name, std::size_t maxLength)
{
    std::u16string base = AttachmentBaseName(name);
    std::replace(base.begin(), base.end(), u';', u'_');
    std::size_t dot = base.rfind(u'.');
    if (dot == 0 || dot == std::u16string::npos)
        dot = base.size();
    // An extension that would leave no room for a stem is cut like one.
    if (maxLength != std::u16string::npos && base.size() - dot >= maxLength)
        dot = base.size();
    const std::u16string_view stem = std::u16string_view(base).substr(0, dot);
    const std::u16string_view extension = std::u16string_view(base).substr(dot);
    auto fitted = [&](const std::u16string& number) {
        const std::size_t tail = number.size() + extension.size();
        const std::size_t room = maxLength > tail ? maxLength - tail : 0;
        return std::u16string(stem.substr(0, WideCutLength(stem, room))) + number + std::u16string(extension);
    };
    std::u16string candidate = fitted(u"");
    for (int number = 2; !m_taken.insert(Folded(candidate)).second; ++number)
        candidate = fitted(u"(" + AnsiToWide(std::to_string(number)) + u")");
    return candidate;
}
