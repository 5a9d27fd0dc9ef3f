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

// "«text»", as every message quotes a file or a field.
std::string Quoted(std::string_view text);

// What tells a file's bytes apart without reading them: the same device,
// inode, size and modification time mean that nobody has replaced or
// written the file since the stamp was taken.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};
// The stamp of the file a path leads to now, or nothing when there is none.
std::optional<FileStamp> StampOf(const std::filesystem::path& path);
// Whether a change made from now on would show in the stamp: its time lies
// two seconds or more in the past. File systems keep times in ticks (up to
// two seconds), and a change within the tick of the stamp leaves it as it was.
bool StampSettled(const FileStamp& stamp);

// The bytes of a regular file; with `until`, only as far as the end of its
// first occurrence (the whole file when it does not occur). Anything that is
// not a regular file (a FIFO, a device, a folder) is refused without
// blocking on it. Throws FileError.
std::string ReadFileBytes(const std::filesystem::path& path, std::string_view until = {});

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
// either the old file or the new one, never a broken one. Throws FileError
// and leaves no temporary file behind. Returns the new file's stamp.
FileStamp WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

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
