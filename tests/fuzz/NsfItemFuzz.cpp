// libFuzzer target: any bytes as the stored value of a Notes item must
// decode, as each item type, or be refused; never crash.
#include "notes/format/DateTimeValue.h"
#include "notes/format/ItemCodec.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view blob(reinterpret_cast<const char*>(data), size);
    using namespace notes::format;
    (void)DecodeTextList(blob);
    (void)DecodeNumberList(blob);
    (void)DecodeDateTimeList(blob);
    (void)DecodeRichText(blob);
    (void)ParseDateTime(blob);
    return 0;
}
