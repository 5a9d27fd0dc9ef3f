#include "base/Files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>

namespace kalvenor {

namespace {

namespace fs = std::filesystem;

// Temporary files take their names from this small set: hidden, never
// ".xml", so no table list shows one, and unmistakably ours. Start-up finds
// what a killed write left by trying these names alone, however many tables
// the folder holds. One program writes one file at a time, so a hundred
// leaves room for the leftovers of many kills and for other copies of the
// program working in the same folder.
constexpr std::string_view kTemporaryPrefix = ".kalvenor-tmp-";
constexpr int kTemporaryNames = 100;

std::string TemporaryName(int number) {
    std::string name(kTemporaryPrefix);
    name += static_cast<char>('0' + number / 10);
    name += static_cast<char>('0' + number % 10);
    return name;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int Get() const { return fd_; }
    // Hands the descriptor over; nothing is closed.
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now so that the caller sees the error close reports.
    int Close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

FileStamp StampFrom(const struct stat& status) {
    return {.device = static_cast<std::uint64_t>(status.st_dev),
            .inode = static_cast<std::uint64_t>(status.st_ino),
            .size = static_cast<std::int64_t>(status.st_size),
            .modifiedSeconds = static_cast<std::int64_t>(status.st_mtim.tv_sec),
            .modifiedNanoseconds = static_cast<std::int64_t>(status.st_mtim.tv_nsec)};
}

FileError ReadError(const fs::path& path, int code) {
    return FileError(
        "Не удалось прочитать файл " + Quoted(path.string()) + ": " + SystemErrorText(code) + ".",
        code);
}

FileError WriteError(const fs::path& path, int code) {
    return FileError(
        "Не удалось записать файл " + Quoted(path.string()) + ": " + SystemErrorText(code) + ".",
        code);
}

// Not mkstemp: that creates the file 0600, and a new table should get the
// permissions the user's umask gives. The first of the temporary names that
// is free in the directory; EEXIST when none is.
int CreateTemporary(const fs::path& directory, std::string& name) {
    for (int number = 0; number < kTemporaryNames; ++number) {
        name = (directory / TemporaryName(number)).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Makes the rename itself durable. The new file is in place already, so a
// failure here is no reason to report the write as failed.
void SyncDirectory(const fs::path& path) {
    const fs::path parent = path.parent_path();
    Descriptor directory(
        ::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Get() >= 0) {
        ::fsync(directory.Get());
    }
}

}  // namespace

namespace {

// The stamp of what the path names when it is of the kind (S_IFREG, S_IFDIR).
std::optional<FileStamp> StampOfKind(const fs::path& path, mode_t kind) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || (status.st_mode & S_IFMT) != kind) {
        return std::nullopt;
    }
    return StampFrom(status);
}

}  // namespace

std::optional<FileStamp> StampOf(const fs::path& path) {
    return StampOfKind(path, S_IFREG);
}

std::optional<FileStamp> FolderStampOf(const fs::path& path) {
    return StampOfKind(path, S_IFDIR);
}

bool ChangedOnceSettled(const fs::path& path, const FileStamp& seen) {
    using namespace std::chrono_literals;
    // A rewrite in place takes a moment; an old file is what it is.
    constexpr auto kRecent = 2s;
    // Quiet this long, the other program is done.
    constexpr auto kQuiet = 250ms;
    constexpr auto kLongest = 3s;
    const auto written = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(seen.modifiedSeconds) +
            std::chrono::nanoseconds(seen.modifiedNanoseconds)));
    if (std::chrono::system_clock::now() - written > kRecent) {
        return false;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + kLongest;
    std::optional<FileStamp> last = StampOf(path);
    Clock::time_point quietSince = Clock::now();
    while (Clock::now() - quietSince < kQuiet && Clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
        std::optional<FileStamp> now = StampOf(path);
        if (now != last) {
            last = now;
            quietSince = Clock::now();
        }
    }
    return last != seen;
}

std::size_t LongestFileName(const fs::path& directory) {
    const long longest = ::pathconf(directory.empty() ? "." : directory.c_str(), _PC_NAME_MAX);
    return longest > 0 ? static_cast<std::size_t>(longest) : NAME_MAX;
}

std::string SystemErrorText(int code) {
    switch (code) {
        case EACCES:
        case EPERM:
            return "нет прав доступа";
        case ENOSPC:
        case EDQUOT:
            return "диск заполнен";
        case EROFS:
            return "файловая система только для чтения";
        case EBUSY:
        case ETXTBSY:
            return "файл занят другой программой";
        case ENOENT:
        case ENOTDIR:
            return "путь не найден";
        case EISDIR:
            return "это папка, а не файл";
        case EFBIG:
            return "файл слишком велик";
        case EIO:
            return "ошибка чтения или записи диска";
        case ENAMETOOLONG:
            return "слишком длинное имя файла";
        case EMFILE:
        case ENFILE:
            return "открыто слишком много файлов";
        default:
            return std::generic_category().message(code);
    }
}

std::string Quoted(std::string_view text) {
    return "«" + std::string(text) + "»";
}

bool StampSettled(const FileStamp& stamp) {
    const auto modified = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(stamp.modifiedSeconds) +
            std::chrono::nanoseconds(stamp.modifiedNanoseconds)));
    return std::chrono::system_clock::now() - modified >= std::chrono::seconds(2);
}

namespace {

// Opened non-blocking, so that a FIFO in a table's place cannot hang the
// program in open; anything but a regular file is refused before a byte is
// read.
void CheckRegularFile(const fs::path& path, const Descriptor& file, struct stat& status) {
    if (file.Get() < 0 || ::fstat(file.Get(), &status) != 0) {
        throw ReadError(path, errno);
    }
    if (!S_ISREG(status.st_mode)) {
        throw FileError("Файл " + Quoted(path.string()) + " не является обычным файлом.");
    }
}

int OpenForReading(const fs::path& path) {
    return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

}  // namespace

FileBuffer ReadFileBuffer(const fs::path& path) {
    return FileReader(path).ReadAll();
}

FileReader::FileReader(const fs::path& path) : path_(path) {
    Descriptor file(OpenForReading(path));
    struct stat status {};
    CheckRegularFile(path, file, status);
    size_ = static_cast<std::size_t>(status.st_size);
    stamp_ = StampFrom(status);
    fd_ = file.Release();
}

FileReader::~FileReader() {
    ::close(fd_);
}

std::size_t FileReader::ReadAt(std::size_t offset, char* into, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got =
            ::pread(fd_, into + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw ReadError(path_, errno);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

FileBuffer FileReader::ReadAll() {
    // Room for the whole file, one byte more so that the read that finds the
    // end needs no more room, and one for the terminator.
    std::size_t capacity = size_ + 2;
    FileBuffer buffer{std::unique_ptr<char[]>(new char[capacity]), 0};
    for (;;) {
        if (buffer.size + 1 == capacity) {
            // The file grew while it was read.
            std::unique_ptr<char[]> bigger(new char[capacity * 2]);
            std::memcpy(bigger.get(), buffer.data.get(), buffer.size);
            buffer.data = std::move(bigger);
            capacity *= 2;
        }
        const std::size_t got =
            ReadAt(buffer.size, buffer.data.get() + buffer.size, capacity - 1 - buffer.size);
        if (got == 0) {
            buffer.data[buffer.size] = '\0';
            return buffer;
        }
        buffer.size += got;
    }
}

std::string ReadFileBytes(const fs::path& path, std::string_view until, std::size_t most) {
    const Descriptor file(OpenForReading(path));
    struct stat status {};
    CheckRegularFile(path, file, status);
    // The whole file: room for all of it and one byte more, so that the read
    // that finds the end needs no more room. Up to a marker: a page at a time.
    std::string bytes(std::min(most, until.empty() ? static_cast<std::size_t>(status.st_size) + 1
                                                   : std::size_t{1} << 13),
                      '\0');
    std::size_t size = 0;
    for (;;) {
        if (size == most) {
            return bytes;
        }
        if (size == bytes.size()) {
            // The marker is further on, or the file grew while it was read.
            bytes.resize(std::min(most, bytes.size() * 2));
        }
        const ssize_t got = ::read(file.Get(), bytes.data() + size, bytes.size() - size);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw ReadError(path, errno);
        }
        const std::size_t old = size;
        size += static_cast<std::size_t>(got);
        if (got == 0) {
            bytes.resize(size);
            return bytes;
        }
        if (!until.empty()) {
            // The marker may straddle the previous read's end.
            const std::size_t from = old >= until.size() ? old - until.size() + 1 : 0;
            const std::size_t found = std::string_view(bytes.data(), size).find(until, from);
            if (found != std::string::npos) {
                bytes.resize(found + until.size());
                return bytes;
            }
        }
    }
}

fs::path WriteTarget(const fs::path& path) {
    // As the system follows links: at most this many, each relative to the
    // folder of the link.
    constexpr int kMostLinks = 40;
    fs::path target = path;
    std::error_code error;
    for (int link = 0; link < kMostLinks && fs::is_symlink(target, error); ++link) {
        const fs::path next = fs::read_symlink(target, error);
        if (error) {
            break;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

FileStamp WriteFileAtomically(const fs::path& path, std::string_view bytes) {
    const std::string target = WriteTarget(path).string();
    std::string temporary;
    Descriptor file(CreateTemporary(fs::path(target).parent_path(), temporary));
    if (file.Get() < 0) {
        throw WriteError(path, errno);
    }
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        // Replacing a file must not change who may read it; failing that,
        // the umask's permissions are no reason to give up the write.
        ::fchmod(file.Get(), old.st_mode & 07777);
    }
    int error = 0;
    // Taken from the file itself before it is renamed: a stat of the name
    // afterwards could see another program's file put there meanwhile.
    struct stat written {};
    if (!WriteAll(file.Get(), bytes) || ::fsync(file.Get()) != 0 ||
        ::fstat(file.Get(), &written) != 0) {
        error = errno;
    }
    if (file.Close() != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && std::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        throw WriteError(path, error);
    }
    SyncDirectory(target);
    return StampFrom(written);
}

fs::path ChooseApplicationDirectory(const fs::path& executableDirectory,
                                    const fs::path& userDataDirectory) {
    if (FolderWriteError(executableDirectory) == 0 || userDataDirectory.empty()) {
        return executableDirectory;
    }
    std::error_code error;
    fs::create_directories(userDataDirectory, error);
    return FolderWriteError(userDataDirectory) == 0 ? userDataDirectory : executableDirectory;
}

FolderLock::FolderLock(const fs::path& directory) {
    // Hidden, and neither a table nor a temporary file: no list shows it
    // and no clean-up removes it. Left in place at the end, since removing
    // it would race with a copy just opening it.
    const fs::path path = directory / ".Kalvenor.lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd_ < 0) {
        // A folder that cannot be written may still hold the lock of a copy
        // that could write it.
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        heldElsewhere_ = errno == EWOULDBLOCK;
    }
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

fs::path KeepAside(const fs::path& path, std::error_code& error) {
    fs::path backup = path;
    backup += ".bad";
    for (int n = 2; fs::exists(backup, error); ++n) {
        backup = path;
        backup += ".bad" + std::to_string(n);
    }
    fs::rename(path, backup, error);
    return backup;
}

bool IsTemporaryFileName(std::string_view name) {
    if (name.size() != kTemporaryPrefix.size() + 2 || !name.starts_with(kTemporaryPrefix)) {
        return false;
    }
    const char tens = name[kTemporaryPrefix.size()];
    const char ones = name[kTemporaryPrefix.size() + 1];
    return tens >= '0' && tens <= '9' && ones >= '0' && ones <= '9';
}

int FolderWriteError(const fs::path& directory) {
    // A file of our own naming: should the program die before removing it,
    // the next start-up does.
    std::string name;
    const int fd = CreateTemporary(directory, name);
    if (fd < 0) {
        return errno;
    }
    ::close(fd);
    ::unlink(name.c_str());
    return 0;
}

int RemoveStaleTemporaryFiles(const fs::path& directory) {
    int removed = 0;
    for (int number = 0; number < kTemporaryNames; ++number) {
        const std::string name = (directory / TemporaryName(number)).string();
        struct stat status {};
        if (::lstat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            ::unlink(name.c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace kalvenor
