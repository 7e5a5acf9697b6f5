// A run in the Address Book mode over an address book built from a
// description: the mail run's machine and helpers with the conversion mode 2,
// the step-5 folder "Contacts", and the contacts read back once the process
// has ended.
#pragma once

#include "MailRunFixture.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace enginetest {

inline constexpr const char16_t* kContactsTarget = u"Pellinor Conversion FolderContacts";
inline constexpr const char16_t* kContactsFolder = u"Contacts";

using ContactItems = std::vector<std::pair<std::string, std::string>>;

// The description of a "Person" document: its key and text items, each
// item a name and a value, written as a quoted word.
std::string PersonNote(const std::string& key, const ContactItems& items);
// An address book of those persons, with one "Group" document beside them
// that the run must leave alone.
std::string AddressBook(const std::vector<std::string>& persons);
// A description word quoting any text.
std::string Quoted(const std::string& text);

class ContactRunFixture : public MailRunFixture {
protected:
    void SetUp() override;

    // After the run: the contacts of the step-5 folder in the order they
    // were saved; fails the test when the folder is missing.
    std::vector<mapi::CMessage> Contacts(const char16_t* pstPath = kPstPath);
    // Runs the conversion to its end, calling read while the completion
    // dialog is up and the hidden progress dialog can still be read: the
    // completion dialog's result text.
    std::u16string RunToEndReading(const std::function<void()>& read);
    // Converts the address book of the description to a successful end,
    // keeping the name and mobile number the dialog shows last; alsoRead
    // reads more of the dialog meanwhile.
    void ConvertWholly(const std::string& description, const std::function<void()>& alsoRead = {});
    // The progress dialog's text of a control.
    std::u16string ProgressText(int id) { return TextOf(m_progress, id); }

    std::u16string m_nameShown, m_mobileShown;
};

} // namespace enginetest
