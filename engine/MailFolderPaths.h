// How a Notes view folder is named in the PST and matched against the
// folders ticked in step 3. Names pass through the ANSI code page on both
// sides, so a folder path and the comparison path of its entry compare
// equal whatever characters they hold.
#pragma once

#include <string>
#include <string_view>

// The PST name of a Notes view folder: the five system folders get the
// names of their Outlook counterparts; any other name stays as it is, a
// nested folder keeping the backslashes between its levels.
std::string MapNotesFolderName(std::string_view notesName);

// The folder path of a view folder: the step-5 folder name, a backslash, the
// PST name and a closing backslash, as wide text from the ANSI code page.
std::u16string MailFolderPath(std::string_view folderName, std::string_view pstName);

// What an entry of the selected-folder list ("Lotus Notes\Inbox\") is
// compared with: the step-5 folder name (back from the ANSI code page), a
// backslash, and the entry after its first backslash (the whole entry when
// it has none).
std::u16string SelectionComparisonPath(std::string_view folderName, std::u16string_view entry);

// The store-rooted path of the folder's messages: two backslashes, the
// target folder, a backslash and the folder path without its last character.
std::u16string PstFolderPath(std::u16string_view targetFolder, std::u16string_view folderPath);
