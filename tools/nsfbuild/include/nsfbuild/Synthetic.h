// Synthetic databases of any size for benchmarks, and small ones for the
// samples. The same options and seed give the same database.
#pragma once

#include "nsfbuild/Result.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace nsfbuild {

struct MailboxOptions {
    std::size_t messages = 1000;
    // User folders besides the system ones (($Inbox), ($Sent), ($Drafts),
    // ($Trash)): "Projects" and folders nested in it ("Projects\2021"),
    // "Taxes (2025)", "Réunions", folders named in Greek, Cyrillic, Chinese
    // and Arabic, "Folder N".
    std::size_t folders = 10;
    // Entries of a ($Calendar) view in the same file; 0 for none.
    std::size_t calendarEntries = 0;
    // One message in attachmentEvery carries a file attachment, of
    // attachmentBytes bytes (0: a size from 1 to 48 KiB).
    std::size_t attachmentEvery = 20;
    std::size_t attachmentBytes = 0;
    std::string owner = "Robin Hale";
    std::uint64_t seed = 1;
};

// Messages of realistic sizes: From, SendTo, CopyTo, Subject, PostedDate
// and a rich-text Body of a few paragraphs with some formatting; one in ten
// has an HTML body ("<HTML> ..."), one in twenty (attachmentEvery) an attachment
// of 1 to 48 KiB (attachmentBytes), one in fifty a "$MIMEPart" attachment holding base64 text, one in
// twenty-five a picture in its body. Every message is in ($All) and in one
// other folder; the views ($All), ($Inbox) ... come first.
Result BuildSyntheticMailbox(const std::filesystem::path& hostPath, const MailboxOptions& options);

struct ShareOptions {
    std::size_t documents = 200;
    std::size_t folders = 5;
    std::uint64_t seed = 2;
};

// A document share: Form "Document" notes with rich text (styled runs,
// tabs, pictures, places of attachments) and one to three attachments each.
Result BuildSyntheticShare(const std::filesystem::path& hostPath, const ShareOptions& options);

struct AddressBookOptions {
    std::size_t persons = 100;
    std::size_t groups = 5; // Form "Group" documents, which a "Person" search must not find
    std::uint64_t seed = 3;
};

// Form "Person" documents with every field the contact conversion reads.
Result BuildSyntheticAddressBook(const std::filesystem::path& hostPath, const AddressBookOptions& options);

struct CalendarOptions {
    std::size_t entries = 60;
    std::uint64_t seed = 4;
};

// A ($Calendar) view whose entries cycle through the entry types 0, 1, 2, 4,
// 8, 16 and an unknown 32, each with the items of its kind (StartDateTime,
// EndDateTime, StartDate, attendees ...); every third one has an alarm.
Result BuildSyntheticCalendar(const std::filesystem::path& hostPath, const CalendarOptions& options);

} // namespace nsfbuild
