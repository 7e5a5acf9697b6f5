#include "components/ItemCompletion.h"

#include "components/LocalTime.h"
#include "components/MessageValues.h"
#include "components/ProfileStores.h"

namespace components {

namespace {

using namespace mapi;

// Outlook's reminder when an item sets one without saying how early.
constexpr std::int32_t kDefaultReminderMinutes = 15;

void SetNamed(CMessage& item, const NamedTag& tag, PropertyValue value)
{
    Checked(item.SetNamedProperty(tag, std::move(value)), u"cannot complete the item");
}

void CompleteAppointment(CMessage& item, const std::vector<AttendeeList>& attendees)
{
    auto start = NamedValue<FileTime>(item, PidLidAppointmentStartWhole);
    auto end = NamedValue<FileTime>(item, PidLidAppointmentEndWhole);
    bool allDay = NamedValue<bool>(item, PidLidAppointmentSubType).value_or(false);
    // An item saved without an end ends when it starts, as Outlook shows an
    // appointment whose end was never set; an all-day item covers its whole
    // day, so it ends at the next midnight.
    if (start && !end) {
        end = *start + (allDay ? kFileTimeDay : 0);
        item.SetTime(PR_END_DATE, *end);
        SetNamed(item, PidLidAppointmentEndWhole, PropertyValue::SysTime(*end));
        SetNamed(item, PidLidCommonEnd, PropertyValue::SysTime(*end));
    }
    // Outlook makes a new appointment busy time, and an all-day one free time.
    if (!NamedValue<std::int32_t>(item, PidLidBusyStatus))
        SetNamed(item, PidLidBusyStatus, PropertyValue::Long(allDay ? olFree : olBusy));
    if (start && end && *end >= *start)
        SetNamed(item, PidLidAppointmentDuration,
                 PropertyValue::Long(static_cast<std::int32_t>((*end - *start) / kFileTimeMinute)));

    if (NamedValue<bool>(item, PidLidReminderSet).value_or(false)) {
        std::int32_t minutes = NamedValue<std::int32_t>(item, PidLidReminderDelta).value_or(kDefaultReminderMinutes);
        SetNamed(item, PidLidReminderDelta, PropertyValue::Long(minutes));
        if (start) {
            std::uint64_t early = static_cast<std::uint64_t>(minutes < 0 ? 0 : minutes) * kFileTimeMinute;
            SetNamed(item, PidLidReminderTime, PropertyValue::SysTime(*start));
            SetNamed(item, PidLidReminderSignalTime, PropertyValue::SysTime(*start > early ? *start - early : 0));
        }
    }

    std::u16string all;
    item.ClearRecipients();
    for (const AttendeeList& list : attendees) {
        for (const Address& name : list.names) {
            item.AddRecipient({list.recipientType, name.displayName, name.emailAddress, name.addressType, {}});
            all += (all.empty() ? u"" : u"; ") + name.displayName;
        }
    }
    if (!all.empty())
        SetNamed(item, PidLidAllAttendeesString, PropertyValue::Unicode(all));
}

std::u16string JoinNonEmpty(std::initializer_list<std::u16string> parts, std::u16string_view separator)
{
    std::u16string joined;
    for (const std::u16string& part : parts) {
        if (part.empty())
            continue;
        if (!joined.empty())
            joined += separator;
        joined += part;
    }
    return joined;
}

// E-mail slot 0 or 1 (Email1, Email2): beside its address, Outlook keeps its
// type, its display names and the list of slots in use.
struct EmailSlot {
    std::uint32_t displayNameLid; // EmailNDisplayName; the address type is +2, the original display name +4
    std::uint32_t addressLid;
};
constexpr EmailSlot kEmailSlots[] = {{lid::Email1DisplayName, lid::Email1EmailAddress},
                                     {lid::Email2DisplayName, lid::Email2EmailAddress}};

void CompleteEmails(CMessage& item, const std::u16string& displayName)
{
    std::vector<std::int32_t> slots;
    std::int32_t slotBits = 0;
    for (std::int32_t slot = 0; slot < 2; ++slot) {
        const EmailSlot& names = kEmailSlots[slot];
        auto address = NamedValue<std::u16string>(item, LidTag(PSETID_Address, names.addressLid, PT_UNICODE));
        if (!address || address->empty())
            continue;
        auto text = [&](std::uint32_t lid, const std::u16string& value) {
            SetNamed(item, LidTag(PSETID_Address, lid, PT_UNICODE), PropertyValue::Unicode(value));
        };
        text(names.displayNameLid, displayName.empty() ? *address : displayName + u" (" + *address + u")");
        text(names.displayNameLid + 2, ParseAddress(*address).addressType);
        text(names.displayNameLid + 4, *address);
        slots.push_back(slot);
        slotBits |= 1 << slot;
    }
    if (!slots.empty()) {
        SetNamed(item, PidLidAddressBookProviderEmailList, PropertyValue::MvLong(slots));
        SetNamed(item, PidLidAddressBookProviderArrayType, PropertyValue::Long(slotBits));
    }
}

void CompleteContact(CMessage& item)
{
    std::u16string given = item.GetString(PR_GIVEN_NAME);
    std::u16string surname = item.GetString(PR_SURNAME);
    std::u16string display = item.GetString(PR_DISPLAY_NAME);
    if (display.empty()) {
        display = JoinNonEmpty({given, item.GetString(PR_MIDDLE_NAME), surname}, u" ");
        if (!display.empty())
            item.SetString(PR_DISPLAY_NAME, display);
    }
    // Outlook files a contact as "Last, First" when it has both.
    std::u16string fileAs = !surname.empty() && !given.empty() ? surname + u", " + given : display;
    if (!fileAs.empty())
        SetNamed(item, PidLidFileUnder, PropertyValue::Unicode(fileAs));
    if (!display.empty() && item.GetSubject().empty())
        item.SetSubject(display);
    CompleteEmails(item, display);
}

} // namespace

void CompleteItem(ItemKind kind, mapi::CMessage& item, const std::vector<AttendeeList>& attendees)
{
    item.SetMessageClass(MessageClassOf(kind));
    // Items that Outlook makes are read: they count in no folder as unread.
    item.SetRead(true);
    if (kind == ItemKind::Appointment)
        CompleteAppointment(item, attendees);
    else
        CompleteContact(item);
}

} // namespace components
