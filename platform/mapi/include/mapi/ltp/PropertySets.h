#pragma once

#include "mapi/ltp/PropertyValue.h"

// The property sets of named properties ([MS-OXPROPS] 1.3.2).
namespace mapi::ltp {

inline const Guid PS_MAPI = Guid::FromParts(0x00020328, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
inline const Guid PS_PUBLIC_STRINGS = Guid::FromParts(0x00020329, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
inline const Guid PS_INTERNET_HEADERS = Guid::FromParts(0x00020386, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
inline const Guid PSETID_Appointment = Guid::FromParts(0x00062002, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
inline const Guid PSETID_Task = Guid::FromParts(0x00062003, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
inline const Guid PSETID_Address = Guid::FromParts(0x00062004, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
inline const Guid PSETID_Common = Guid::FromParts(0x00062008, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
inline const Guid PSETID_Meeting = Guid::FromParts(0x6ED8DA90, 0x450B, 0x101B, {0x98, 0xDA, 0x00, 0xAA, 0x00, 0x3F, 0x13, 0x05});

} // namespace mapi::ltp
