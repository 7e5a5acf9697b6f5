// What an item gets when it is saved, beyond the properties put on it: the
// values that Outlook derives and that readers of the PST expect beside them.
#pragma once

#include "components/Addresses.h"
#include "components/ItemProperties.h"

#include <vector>

namespace components {

// The names of one attendee list, as recipients of one type.
struct AttendeeList {
    std::int32_t recipientType;
    std::vector<Address> names;
};

// Completes an item of that kind before it is saved, from what it holds:
// - appointments: an end when none was put (see the .cpp), the busy state
//   Outlook gives a new appointment, the duration, the
//   reminder times of a set reminder, the attendees as recipients (in the
//   order given) and the text of all attendees;
// - contacts: a display name made of the name parts when none was put, the
//   file-as name, the subject, and the type and display names of the e-mail
//   addresses.
void CompleteItem(ItemKind kind, mapi::CMessage& item, const std::vector<AttendeeList>& attendees);

} // namespace components
