// The automation interface for the common dialogs: the open-file dialog
// (GetOpenFileNameW) and the folder browser (SHBrowseForFolderW), driven as
// a person drives them. Paths are full Windows paths; callable from any
// thread.
#pragma once

#include "user/Automation.h"

namespace user::automation {

// The open-file dialog or the folder browser that is open now, waiting for
// it to come; null when none came.
HWND WaitForOpenFileDialog(std::chrono::milliseconds timeout = kDefaultWait);
HWND WaitForFolderBrowser(std::chrono::milliseconds timeout = kDefaultWait);

// Types the path into the "File name:" box and presses Open.
bool TypeFileName(HWND dialog, const std::u16string& path);
// Opens the tree folder by folder down to the file, clicks it and presses
// Open. False when an item on the way is missing.
bool PickFile(HWND dialog, const std::u16string& path);

// Opens the browser's tree down to the folder, clicks it and presses OK.
// False when an item on the way is missing or OK stays grayed.
bool PickFolder(HWND browser, const std::u16string& path);
// Types the text into the browser's edit box and presses OK; false
// without an edit box.
bool TypeFolderName(HWND browser, const std::u16string& text);

// Replaces the whole text of an edit control as a person does: a click into
// it, Home, Shift+End, then the new text.
void ReplaceEditText(HWND edit, const std::u16string& text);

} // namespace user::automation
