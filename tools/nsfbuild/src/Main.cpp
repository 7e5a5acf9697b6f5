// nsfbuild: makes Notes database files.
//
//   nsfbuild describe DESCRIPTION OUT.nsf
//   nsfbuild mailbox OUT.nsf MESSAGES [FOLDERS [CALENDAR-ENTRIES]]
//   nsfbuild share OUT.nsf DOCUMENTS [FOLDERS]
//   nsfbuild names OUT.nsf PERSONS [GROUPS]
//   nsfbuild calendar OUT.nsf ENTRIES
//   nsfbuild samples NOTES-DATA-FOLDER [USER NAME]   (a Windows path of the machine root)
//
// Paths of the other commands are host paths.
#include "nsfbuild/Description.h"
#include "nsfbuild/SampleDatabases.h"
#include "nsfbuild/Synthetic.h"

#include "win32/CodePage.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: nsfbuild describe DESCRIPTION OUT.nsf\n"
                         "       nsfbuild mailbox OUT.nsf MESSAGES [FOLDERS [CALENDAR-ENTRIES]]\n"
                         "       nsfbuild share OUT.nsf DOCUMENTS [FOLDERS]\n"
                         "       nsfbuild names OUT.nsf PERSONS [GROUPS]\n"
                         "       nsfbuild calendar OUT.nsf ENTRIES\n"
                         "       nsfbuild samples NOTES-DATA-FOLDER [USER NAME]\n");
    return 2;
}

bool Count(const char* text, std::size_t& value)
{
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text, &end, 10);
    if (!end || *end || text[0] == '-' || !*text)
        return false;
    value = static_cast<std::size_t>(parsed);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    std::string command = argv[1];
    nsfbuild::Result result;
    std::size_t a = 0, b = 0, c = 0;
    if (command == "describe" && argc == 4) {
        result = nsfbuild::BuildFromDescriptionFile(argv[2], argv[3]);
    } else if (command == "mailbox" && argc >= 4 && argc <= 6 && Count(argv[3], a) && (argc < 5 || Count(argv[4], b)) &&
               (argc < 6 || Count(argv[5], c))) {
        nsfbuild::MailboxOptions options;
        options.messages = a;
        options.folders = argc >= 5 ? b : options.folders;
        options.calendarEntries = c;
        result = nsfbuild::BuildSyntheticMailbox(argv[2], options);
    } else if (command == "share" && argc >= 4 && argc <= 5 && Count(argv[3], a) && (argc < 5 || Count(argv[4], b))) {
        nsfbuild::ShareOptions options;
        options.documents = a;
        options.folders = argc == 5 ? b : options.folders;
        result = nsfbuild::BuildSyntheticShare(argv[2], options);
    } else if (command == "names" && argc >= 4 && argc <= 5 && Count(argv[3], a) && (argc < 5 || Count(argv[4], b))) {
        nsfbuild::AddressBookOptions options;
        options.persons = a;
        options.groups = argc == 5 ? b : options.groups;
        result = nsfbuild::BuildSyntheticAddressBook(argv[2], options);
    } else if (command == "calendar" && argc == 4 && Count(argv[3], a)) {
        nsfbuild::CalendarOptions options;
        options.entries = a;
        result = nsfbuild::BuildSyntheticCalendar(argv[2], options);
    } else if (command == "samples" && argc >= 3) {
        std::string user;
        for (int i = 3; i < argc; ++i)
            user += (i > 3 ? " " : "") + std::string(argv[i]);
        result = nsfbuild::LaySampleDatabases(AnsiToWide(argv[2]), user.empty() ? "Robin Hale" : user);
    } else {
        return Usage();
    }
    if (!result) {
        std::fprintf(stderr, "nsfbuild: %s\n", result.message.c_str());
        return 1;
    }
    return 0;
}
