// Files deleted through the layer, kept emptied under hidden names in the
// machine root and given to the next files the process creates.
//
// On ext4 without a journal, creating a file skips every free inode of its
// group that was freed in the last minutes, reading the inode table for
// each: a run that deletes its attachment files after every item and makes
// new ones for the next pays for a longer scan with every file it makes.
// Taking up an inode that was never freed needs no scan.
//
// Only a file that no other open holds and that has no other name is kept;
// it is emptied as it is taken out of its folder, so no handle, process or
// name sees it again, and its data never reaches the disk. What a process
// killed before its end left kept is removed by the next that keeps a file
// in the same machine root.
#pragma once

#include <filesystem>
#include <sys/stat.h>

namespace win32 {

// Takes the file at host out of its folder into the kept ones, emptied;
// false when it is not kept (the caller deletes it).
bool KeepDeletedFile(const std::filesystem::path& host, const struct stat& status);

// Puts a kept file at host, which must not exist, and opens it with flags
// (without O_CREAT); it has the mode and times of a file made now. -1 when
// none is kept or it could not be placed (the caller creates the file).
int TakeKeptFile(const std::filesystem::path& host, int flags, mode_t mode);

} // namespace win32
