// The classes of the three components as the registry knows them, shared by
// the servers, the installer and the tests.
#pragma once

#include "ole/ServerRegistration.h"

namespace components {

inline const ole::ServerClass kOutlookClass{
    u"Outlook.Application",
    {0x3C8F4E21, 0x7A5D, 0x4B90, {0x8E, 0x16, 0x2F, 0x4A, 0x9C, 0x61, 0xD0, 0x57}},
    u"Outlook automation server"};
inline const ole::ServerClass kRdoSessionClass{
    u"TolvaneRedmp.RDOSessionTol",
    {0x91B2D6E4, 0x0C37, 0x4F1A, {0xA5, 0x48, 0x6E, 0x13, 0xB7, 0x2C, 0x85, 0xF9}},
    u"TolvaneRedmp RDO session"};
inline const ole::ServerClass kBrenmoorClass{
    u"brenmoor.Class1",
    {0x5E07A9C3, 0xD421, 0x4C6B, {0x9F, 0x3D, 0x18, 0x72, 0xE5, 0x0B, 0x46, 0xAE}},
    u"brenmoor.Class1"};

// Where an installed Outlook keeps its automation server, and the two
// component files in the install folder.
inline constexpr const char16_t* kOutlookServerPath = u"C:\\Program Files\\Microsoft Office\\Outlook.dll";
inline constexpr const char16_t* kRdoFileName = u"TolvaneRedmp.dll";
inline constexpr const char16_t* kBrenmoorFileName = u"Brenmoor.dll";

} // namespace components
