// The names of a few host folders, kept per process while the kernel tells
// of every change made to them since (inotify), so that a name that is not
// there as given need not list its folder to find it in another case.
// Listing a folder of 10,000 files costs milliseconds; a folder that gains a
// new file for every item of a run (attachments) would be listed each time.
//
// Every change to a folder on a local file system, by any process, queues
// its event before the call that made it returns, and the queue is read
// before every answer: an answer is as fresh as a listing made then.
// Folders on other file systems (network, FUSE, overlays), a full queue, or
// no watches left all fall back to the listing.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace win32 {

enum class NameFound {
    Unknown,  // the folder is not kept: list it
    Missing,  // no entry equals the name ignoring case
    Found,    // the one entry that does is in entry
};

// Looks for the entry of the host folder, which the path names now as the
// given device and inode, whose name equals name ignoring case (as
// EqualsNoCase compares). More than one such entry is Unknown, so that the
// listing decides which it meets first. A folder removed while something
// holds it open tells no event until it is let go, so the kept one is listed
// again when the path names another.
NameFound FindKeptNameNoCase(const std::string& folder, dev_t device, ino_t inode, std::u16string_view name,
                             std::string& entry);

enum class FolderContents {
    Unknown, // the folder is not kept: list it
    Empty,   // no entry besides "." and ".."
    Entries, // some entry: list it
};

// Whether the host folder, which the path names now as the given device and
// inode, has entries, from what is kept of it (kept from now on if it can
// be).
FolderContents KeptFolderContents(const std::string& folder, dev_t device, ino_t inode);

} // namespace win32
