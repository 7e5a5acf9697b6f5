#include "nsfbuild/SampleDatabases.h"

#include "nsfbuild/Synthetic.h"

#include "win32/CodePage.h"
#include "win32/FileApi.h"
#include "win32/MachineRoot.h"
#include "win32/Registry.h"

#include <cctype>

namespace nsfbuild {

namespace {

// Creates a Windows folder and the folders above it.
Result MakeFolders(const std::u16string& folder)
{
    auto full = win32::FullWindowsPath(folder);
    if (!full)
        return Result::Error("not a Windows path: " + WideToAnsi(folder));
    std::u16string path;
    std::size_t start = 0;
    while (start <= full->size()) {
        std::size_t slash = full->find(u'\\', start);
        path = full->substr(0, slash);
        start = slash == std::u16string::npos ? full->size() + 1 : slash + 1;
        if (path.size() <= 3) // the drive root
            continue;
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && !CreateDirectoryW(path.c_str(), nullptr))
            return Result::Error("cannot create the folder " + WideToAnsi(path));
    }
    return Result::Ok();
}

Result HostPathOf(const std::u16string& windowsPath, std::filesystem::path* hostPath)
{
    auto resolved = win32::ResolvePath(windowsPath, win32::Resolve::ParentExists);
    if (!resolved)
        return Result::Error("cannot place " + WideToAnsi(windowsPath));
    *hostPath = resolved->hostPath;
    return Result::Ok();
}

std::string FirstCharacter(const std::string& text)
{
    std::size_t length = 1;
    while (length < text.size() && AnsiCutLength(text, length) == 0)
        ++length;
    return text.substr(0, length);
}

} // namespace

std::string SampleMailFileName(const std::string& userName)
{
    std::string last = userName.substr(userName.find_last_of(' ') == std::string::npos ? 0
                                                                                        : userName.find_last_of(' ') + 1);
    std::string shortName = userName.empty() ? "user" : FirstCharacter(userName) + last;
    if (userName.find(' ') == std::string::npos)
        shortName = userName.empty() ? "user" : userName;
    for (auto& c : shortName)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return "mail\\" + shortName.substr(0, AnsiCutLength(shortName, 8)) + ".nsf";
}

Result LaySampleDatabases(const std::u16string& notesDataFolder, const std::string& userName)
{
    std::u16string folder = notesDataFolder;
    while (!folder.empty() && folder.back() == u'\\')
        folder.pop_back();
    if (Result result = MakeFolders(folder + u"\\mail"); !result)
        return result;

    std::filesystem::path mail, names, calendar;
    if (Result result = HostPathOf(folder + u"\\" + AnsiToWide(SampleMailFileName(userName)), &mail); !result)
        return result;
    if (Result result = HostPathOf(folder + u"\\names.nsf", &names); !result)
        return result;
    if (Result result = HostPathOf(folder + u"\\calendar.nsf", &calendar); !result)
        return result;

    MailboxOptions mailbox;
    mailbox.messages = 120;
    mailbox.folders = 6;
    mailbox.calendarEntries = 21;
    mailbox.owner = userName;
    mailbox.seed = 11;
    if (Result result = BuildSyntheticMailbox(mail, mailbox); !result)
        return result;

    AddressBookOptions addressBook;
    addressBook.persons = 25;
    addressBook.groups = 3;
    addressBook.seed = 12;
    if (Result result = BuildSyntheticAddressBook(names, addressBook); !result)
        return result;

    CalendarOptions calendarOptions;
    calendarOptions.entries = 28;
    calendarOptions.seed = 13;
    return BuildSyntheticCalendar(calendar, calendarOptions);
}

Result RegisterNotesDataFolder(const std::u16string& notesDataFolder)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Lotus\\Notes\\Installer", 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return Result::Error("cannot create HKEY_CURRENT_USER\\Software\\Lotus\\Notes\\Installer");
    std::u16string value = notesDataFolder;
    LONG result = RegSetValueExW(key, u"DirectoryValue", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return Result::Error("cannot write DirectoryValue");
    return Result::Ok();
}

} // namespace nsfbuild
