#pragma once
// The file layer (NSFileManager, NSData/NSString file reads and atomic writes)
// over device paths.
//
// Writes are atomic: the bytes go to a temporary file in the same folder,
// which is synced and then renamed over the target, and the folder is synced,
// so a reader in any process sees the old file or the new one, never a torn
// one, even when the writer dies half-way. A sandboxed process may write only
// inside its data container; elsewhere the write is refused and fails.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace fnd {

// Files larger than this are treated as unreadable by the readers here: no
// state or preference file comes near it, and a reader must not be made to
// swallow an arbitrarily large file.
inline constexpr std::size_t kMaxReadBytes = 64u << 20;

// The bytes of a regular file, none for anything else: absent, a folder, a
// FIFO or a device (never waited on), a symbolic link in the file's own
// place, or more than `maxBytes`.
std::optional<std::string> readFile(std::string_view devicePath, std::size_t maxBytes = kMaxReadBytes);
bool writeFileAtomically(std::string_view devicePath, std::string_view bytes);
// The same write on behalf of a system service (the photo library's own
// files), which the calling app's sandbox does not limit.
bool writeFileAtomicallyAsSystem(std::string_view devicePath, std::string_view bytes);

// An atomic write that follows no symbolic link anywhere on its path: each
// folder from the device root down is opened relative to the one above it
// with O_NOFOLLOW | O_DIRECTORY, the temporary file is made and renamed
// inside the last folder's descriptor, and a target that is itself a link is
// refused. A path under "/var" is written under "/private/var", the folder
// the device's own link names (the platform's, not a writer's). `why` says
// what stopped a refused or failed write. For a service that writes on
// other processes' behalf into a folder they might otherwise redirect.
struct WriteResult {
    bool ok = false;
    std::string why;
};
// Synced: the file and its folder reach the disk before the call returns,
// so a crash keeps either the old or the new file. Renamed: only the rename
// is atomic (a reader sees the old or the new file whole; a crash may lose
// the write), for a file that is read once, at once, like an answer.
enum class Durability { Synced, Renamed };
WriteResult writeFileAtomicallyNoFollow(std::string_view devicePath, std::string_view bytes,
                                        Durability durability = Durability::Synced);

// NSString initWithContentsOfFile:encoding:NSUTF8StringEncoding: none for an
// absent file or one that is not valid UTF-8.
std::optional<std::string> readTextFile(std::string_view devicePath, std::size_t maxBytes = kMaxReadBytes);
bool writeTextFileAtomically(std::string_view devicePath, std::string_view text);

// What names a file's content without reading it (lstat: a link is seen as
// itself, as the readers above see it). A write through
// writeFileAtomically makes a new file, so its identity changes; a write in
// place changes its size or its change time.
struct FileStamp {
    enum class Kind { Absent, Regular, Other } kind = Kind::Absent;
    unsigned long long device = 0, inode = 0;
    long long size = 0;
    long long modifiedNs = 0, changedNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
    // Whether any later write is sure to give a different stamp. The
    // kernel stamps times with a coarse clock (one tick, up to 10 ms): a
    // file changed within the last few ticks could be replaced by one with
    // the same identity (a freed inode is reused), size and times. A cache
    // keyed by a stamp that is not settled must read the file again.
    bool settled() const;
};
FileStamp fileStamp(std::string_view devicePath);

bool fileExists(std::string_view devicePath);
bool isDirectory(std::string_view devicePath);
// createDirectoryAtPath:withIntermediateDirectories:attributes:error:
bool createDirectory(std::string_view devicePath, bool withIntermediates);
bool removeFile(std::string_view devicePath);

// Removes the temporary files that writers killed mid-write left in the
// folder: those whose writing process is gone, and with `ownToo` this
// process's own (call it so when the folder's writer starts, before it
// writes). A failed write does this for its folder by itself.
void removeStaleTemporaryFiles(std::string_view deviceFolder, bool ownToo = false);

// Whether this process may write at the device path (the sandbox's rule).
bool mayWrite(std::string_view devicePath);

bool isValidUtf8(std::string_view s);

} // namespace fnd
