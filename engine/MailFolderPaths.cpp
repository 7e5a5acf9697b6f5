#include "MailFolderPaths.h"

#include "win32/CodePage.h"

namespace {

struct SystemFolder {
    std::string_view notesName;
    std::string_view pstName;
};

constexpr SystemFolder kSystemFolders[] = {
    {"($Inbox)", "Inbox"}, {"($Sent)", "Sent"}, {"($Drafts)", "Drafts"}, {"($All)", "All"}, {"($Trash)", "Trash"},
};

} // namespace

std::string MapNotesFolderName(std::string_view notesName)
{
    for (const SystemFolder& folder : kSystemFolders) {
        if (notesName == folder.notesName)
            return std::string(folder.pstName);
    }
    return std::string(notesName);
}

std::u16string MailFolderPath(std::string_view folderName, std::string_view pstName)
{
    std::string narrow;
    narrow.reserve(folderName.size() + pstName.size() + 2);
    narrow.append(folderName).append("\\").append(pstName).append("\\");
    return AnsiToWide(narrow);
}

std::u16string SelectionComparisonPath(std::string_view folderName, std::u16string_view entry)
{
    std::size_t firstSlash = entry.find(u'\\');
    std::u16string_view rest = firstSlash == std::u16string_view::npos ? entry : entry.substr(firstSlash + 1);
    std::u16string path = AnsiToWide(folderName);
    path += u'\\';
    path += rest;
    return path;
}

std::u16string PstFolderPath(std::u16string_view targetFolder, std::u16string_view folderPath)
{
    std::u16string path = u"\\\\";
    path += targetFolder;
    path += u'\\';
    path += folderPath.substr(0, folderPath.empty() ? 0 : folderPath.size() - 1);
    return path;
}
