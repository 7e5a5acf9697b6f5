// The properties of the items that the RDO library makes, by item kind: a
// DISPID means one thing on a contact and another on an appointment. Each
// row says what a put carries and which MAPI properties of the saved item
// receive it, so that a reader of the PST finds each value where it looks.
#pragma once

#include "mapi/Message.h"
#include "ole/OleAuto.h"

#include <span>
#include <string>
#include <variant>
#include <vector>

namespace components {

// Items.Add kinds.
enum class ItemKind : LONG {
    Appointment = 1,
    Contact = 2,
};

// Folders.Add kinds, and the container classes they give.
enum class FolderKind : LONG {
    Mail = 0, // the kind of the folders Brenmoor makes; not asked for through Folders.Add
    Calendar = 9,
    Contacts = 10,
};

enum class PutKind { Text, Date, Bool, Long };

// A property of the saved item: by tag, or by name (its id is the store's).
using PropertyTarget = std::variant<std::uint32_t, mapi::NamedTag>;

struct ItemPropertyRow {
    DISPID dispid;
    const char16_t* name; // the property's name in the library's object model
    PutKind kind;
    std::vector<PropertyTarget> targets; // every property that receives the value
    // For attendee lists: the recipient type (MAPI_TO, MAPI_CC, MAPI_BCC)
    // that each name of the text becomes; 0 for other rows.
    std::int32_t recipientType = 0;
};

// The rows of a kind, or null when the kind has no property of that DISPID.
const ItemPropertyRow* FindItemProperty(ItemKind kind, DISPID dispid);
std::span<const ItemPropertyRow> ItemProperties(ItemKind kind);

// Puts a value on the unsaved item. Text reaches a PT_MV_UNICODE target as a
// list of that one text, so a put replaces what an earlier put gave. Throws
// ole::CDispatchError(DISP_E_TYPEMISMATCH) when the value has no form of the
// row's kind, and for a date outside the range that the store can hold.
void PutItemProperty(mapi::CMessage& item, const ItemPropertyRow& row, const VARIANT& value);

std::u16string MessageClassOf(ItemKind kind);
std::u16string ContainerClassOf(FolderKind kind);
bool IsKnownItemKind(LONG kind);
bool IsKnownFolderKind(LONG kind);

} // namespace components
