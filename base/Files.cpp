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
#include <random>
#include <system_error>
#include <thread>

namespace kalvenor {

namespace {

namespace fs = std::filesystem;

// Ends every temporary name: never ".xml", so no table list shows one, and
// unmistakably ours, so start-up removes only what a killed write left.
constexpr std::string_view kTemporarySuffix = ".kalvenor-tmp";

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
// permissions the user's umask gives. The name is the target's, cut short
// where the whole would pass the longest name the folder takes, so that a
// table of any name the system accepts can be written.
int CreateTemporary(const std::string& target, std::string& name) {
    static constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static constexpr std::size_t kRandomLetters = 6;
    thread_local std::mt19937_64 random(std::random_device{}());
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    const fs::path path(target);
    const std::string base = path.filename().string();
    const std::size_t longest = LongestFileName(path.parent_path());
    const std::size_t added = 1 + kRandomLetters + kTemporarySuffix.size();
    const std::size_t room = longest > added ? longest - added : 0;
    std::size_t keep = std::min(base.size(), room);
    while (keep > 0 && keep < base.size() &&
           (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80) {
        --keep;  // not inside a character
    }
    const std::string stem = (path.parent_path() / base.substr(0, keep)).string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = stem + '.';
        for (std::size_t i = 0; i < kRandomLetters; ++i) {
            name += kLetters[pick(random)];
        }
        name += kTemporarySuffix;
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
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

std::optional<FileStamp> StampOf(const fs::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return StampFrom(status);
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
    Descriptor file(CreateTemporary(target, temporary));
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
    return name.size() > kTemporarySuffix.size() && name.ends_with(kTemporarySuffix);
}

int FolderWriteError(const fs::path& directory) {
    // A file of our own naming: should the program die before removing it,
    // the next start-up does.
    std::string name;
    const int fd = CreateTemporary((directory / "Kalvenor").string(), name);
    if (fd < 0) {
        return errno;
    }
    ::close(fd);
    ::unlink(name.c_str());
    return 0;
}

int RemoveStaleTemporaryFiles(const fs::path& directory) {
    int removed = 0;
    std::error_code error;
    for (fs::directory_iterator entry(directory, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code typeError;
        if (IsTemporaryFileName(entry->path().filename().string()) &&
            entry->is_regular_file(typeError) && fs::remove(entry->path(), typeError)) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace kalvenor
