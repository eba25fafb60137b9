#include "support/OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
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
    mode_t mode = newFileMode();
    if (::stat(target.c_str(), &st) == 0) {
        if (::access(target.c_str(), W_OK) != 0) {
            fail(std::strerror(errno));
        }
        mode = st.st_mode & 07777;
    }
    std::string name = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) {
        fail(std::strerror(errno));
    }
    temporary_ = name;
    ::fchmod(fd_, mode);
    // The rename replaces the link's final target, so that the link stays.
    target_ = target.string();
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
}

void OutputFile::fail(const std::string& why) const {
    throw std::runtime_error("cannot write '" + path_ + "': " + why);
}

void OutputFile::writeAll(const std::string& bytes) {
    if (const int error = writeFully(fd_, bytes.data(), bytes.size())) {
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
        if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
            fail(std::strerror(errno));
        }
        temporary_.clear();
    }
}

} // namespace platform::support
