// The property vocabulary of the message store for its users: values, bags of
// values, property tags (PR_*, from PropTags.h) and the named properties
// (PidLid*, PidName*) of mail, contact and appointment items ([MS-OXPROPS],
// [MS-OXOCNTC], [MS-OXOCAL]). A named property has no fixed tag: each store
// maps its name to an id through the name-to-id map, so messages take it as a
// NamedTag and the store finds or assigns the id.
#pragma once

#include "mapi/PropTags.h"
#include "mapi/ltp/NameIdMap.h"
#include "mapi/ltp/PropertyBag.h"
#include "mapi/ltp/PropertySets.h"
#include "mapi/ltp/PropertyValue.h"

#include <cstdint>
#include <string>

namespace mapi {

using ltp::CPropertyBag;
using ltp::Guid;
using ltp::NamedProperty;
using ltp::PropertyValue;

using ltp::PS_INTERNET_HEADERS;
using ltp::PS_MAPI;
using ltp::PS_PUBLIC_STRINGS;
using ltp::PSETID_Address;
using ltp::PSETID_Appointment;
using ltp::PSETID_Common;
using ltp::PSETID_Meeting;
using ltp::PSETID_Task;

// A FILETIME: 100-nanosecond intervals since 1 January 1601 (UTC).
using FileTime = std::uint64_t;
// FILETIME of 1 January 1970, for conversions from Unix time.
constexpr FileTime kFileTimeUnixEpoch = 116444736000000000ull;
constexpr FileTime FileTimeFromUnixSeconds(std::int64_t seconds)
{
    return static_cast<FileTime>(static_cast<std::int64_t>(kFileTimeUnixEpoch) + seconds * 10000000);
}

// A named property with the type its value has.
struct NamedTag {
    NamedProperty name;
    std::uint16_t type = PT_UNSPECIFIED;
};

inline NamedTag LidTag(const Guid& set, std::uint32_t lid, std::uint16_t type)
{
    return {NamedProperty::Lid(set, lid), type};
}

// Further tags of message, appointment and contact items.
constexpr std::uint32_t PR_START_DATE = PROP_TAG(PT_SYSTIME, 0x0060);
constexpr std::uint32_t PR_END_DATE = PROP_TAG(PT_SYSTIME, 0x0061);
constexpr std::uint32_t PR_ICON_INDEX = PROP_TAG(PT_LONG, 0x1080);
constexpr std::uint32_t PR_WEDDING_ANNIVERSARY = PROP_TAG(PT_SYSTIME, 0x3A41);
constexpr std::uint32_t PR_RECIPIENT_FLAGS = PROP_TAG(PT_LONG, 0x5FFD);
constexpr std::uint32_t PR_ATTACH_CONTENT_LOCATION = PROP_TAG(PT_UNICODE, 0x3713);

// PR_OBJECT_TYPE and PR_DISPLAY_TYPE of recipients.
constexpr std::int32_t MAPI_MAILUSER = 6;
constexpr std::int32_t DT_MAILUSER = 0;

// Named properties of contacts ([MS-OXOCNTC]).
inline const NamedTag PidLidFileUnder = LidTag(PSETID_Address, lid::FileUnder, PT_UNICODE);
inline const NamedTag PidLidFileUnderId = LidTag(PSETID_Address, lid::FileUnderId, PT_LONG);
inline const NamedTag PidLidEmail1DisplayName = LidTag(PSETID_Address, lid::Email1DisplayName, PT_UNICODE);
inline const NamedTag PidLidEmail1AddressType = LidTag(PSETID_Address, lid::Email1AddressType, PT_UNICODE);
inline const NamedTag PidLidEmail1EmailAddress = LidTag(PSETID_Address, lid::Email1EmailAddress, PT_UNICODE);
inline const NamedTag PidLidEmail1OriginalDisplayName =
    LidTag(PSETID_Address, lid::Email1OriginalDisplayName, PT_UNICODE);
inline const NamedTag PidLidEmail1OriginalEntryId = LidTag(PSETID_Address, lid::Email1OriginalEntryId, PT_BINARY);
inline const NamedTag PidLidAddressBookProviderEmailList =
    LidTag(PSETID_Address, lid::AddressBookProviderEmailList, PT_MV_LONG);
inline const NamedTag PidLidAddressBookProviderArrayType =
    LidTag(PSETID_Address, lid::AddressBookProviderArrayType, PT_LONG);
inline const NamedTag PidLidWorkAddressStreet = LidTag(PSETID_Address, lid::WorkAddressStreet, PT_UNICODE);
inline const NamedTag PidLidWorkAddressCity = LidTag(PSETID_Address, lid::WorkAddressCity, PT_UNICODE);
inline const NamedTag PidLidWorkAddressState = LidTag(PSETID_Address, lid::WorkAddressState, PT_UNICODE);
inline const NamedTag PidLidWorkAddressPostalCode = LidTag(PSETID_Address, lid::WorkAddressPostalCode, PT_UNICODE);
inline const NamedTag PidLidWorkAddressCountry = LidTag(PSETID_Address, lid::WorkAddressCountry, PT_UNICODE);
inline const NamedTag PidLidInstantMessagingAddress =
    LidTag(PSETID_Address, lid::InstantMessagingAddress, PT_UNICODE);
inline const NamedTag PidLidHtml = LidTag(PSETID_Address, lid::Html, PT_UNICODE);

// Named properties of appointments ([MS-OXOCAL]).
inline const NamedTag PidLidAppointmentSequence = LidTag(PSETID_Appointment, lid::AppointmentSequence, PT_LONG);
inline const NamedTag PidLidBusyStatus = LidTag(PSETID_Appointment, lid::BusyStatus, PT_LONG);
inline const NamedTag PidLidLocation = LidTag(PSETID_Appointment, lid::Location, PT_UNICODE);
inline const NamedTag PidLidAppointmentStartWhole =
    LidTag(PSETID_Appointment, lid::AppointmentStartWhole, PT_SYSTIME);
inline const NamedTag PidLidAppointmentEndWhole = LidTag(PSETID_Appointment, lid::AppointmentEndWhole, PT_SYSTIME);
inline const NamedTag PidLidAppointmentDuration = LidTag(PSETID_Appointment, lid::AppointmentDuration, PT_LONG);
inline const NamedTag PidLidAppointmentColor = LidTag(PSETID_Appointment, lid::AppointmentColor, PT_LONG);
inline const NamedTag PidLidAppointmentSubType = LidTag(PSETID_Appointment, lid::AppointmentSubType, PT_BOOLEAN);
inline const NamedTag PidLidAppointmentStateFlags =
    LidTag(PSETID_Appointment, lid::AppointmentStateFlags, PT_LONG);
inline const NamedTag PidLidResponseStatus = LidTag(PSETID_Appointment, lid::ResponseStatus, PT_LONG);
inline const NamedTag PidLidRecurring = LidTag(PSETID_Appointment, lid::Recurring, PT_BOOLEAN);
inline const NamedTag PidLidClipStart = LidTag(PSETID_Appointment, lid::ClipStart, PT_SYSTIME);
inline const NamedTag PidLidClipEnd = LidTag(PSETID_Appointment, lid::ClipEnd, PT_SYSTIME);
inline const NamedTag PidLidAllAttendeesString = LidTag(PSETID_Appointment, lid::AllAttendeesString, PT_UNICODE);
inline const NamedTag PidLidToAttendeesString = LidTag(PSETID_Appointment, lid::ToAttendeesString, PT_UNICODE);
inline const NamedTag PidLidCcAttendeesString = LidTag(PSETID_Appointment, lid::CcAttendeesString, PT_UNICODE);

// Named properties common to every kind of item.
inline const NamedTag PidLidReminderDelta = LidTag(PSETID_Common, lid::ReminderDelta, PT_LONG);
inline const NamedTag PidLidReminderTime = LidTag(PSETID_Common, lid::ReminderTime, PT_SYSTIME);
inline const NamedTag PidLidReminderSet = LidTag(PSETID_Common, lid::ReminderSet, PT_BOOLEAN);
inline const NamedTag PidLidReminderSignalTime = LidTag(PSETID_Common, lid::ReminderSignalTime, PT_SYSTIME);
inline const NamedTag PidLidPrivate = LidTag(PSETID_Common, lid::Private, PT_BOOLEAN);
inline const NamedTag PidLidSideEffects = LidTag(PSETID_Common, lid::SideEffects, PT_LONG);
inline const NamedTag PidLidCommonStart = LidTag(PSETID_Common, lid::CommonStart, PT_SYSTIME);
inline const NamedTag PidLidCommonEnd = LidTag(PSETID_Common, lid::CommonEnd, PT_SYSTIME);
inline const NamedTag PidLidCurrentVersion = LidTag(PSETID_Common, lid::CurrentVersion, PT_LONG);
inline const NamedTag PidLidCurrentVersionName = LidTag(PSETID_Common, lid::CurrentVersionName, PT_UNICODE);

// The categories of an item: a named property by string.
inline const NamedTag PidNameKeywords{NamedProperty::Name(PS_PUBLIC_STRINGS, u"Keywords"), PT_MV_UNICODE};

// Busy states (PidLidBusyStatus).
constexpr std::int32_t olFree = 0;
constexpr std::int32_t olTentative = 1;
constexpr std::int32_t olBusy = 2;
constexpr std::int32_t olOutOfOffice = 3;

// PidLidAppointmentStateFlags bits.
constexpr std::int32_t asfMeeting = 0x0001;
constexpr std::int32_t asfReceived = 0x0002;
constexpr std::int32_t asfCanceled = 0x0004;

} // namespace mapi
