#pragma once

#include "base/UserError.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace kalvenor {

// A file that cannot be read or written. The message names the file and is
// shown to the user as it is; the system's error number, when there is one,
// lets a caller tell missing rights from a damaged file.
class FileError : public UserError {
public:
    explicit FileError(const std::string& message, int code = 0)
        : UserError(message), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};

// Russian words for the causes a user meets (no rights, disk full, read-only
// file system, file in use, path not found); the system's own text for the rest.
std::string SystemErrorText(int code);

// Which version of a file: where it lies, how long it is and when it was
// last written. Another program's write, in place or by a rename, changes it.
// The size of no file (-1) keeps a stamp never taken from matching any.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

// The stamp of the regular file a path names (through links); nothing when
// there is no such file.
std::optional<FileStamp> StampOf(const std::filesystem::path& path);
// The same of a folder: a name made or removed in it changes its stamp.
std::optional<FileStamp> FolderStampOf(const std::filesystem::path& path);

// A file that another program has just written may still be being written:
// what was read of it is torn, not damaged. Waits while a file written in
// the last moments keeps changing, and tells whether it is now another
// version than `seen`. An old file is not waited for.
bool ChangedOnceSettled(const std::filesystem::path& path, const FileStamp& seen);

// "«text»", as every message quotes a file or a field.
std::string Quoted(std::string_view text);

// Whether a change made from now on would show in the stamp: its time lies
// two seconds or more in the past. File systems keep times in ticks (up to
// two seconds), and a change within the tick of the stamp leaves it as it was.
bool StampSettled(const FileStamp& stamp);

// The bytes of a regular file; with `until`, only as far as the end of its
// first occurrence (the whole file when it does not occur); never more than
// `most`. Anything that is not a regular file (a FIFO, a device, a folder)
// is refused without blocking on it. Throws FileError.
std::string ReadFileBytes(const std::filesystem::path& path, std::string_view until = {},
                          std::size_t most = SIZE_MAX);

// A whole file's bytes in memory that is not cleared before the read: what a
// table of twelve megabytes is read into. The same checks and errors as
// ReadFileBytes. One byte after the last is there, writable, so that the
// bytes may be parsed in place as a C string.
struct FileBuffer {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    std::string_view View() const { return {data.get(), size}; }
};
FileBuffer ReadFileBuffer(const std::filesystem::path& path);

// A regular file open for reading piece by piece, checked and reported as
// ReadFileBytes does; closed when destroyed. For a large table, read a
// piece at a time so that its bytes are parsed while they are in the cache.
class FileReader {
public:
    explicit FileReader(const std::filesystem::path& path);
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    ~FileReader();

    // The size when the file was opened.
    std::size_t Size() const { return size_; }
    // The file as it was when opened.
    const FileStamp& Stamp() const { return stamp_; }
    // Up to `size` bytes from `offset`, fewer only at the end of the file.
    std::size_t ReadAt(std::size_t offset, char* into, std::size_t size);
    // Everything from the start to the end, as ReadFileBuffer gives it.
    FileBuffer ReadAll();

private:
    std::filesystem::path path_;
    int fd_ = -1;
    std::size_t size_ = 0;
    FileStamp stamp_;
};

// Writes a temporary file beside the target, flushes it to the disk and
// renames it over the target, so that a crash, a kill or a full disk leaves
// either the old file or the new one, never a broken one. A link is written
// through: its target is replaced, beside itself, and the link stays. Throws
// FileError and leaves no temporary file behind; returns the new version.
FileStamp WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The file a write to the path replaces: the path itself, or the end of the
// chain of links it is (which need not exist yet).
std::filesystem::path WriteTarget(const std::filesystem::path& path);

// The longest file name the directory takes, in bytes.
std::size_t LongestFileName(const std::filesystem::path& directory);

// Whether files can be created in the directory: 0, or the system's error
// number. Tried by creating and removing a temporary file of our own naming.
int FolderWriteError(const std::filesystem::path& directory);

// Where the tables live: beside the executable when that folder can be
// written, so a copy run from a folder of the user's keeps everything
// together; otherwise the user's data folder for the program, created when
// missing, as for an installed copy. When even that cannot be written, the
// executable's folder, where the program then says edits cannot be saved.
std::filesystem::path ChooseApplicationDirectory(const std::filesystem::path& executableDirectory,
                                                 const std::filesystem::path& userDataDirectory);

// The program's own lock on a folder of tables, taken when made and held
// until destroyed; the system drops it when the program ends, however it
// ends. Two copies of the program on one folder would each write back its
// own rows over the other's: only the copy holding the lock may change the
// tables.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& directory);
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    // Another copy of the program holds the lock. False too where no lock
    // could be taken at all (a folder nobody may write), so that nothing
    // else is blamed for it.
    bool HeldElsewhere() const { return heldElsewhere_; }

private:
    int fd_ = -1;
    bool heldElsewhere_ = false;
};

// Moves a file the program will not overwrite (a damaged table or journal)
// out of the way, to the first free name of "<name>.bad", "<name>.bad2", …
// beside it, and returns its new path; `error` tells whether the rename failed.
std::filesystem::path KeepAside(const std::filesystem::path& path, std::error_code& error);

// Whether a name is one of the temporary files WriteFileAtomically makes.
bool IsTemporaryFileName(std::string_view name);
// Removes the temporary files a killed write left in the directory; returns
// how many were removed. Only the program's own temporary names are tried,
// so a folder of thousands of tables is never read for them.
int RemoveStaleTemporaryFiles(const std::filesystem::path& directory);

}  // namespace kalvenor
