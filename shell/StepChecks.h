// The checks that steps 2 and 4 make of the paths the user gave before they
// go on: the extension, the folder beside the backup folder, exclusive
// access, free space; and where a backup copy goes.
#pragma once

#include "afx/String.h"

// The four characters that begin at the last "." of the path (fewer when it
// ends sooner; its first four when it has none) equal the extension, case
// aside. So "x.nsfbak" is an NSF and "a.nsf\file" too.
bool HasExtension(const CString& path, LPCWSTR extension);

// The folder of the path as the backup folder is compared with it:
// everything before its last backslash, with that backslash when the backup
// text ends with one; empty when the path has none.
CString FolderBesideBackup(const CString& path, const CString& backup);

// The backup text followed by the path's last backslash and file name
// ("D:\" and "C:\a.nsf" give "D:\\a.nsf"); a path without a backslash gets
// one before its name.
CString BackupDestination(const CString& path, const CString& backup);

// Whether the path names a folder that exists.
bool IsExistingFolder(const CString& path);

// Opens the file for reading with no sharing and takes its size; false when
// it cannot be opened so (another program holds it, or access is denied).
bool TakeExclusiveSize(const CString& path, ULONGLONG* size);

// Whether the volume of the folder has more free bytes (all of them, not the
// caller's quota) than size. A volume that cannot be asked has no room.
bool HasRoomFor(const CString& folder, ULONGLONG size);
