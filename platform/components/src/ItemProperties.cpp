#include "components/ItemProperties.h"

#include "components/LocalTime.h"
#include "mapi/PropTags.h"
#include "mapi/ltp/PropertySets.h"
#include "ole/DispatchObject.h"
#include "ole/Variant.h"

namespace components {

namespace {

using namespace mapi;
using mapi::ltp::PSETID_Address;
using mapi::ltp::PSETID_Appointment;
using mapi::ltp::PSETID_Common;
using mapi::ltp::PS_PUBLIC_STRINGS;

// Tags of [MS-OXPROPS] that only the components use.
constexpr std::uint32_t PR_START_DATE = PROP_TAG(PT_SYSTIME, 0x0060);
constexpr std::uint32_t PR_END_DATE = PROP_TAG(PT_SYSTIME, 0x0061);
constexpr std::uint32_t PR_WEDDING_ANNIVERSARY = PROP_TAG(PT_SYSTIME, 0x3A41);

PropertyKey T(std::uint32_t tag)
{
    return PropertyKey::Tag(tag);
}

PropertyKey Appointment(std::uint32_t lid, std::uint16_t type)
{
    return PropertyKey::Named(PSETID_Appointment, lid, type);
}

PropertyKey Common(std::uint32_t lid, std::uint16_t type)
{
    return PropertyKey::Named(PSETID_Common, lid, type);
}

PropertyKey Address(std::uint32_t lid, std::uint16_t type)
{
    return PropertyKey::Named(PSETID_Address, lid, type);
}

// Contact items. FullName is the display name; the Notes person's two mail
// addresses are the contact's first and second e-mail addresses.
const std::vector<ItemPropertyRow>& ContactRows()
{
    static const std::vector<ItemPropertyRow> rows = {
        {0x60040002, u"Anniversary", PutKind::Date, {T(PR_WEDDING_ANNIVERSARY)}},
        {0x60040008, u"Birthday", PutKind::Date, {T(PR_BIRTHDAY)}},
        {0x6004001A, u"BusinessFaxNumber", PutKind::Text, {T(PR_BUSINESS_FAX_NUMBER)}},
        {0x6004002B, u"BusinessTelephoneNumber", PutKind::Text, {T(PR_BUSINESS_TELEPHONE_NUMBER)}},
        {0x6004002D, u"CompanyName", PutKind::Text, {T(PR_COMPANY_NAME)}},
        {0x60040033, u"Department", PutKind::Text, {T(PR_DEPARTMENT_NAME)}},
        {0x60040035, u"Email1Address", PutKind::Text, {key::Email1Address()}},
        {0x6004004D, u"FirstName", PutKind::Text, {T(PR_GIVEN_NAME)}},
        {0x60040051, u"FullName", PutKind::Text, {T(PR_DISPLAY_NAME)}},
        {0x6004006B, u"HomeFaxNumber", PutKind::Text, {T(PR_HOME_FAX_NUMBER)}},
        {0x60040077, u"JobTitle", PutKind::Text, {T(PR_TITLE)}},
        {0x60040083, u"LastName", PutKind::Text, {T(PR_SURNAME)}},
        {0x60040086, u"Email2Address", PutKind::Text, {key::Email2Address()}},
        {0x6004008A, u"HomeAddressCountry", PutKind::Text, {T(PR_HOME_ADDRESS_COUNTRY)}},
        {0x60040096, u"MiddleName", PutKind::Text, {T(PR_MIDDLE_NAME)}},
        {0x60040098, u"MobileTelephoneNumber", PutKind::Text, {T(PR_MOBILE_TELEPHONE_NUMBER)}},
        {0x6004009E, u"NickName", PutKind::Text, {T(PR_NICKNAME)}},
        {0x600400BA, u"OtherTelephoneNumber", PutKind::Text, {T(PR_OTHER_TELEPHONE_NUMBER)}},
    };
    return rows;
}

// Appointment items, after [MS-OXOCAL]: the start and end go to the
// message's own dates and to the whole-start and whole-end properties;
// attendee lists become recipients (required To, optional and FYI Cc,
// resources Bcc as Outlook keeps them) and the attendee texts; the value 5
// that meetings put on 0x6004001A is a response status ("not responded").
const std::vector<ItemPropertyRow>& AppointmentRows()
{
    static const std::vector<ItemPropertyRow> rows = {
        {0x0, u"Subject", PutKind::Text, {T(PR_SUBJECT)}},
        {0x9, u"FYIAttendees", PutKind::Text, {}, MAPI_CC},
        {0xB, u"Body", PutKind::Text, {T(PR_BODY)}},
        {0xD, u"Categories", PutKind::Text, {key::Keywords()}},
        {0x2D, u"ReminderSet", PutKind::Bool, {key::ReminderSet()}},
        {0x60040000, u"AllDayEvent", PutKind::Bool, {key::AllDay()}},
        {0x6004000A, u"End", PutKind::Date, {key::EndDate(), key::EndWhole(), key::CommonEnd()}},
        {0x6004001A, u"ResponseStatus", PutKind::Long, {Appointment(lid::ResponseStatus, PT_LONG)}},
        {0x6004002A, u"OptionalAttendees", PutKind::Text, {Appointment(lid::CcAttendeesString, PT_UNICODE)}, MAPI_CC},
        {0x6004002F, u"ReminderMinutesBeforeStart", PutKind::Long, {key::ReminderDelta()}},
        {0x6004003B, u"RequiredAttendees", PutKind::Text, {Appointment(lid::ToAttendeesString, PT_UNICODE)}, MAPI_TO},
        {0x6004003D, u"Resources", PutKind::Text, {}, MAPI_BCC},
        {0x60040042, u"Start", PutKind::Date, {key::StartDate(), key::StartWhole(), key::CommonStart()}},
        {0x60040049, u"Location", PutKind::Text, {Appointment(lid::Location, PT_UNICODE)}},
    };
    return rows;
}

// The value in the row's kind: text, a FILETIME, a flag or a number.
PropertyValue ValueFor(const ItemPropertyRow& row, const VARIANT& value)
{
    std::optional<PropertyValue> converted;
    switch (row.kind) {
    case PutKind::Text:
        if (auto text = ole::ToString(value))
            converted = PropertyValue::Unicode(*text);
        break;
    case PutKind::Date:
        if (auto date = ole::ToDate(value)) {
            if (auto time = FileTimeFromLocalDate(*date))
                converted = PropertyValue::SysTime(*time);
        }
        break;
    case PutKind::Bool:
        if (auto flag = ole::ToBool(value))
            converted = PropertyValue::Boolean(*flag);
        break;
    case PutKind::Long:
        if (auto number = ole::ToLong(value))
            converted = PropertyValue::Long(*number);
        break;
    }
    if (!converted)
        throw ole::CDispatchError(DISP_E_TYPEMISMATCH, std::u16string(u"wrong value for ") + row.name);
    return *converted;
}

} // namespace

namespace key {
PropertyKey StartDate() { return T(PR_START_DATE); }
PropertyKey EndDate() { return T(PR_END_DATE); }
PropertyKey StartWhole() { return Appointment(lid::AppointmentStartWhole, PT_SYSTIME); }
PropertyKey EndWhole() { return Appointment(lid::AppointmentEndWhole, PT_SYSTIME); }
PropertyKey CommonStart() { return Common(lid::CommonStart, PT_SYSTIME); }
PropertyKey CommonEnd() { return Common(lid::CommonEnd, PT_SYSTIME); }
PropertyKey AllDay() { return Appointment(lid::AppointmentSubType, PT_BOOLEAN); }
PropertyKey ReminderSet() { return Common(lid::ReminderSet, PT_BOOLEAN); }
PropertyKey ReminderDelta() { return Common(lid::ReminderDelta, PT_LONG); }
PropertyKey ReminderTime() { return Common(lid::ReminderTime, PT_SYSTIME); }
PropertyKey ReminderSignalTime() { return Common(lid::ReminderSignalTime, PT_SYSTIME); }
PropertyKey Duration() { return Appointment(lid::AppointmentDuration, PT_LONG); }
PropertyKey AllAttendees() { return Appointment(lid::AllAttendeesString, PT_UNICODE); }
PropertyKey Keywords() { return PropertyKey::NamedString(PS_PUBLIC_STRINGS, u"Keywords", PT_MV_UNICODE); }
PropertyKey FileUnder() { return Address(lid::FileUnder, PT_UNICODE); }
PropertyKey Email1Address() { return Address(lid::Email1EmailAddress, PT_UNICODE); }
PropertyKey Email2Address() { return Address(lid::Email2EmailAddress, PT_UNICODE); }
} // namespace key

std::span<const ItemPropertyRow> ItemProperties(ItemKind kind)
{
    return kind == ItemKind::Contact ? ContactRows() : AppointmentRows();
}

const ItemPropertyRow* FindItemProperty(ItemKind kind, DISPID dispid)
{
    for (const ItemPropertyRow& row : ItemProperties(kind)) {
        if (row.dispid == dispid)
            return &row;
    }
    return nullptr;
}

void PutItemProperty(ItemDraft& draft, const ItemPropertyRow& row, const VARIANT& value)
{
    PropertyValue converted = ValueFor(row, value);
    for (const PropertyKey& target : row.targets) {
        const std::u16string* text = converted.Get<std::u16string>();
        if (target.Type() == PT_MV_UNICODE && text)
            draft.Set(target, PropertyValue::MvUnicode({*text}));
        else
            draft.Set(target, converted);
    }
}

std::u16string MessageClassOf(ItemKind kind)
{
    return kind == ItemKind::Contact ? u"IPM.Contact" : u"IPM.Appointment";
}

std::u16string ContainerClassOf(FolderKind kind)
{
    switch (kind) {
    case FolderKind::Calendar:
        return u"IPF.Appointment";
    case FolderKind::Contacts:
        return u"IPF.Contact";
    case FolderKind::Mail:
        break;
    }
    return u"IPF.Note";
}

bool IsKnownItemKind(LONG kind)
{
    return kind == static_cast<LONG>(ItemKind::Appointment) || kind == static_cast<LONG>(ItemKind::Contact);
}

bool IsKnownFolderKind(LONG kind)
{
    return kind == static_cast<LONG>(FolderKind::Calendar) || kind == static_cast<LONG>(FolderKind::Contacts);
}

} // namespace components
