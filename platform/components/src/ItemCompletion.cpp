#include "components/ItemCompletion.h"

#include "components/LocalTime.h"
#include "mapi/PropTags.h"
#include "mapi/ltp/PropertySets.h"

namespace components {

namespace {

using namespace mapi;

// Outlook's reminder when an item sets one without saying how early.
constexpr std::int32_t kDefaultReminderMinutes = 15;

void SetTime(ItemDraft& draft, std::initializer_list<PropertyKey> keys, std::uint64_t time)
{
    for (const PropertyKey& key : keys)
        draft.Set(key, PropertyValue::SysTime(time));
}

void CompleteAppointment(ItemDraft& draft, const std::vector<AttendeeList>& attendees)
{
    auto start = draft.Time(key::StartWhole());
    auto end = draft.Time(key::EndWhole());
    bool allDay = draft.Flag(key::AllDay()).value_or(false);
    // An item saved without an end ends when it starts, as Outlook shows an
    // appointment whose end was never set; an all-day item covers its whole
    // day, so it ends at the next midnight.
    if (start && !end) {
        end = *start + (allDay ? kFileTimeDay : 0);
        SetTime(draft, {key::EndDate(), key::EndWhole(), key::CommonEnd()}, *end);
    }
    if (start && end && *end >= *start)
        draft.Set(key::Duration(), PropertyValue::Long(static_cast<std::int32_t>((*end - *start) / kFileTimeMinute)));

    if (draft.Flag(key::ReminderSet()).value_or(false)) {
        std::int32_t minutes = draft.Number(key::ReminderDelta()).value_or(kDefaultReminderMinutes);
        draft.Set(key::ReminderDelta(), PropertyValue::Long(minutes));
        if (start) {
            draft.Set(key::ReminderTime(), PropertyValue::SysTime(*start));
            std::uint64_t early = static_cast<std::uint64_t>(minutes < 0 ? 0 : minutes) * kFileTimeMinute;
            draft.Set(key::ReminderSignalTime(), PropertyValue::SysTime(*start > early ? *start - early : 0));
        }
    }

    std::u16string all;
    draft.recipients.clear();
    for (const AttendeeList& list : attendees) {
        for (const Address& name : list.names) {
            draft.recipients.push_back({list.recipientType, name.displayName, name.emailAddress, name.addressType});
            all += (all.empty() ? u"" : u"; ") + name.displayName;
        }
    }
    if (!all.empty())
        draft.Set(key::AllAttendees(), PropertyValue::Unicode(all));
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

// The e-mail address of slot 1 or 2 with the properties that Outlook keeps
// beside it: its type, its display names and the slot list.
void CompleteEmail(ItemDraft& draft, const PropertyKey& addressKey, std::uint32_t lidBase,
                   const std::u16string& displayName, std::vector<std::int32_t>& slots, std::int32_t& slotBits,
                   std::int32_t slot)
{
    auto address = draft.Text(addressKey);
    if (!address || address->empty())
        return;
    Address parsed = ParseAddress(*address);
    auto named = [&](std::uint32_t offset, std::uint16_t type) {
        return PropertyKey::Named(mapi::ltp::PSETID_Address, lidBase + offset, type);
    };
    // Offsets from EmailNDisplayName: 2 address type, 4 original display name.
    std::u16string shown = displayName.empty() ? *address : displayName + u" (" + *address + u")";
    draft.Set(named(0, PT_UNICODE), PropertyValue::Unicode(shown));
    draft.Set(named(2, PT_UNICODE), PropertyValue::Unicode(parsed.addressType));
    draft.Set(named(4, PT_UNICODE), PropertyValue::Unicode(*address));
    slots.push_back(slot);
    slotBits |= 1 << slot;
}

void CompleteContact(ItemDraft& draft)
{
    std::u16string given = draft.Text(PropertyKey::Tag(PR_GIVEN_NAME)).value_or(u"");
    std::u16string middle = draft.Text(PropertyKey::Tag(PR_MIDDLE_NAME)).value_or(u"");
    std::u16string surname = draft.Text(PropertyKey::Tag(PR_SURNAME)).value_or(u"");
    std::u16string display = draft.Text(PropertyKey::Tag(PR_DISPLAY_NAME)).value_or(u"");
    if (display.empty()) {
        display = JoinNonEmpty({given, middle, surname}, u" ");
        if (!display.empty())
            draft.Set(PropertyKey::Tag(PR_DISPLAY_NAME), PropertyValue::Unicode(display));
    }
    // Outlook files a contact as "Last, First" when it has both.
    std::u16string fileAs = !surname.empty() && !given.empty() ? surname + u", " + given : display;
    if (!fileAs.empty())
        draft.Set(key::FileUnder(), PropertyValue::Unicode(fileAs));
    if (!display.empty() && !draft.Text(PropertyKey::Tag(PR_SUBJECT)))
        draft.Set(PropertyKey::Tag(PR_SUBJECT), PropertyValue::Unicode(display));

    std::vector<std::int32_t> slots;
    std::int32_t slotBits = 0;
    CompleteEmail(draft, key::Email1Address(), lid::Email1DisplayName, display, slots, slotBits, 0);
    CompleteEmail(draft, key::Email2Address(), lid::Email2DisplayName, display, slots, slotBits, 1);
    if (!slots.empty()) {
        draft.Set(PropertyKey::Named(mapi::ltp::PSETID_Address, lid::AddressBookProviderEmailList, PT_MV_LONG),
                  PropertyValue::MvLong(slots));
        draft.Set(PropertyKey::Named(mapi::ltp::PSETID_Address, lid::AddressBookProviderArrayType, PT_LONG),
                  PropertyValue::Long(slotBits));
    }
}

} // namespace

void CompleteItem(ItemKind kind, ItemDraft& draft, const std::vector<AttendeeList>& attendees)
{
    draft.messageClass = MessageClassOf(kind);
    if (kind == ItemKind::Appointment)
        CompleteAppointment(draft, attendees);
    else
        CompleteContact(draft);
}

} // namespace components
