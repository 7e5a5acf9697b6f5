// libFuzzer target: any text as a resource script must parse or fail with
// a line and a reason; never crash. A file the script names reads as the
// bytes of the script itself.
#include "user/Resources.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<BYTE> bytes(data, data + size);
    user::ResourceSet set;
    user::ScriptError error;
    const bool parsed = user::ParseResourceScript(
        text, [&](const std::string&) { return std::optional<std::vector<BYTE>>(bytes); }, set, &error);
    if (!parsed && (error.line < 0 || error.message.empty()))
        std::abort();
    return 0;
}
