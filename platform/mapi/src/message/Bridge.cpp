#include "Bridge.h"

#include "win32/CodePage.h"
#include "win32/WideString.h"

#include <chrono>

namespace mapi::message {

std::u16string StringOf(const CPropertyBag& bag, std::uint32_t tag)
{
    const PropertyValue* value = bag.Get(CHANGE_PROP_TYPE(tag, CPropertyBag::kAnyType));
    if (!value)
        return {};
    if (const auto* wide = value->Get<std::u16string>())
        return *wide;
    if (const auto* narrow = value->Get<std::string>())
        return Windows1252Text(*narrow);
    return {};
}

std::u16string Windows1252Text(std::string_view text)
{
    if (text.empty())
        return {};
    std::u16string wide(text.size(), u'\0');
    const int n = MultiByteToWideChar(CP_1252, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                      static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(n));
    return wide;
}

bool SameName(const std::u16string& a, const std::u16string& b) { return EqualsNoCase(a, b); }

std::string Narrow(const std::u16string& text) { return Utf16ToUtf8(text); }

FileTime Now()
{
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    return kFileTimeUnixEpoch +
           static_cast<FileTime>(std::chrono::duration_cast<std::chrono::microseconds>(since).count()) * 10;
}

} // namespace mapi::message
