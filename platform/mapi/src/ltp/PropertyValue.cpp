#include "mapi/ltp/PropertyValue.h"

namespace mapi::ltp {

Guid Guid::FromParts(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3, std::array<std::uint8_t, 8> d4)
{
    Guid g;
    for (int i = 0; i < 4; ++i) g.bytes[i] = static_cast<std::uint8_t>(d1 >> (8 * i));
    g.bytes[4] = static_cast<std::uint8_t>(d2);
    g.bytes[5] = static_cast<std::uint8_t>(d2 >> 8);
    g.bytes[6] = static_cast<std::uint8_t>(d3);
    g.bytes[7] = static_cast<std::uint8_t>(d3 >> 8);
    for (int i = 0; i < 8; ++i) g.bytes[8 + i] = d4[i];
    return g;
}

PropertyValue PropertyValue::Empty(std::uint16_t type)
{
    switch (type) {
    case PT_SHORT: return Short(0);
    case PT_LONG: return Long(0);
    case PT_ERROR: return ErrorCode(0);
    case PT_BOOLEAN: return Boolean(false);
    case PT_FLOAT: return Float(0);
    case PT_DOUBLE: return Double(0);
    case PT_APPTIME: return AppTime(0);
    case PT_CURRENCY: return Currency(0);
    case PT_LONGLONG: return LongLong(0);
    case PT_SYSTIME: return SysTime(0);
    case PT_UNICODE: return Unicode({});
    case PT_STRING8: return String8({});
    case PT_CLSID: return Clsid({});
    case PT_MV_SHORT: return {type, std::vector<std::int16_t>{}};
    case PT_MV_LONG: return MvLong({});
    case PT_MV_DOUBLE:
    case PT_MV_APPTIME: return {type, std::vector<double>{}};
    case PT_MV_CURRENCY:
    case PT_MV_LONGLONG: return {type, std::vector<std::int64_t>{}};
    case PT_MV_SYSTIME: return MvSysTime({});
    case PT_MV_CLSID: return {type, std::vector<Guid>{}};
    case PT_MV_UNICODE: return MvUnicode({});
    case PT_MV_STRING8: return MvString8({});
    case PT_MV_BINARY: return MvBinary({});
    default: return Raw(type, {});
    }
}

} // namespace mapi::ltp
