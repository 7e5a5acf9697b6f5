#include "components/ItemProperties.h"

#include "components/LocalTime.h"
#include "components/ProfileStores.h"
#include "mapi/Folder.h"
#include "ole/Variant.h"

namespace components {

namespace {

using namespace mapi;

const NamedTag kPidLidEmail2EmailAddress = LidTag(PSETID_Address, lid::Email2EmailAddress, PT_UNICODE);

// Contact items. FullName is the display name; the Notes person's two mail
// addresses are the contact's first and second e-mail addresses.
const std::vector<ItemPropertyRow>& ContactRows()
{
    static const std::vector<ItemPropertyRow> rows = {
        {0x60040002, u"Anniversary", PutKind::Date, {PR_WEDDING_ANNIVERSARY}},
        {0x60040008, u"Birthday", PutKind::Date, {PR_BIRTHDAY}},
        {0x6004001A, u"BusinessFaxNumber", PutKind::Text, {PR_BUSINESS_FAX_NUMBER}},
        {0x6004002B, u"BusinessTelephoneNumber", PutKind::Text, {PR_BUSINESS_TELEPHONE_NUMBER}},
        {0x6004002D, u"CompanyName", PutKind::Text, {PR_COMPANY_NAME}},
        {0x60040033, u"Department", PutKind::Text, {PR_DEPARTMENT_NAME}},
        {0x60040035, u"Email1Address", PutKind::Text, {PidLidEmail1EmailAddress}},
        {0x6004004D, u"FirstName", PutKind::Text, {PR_GIVEN_NAME}},
        {0x60040051, u"FullName", PutKind::Text, {PR_DISPLAY_NAME}},
        {0x6004006B, u"HomeFaxNumber", PutKind::Text, {PR_HOME_FAX_NUMBER}},
        {0x60040077, u"JobTitle", PutKind::Text, {PR_TITLE}},
        {0x60040083, u"LastName", PutKind::Text, {PR_SURNAME}},
        {0x60040086, u"Email2Address", PutKind::Text, {kPidLidEmail2EmailAddress}},
        {0x6004008A, u"HomeAddressCountry", PutKind::Text, {PR_HOME_ADDRESS_COUNTRY}},
        {0x60040096, u"MiddleName", PutKind::Text, {PR_MIDDLE_NAME}},
        {0x60040098, u"MobileTelephoneNumber", PutKind::Text, {PR_MOBILE_TELEPHONE_NUMBER}},
        {0x6004009E, u"NickName", PutKind::Text, {PR_NICKNAME}},
        {0x600400BA, u"OtherTelephoneNumber", PutKind::Text, {PR_OTHER_TELEPHONE_NUMBER}},
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
        {0x0, u"Subject", PutKind::Text, {PR_SUBJECT}},
        {0x9, u"FYIAttendees", PutKind::Text, {}, MAPI_CC},
        {0xB, u"Body", PutKind::Text, {PR_BODY}},
        {0xD, u"Categories", PutKind::Text, {PidNameKeywords}},
        {0x2D, u"ReminderSet", PutKind::Bool, {PidLidReminderSet}},
        {0x60040000, u"AllDayEvent", PutKind::Bool, {PidLidAppointmentSubType}},
        {0x6004000A, u"End", PutKind::Date, {PR_END_DATE, PidLidAppointmentEndWhole, PidLidCommonEnd}},
        {0x6004001A, u"ResponseStatus", PutKind::Long, {PidLidResponseStatus}},
        {0x6004002A, u"OptionalAttendees", PutKind::Text, {PidLidCcAttendeesString}, MAPI_CC},
        {0x6004002F, u"ReminderMinutesBeforeStart", PutKind::Long, {PidLidReminderDelta}},
        {0x6004003B, u"RequiredAttendees", PutKind::Text, {PidLidToAttendeesString}, MAPI_TO},
        {0x6004003D, u"Resources", PutKind::Text, {}, MAPI_BCC},
        {0x60040042, u"Start", PutKind::Date, {PR_START_DATE, PidLidAppointmentStartWhole, PidLidCommonStart}},
        {0x60040049, u"Location", PutKind::Text, {PidLidLocation}},
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

std::uint16_t TypeOf(const PropertyTarget& target)
{
    if (const auto* tag = std::get_if<std::uint32_t>(&target))
        return PROP_TYPE(*tag);
    return std::get<NamedTag>(target).type;
}

} // namespace

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

void PutItemProperty(mapi::CMessage& item, const ItemPropertyRow& row, const VARIANT& value)
{
    PropertyValue converted = ValueFor(row, value);
    for (const PropertyTarget& target : row.targets) {
        const std::u16string* text = converted.Get<std::u16string>();
        PropertyValue stored =
            TypeOf(target) == PT_MV_UNICODE && text ? PropertyValue::MvUnicode({*text}) : converted;
        if (const auto* tag = std::get_if<std::uint32_t>(&target))
            item.SetProperty(*tag, std::move(stored));
        else
            Checked(item.SetNamedProperty(std::get<NamedTag>(target), std::move(stored)),
                    std::u16string(u"cannot set ") + row.name);
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
        return mapi::kClassAppointmentFolder;
    case FolderKind::Contacts:
        return mapi::kClassContactFolder;
    case FolderKind::Mail:
        break;
    }
    return mapi::kClassNoteFolder;
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
