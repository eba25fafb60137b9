#include "support/OutputFile.h"

#include "support/SignalsBlocked.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pthread.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::support {

namespace fs = std::filesystem;

namespace {

/// Follows symbolic links from `path` to the name they end at, which need not exist.
fs::path followLinks(fs::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec)) || ec) {
            return path;
        }
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) {
            return path;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    throw std::runtime_error("too many levels of symbolic links");
}

/// Same device and inode; for names that do not exist yet, the same name once links are followed.
bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    const bool aExists = ::stat(a.c_str(), &sa) == 0;
    const bool bExists = ::stat(b.c_str(), &sb) == 0;
    if (aExists || bExists) {
        return aExists && bExists && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    }
    std::error_code ea;
    std::error_code eb;
    const fs::path ca = fs::weakly_canonical(fs::absolute(followLinks(a)), ea);
    const fs::path cb = fs::weakly_canonical(fs::absolute(followLinks(b)), eb);
    return !ea && !eb && ca == cb;
}

/// Writes all of `data`; returns 0 or the error number.
int writeFully(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

/// The temporary files that OutputFiles hold now, by name, in storage that a signal handler may read: a
/// slot's name is complete before it is marked used, and it is marked unused before the name changes.
struct TemporarySlot {
    std::atomic<bool> used{false};
    char name[PATH_MAX] = {};
};
static_assert(std::atomic<bool>::is_always_lock_free, "read from signal handlers");
constexpr int kTemporarySlots = 16;
TemporarySlot temporarySlots[kTemporarySlots];

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

OutputFile::OutputFile(std::string path, const std::vector<NamedPath>& others) : path_(std::move(path)) {
    for (const auto& [other, role] : others) {
        if (sameFile(path_, other)) {
            fail("it is the same file as " + role + " '" + other + "'");
        }
    }
    struct stat st {};
    const bool exists = ::stat(path_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        fail("it is a folder");
    }
    if (exists && !S_ISREG(st.st_mode)) {
        // A device, FIFO or socket: written straight through, never replaced.
        if (S_ISSOCK(st.st_mode)) {
            fail("it is a socket, which cannot be opened as a file");
        }
        if (!S_ISFIFO(st.st_mode)) {
            fd_ = ::open(path_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
            if (fd_ < 0) {
                fail(std::strerror(errno));
            }
            if (::lseek(fd_, 0, SEEK_CUR) >= 0) {
                return;
            }
            ::close(fd_);
        }
        // Not seekable: stage the bytes in an unnamed temporary file (its name, the program's, goes at once).
        std::string name =
            (fs::temp_directory_path() / (std::string(program_invocation_short_name) + ".XXXXXX")).string();
        const SignalsBlocked blocked;
        fd_ = ::mkstemp(name.data());
        if (fd_ < 0) {
            fail("cannot stage the output: " + std::string(std::strerror(errno)));
        }
        ::unlink(name.c_str());
        staged_ = true;
        return;
    }

    fs::path target;
    try {
        target = followLinks(path_);
    } catch (const std::exception& e) {
        fail(e.what());
    }
    if (target.filename().empty()) {
        fail("it names a folder");
    }
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        fail("no folder '" + dir.string() + "'");
    }
    // The temporary is made at the first write; what would stop it from being made is checked now.
    if (::access(dir.c_str(), W_OK | X_OK) != 0) {
        fail(std::strerror(errno));
    }
    mode_ = newFileMode();
    if (::stat(target.c_str(), &st) == 0) {
        if (::access(target.c_str(), W_OK) != 0) {
            fail(std::strerror(errno));
        }
        mode_ = st.st_mode & 07777;
    }
    pattern_ = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    // The rename replaces the link's final target, so that the link stays.
    target_ = target.string();
}

void OutputFile::makeTemporary() {
    std::string name = pattern_;
    const SignalsBlocked blocked;
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) {
        fail(std::strerror(errno));
    }
    temporary_ = name;
    pattern_.clear();
    for (int i = 0; i < kTemporarySlots && name.size() < PATH_MAX; ++i) {
        if (!temporarySlots[i].used.load(std::memory_order_relaxed)) {
            std::memcpy(temporarySlots[i].name, name.c_str(), name.size() + 1);
            temporarySlots[i].used.store(true, std::memory_order_release);
            slot_ = i;
            break;
        }
    }
    ::fchmod(fd_, static_cast<mode_t>(mode_));
}

void OutputFile::giveUpTemporary(bool renamed) {
    const SignalsBlocked blocked;
    if (!renamed) {
        ::unlink(temporary_.c_str());
    }
    if (slot_ >= 0) {
        temporarySlots[slot_].used.store(false, std::memory_order_release);
        slot_ = -1;
    }
    temporary_.clear();
}

void OutputFile::removeTemporaries() noexcept {
    for (TemporarySlot& slot : temporarySlots) {
        if (slot.used.load(std::memory_order_acquire)) {
            ::unlink(slot.name);
        }
    }
}

int OutputFile::fd() {
    if (!pattern_.empty()) {
        makeTemporary();
    }
    return fd_;
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!temporary_.empty()) {
        giveUpTemporary(false);
    }
}

void OutputFile::fail(const std::string& why) const {
    throw std::runtime_error("cannot write '" + path_ + "': " + why);
}

void OutputFile::writeAll(const std::string& bytes) {
    if (const int error = writeFully(fd(), bytes.data(), bytes.size())) {
        fail(std::strerror(error));
    }
    commit();
}

void OutputFile::commit() {
    if (staged_) {
        const int out = ::open(path_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (out < 0) {
            fail(std::strerror(errno));
        }
        int error = ::lseek(fd_, 0, SEEK_SET) < 0 ? errno : 0;
        char chunk[65536];
        while (error == 0) {
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n == 0) {
                break;
            }
            if (n < 0) {
                error = errno == EINTR ? 0 : errno;
                continue;
            }
            error = writeFully(out, chunk, static_cast<std::size_t>(n));
        }
        if (::close(out) != 0 && error == 0) {
            error = errno;
        }
        if (error != 0) {
            fail(std::strerror(error));
        }
        return;
    }
    (void)fd(); // an output with nothing written is an empty file
    // Devices may not sync (EINVAL); what matters is that every write reached them.
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) {
        fail(std::strerror(errno));
    }
    const int error = ::close(fd_) != 0 ? errno : 0;
    fd_ = -1;
    if (error != 0) {
        fail(std::strerror(error));
    }
    if (!temporary_.empty()) {
        const SignalsBlocked blocked;
        if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
            fail(std::strerror(errno));
        }
        giveUpTemporary(true);
    }
}

} // namespace platform::support
