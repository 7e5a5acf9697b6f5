// Helpers the messaging layer shares: results of the LTP layer as the store's
// results, strings of either type, and the clock.
#pragma once

#include "mapi/Properties.h"
#include "mapi/Result.h"
#include "mapi/ltp/LtpResult.h"

#include <string>

namespace mapi::message {

template <class T>
Result<T> FromLtp(ltp::Result<T>&& result, const std::string& context)
{
    if (!result.Ok())
        return MakeError(context + ": " + result.Message());
    return std::move(result).Value();
}

inline Result<void> FromLtp(ltp::Result<void>&& result, const std::string& context)
{
    if (!result.Ok())
        return MakeError(context + ": " + result.Message());
    return {};
}

// The text of a PT_UNICODE or PT_STRING8 property (the latter in the
// Windows-1252 code page); empty when the bag has neither.
std::u16string StringOf(const CPropertyBag& bag, std::uint32_t tag);
// PT_STRING8 text of an ANSI store: Windows-1252, whatever the machine's
// code page, as the stores written by Outlook on such machines hold it.
std::u16string Windows1252Text(std::string_view text);
// Folder names compare without regard to case.
bool SameName(const std::u16string& a, const std::u16string& b);
std::string Narrow(const std::u16string& text); // UTF-8, for messages
FileTime Now();

} // namespace mapi::message
