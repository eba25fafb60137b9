#pragma once
/// Writing an output file (rendered audio, a saved state, a picture) through a temporary file that replaces
/// it only when everything succeeded, without ever destroying what is not ours to replace.

#include <string>
#include <utility>
#include <vector>

namespace platform::support {

/// A file name and what it stands for in messages ("the input"), for the same-file check.
using NamedPath = std::pair<std::string, std::string>;

/// One output file of a run.
///
/// - A new or existing regular file is written through a temporary file beside it, which replaces it
///   (keeping its permissions) only at `commit()`; a failed run leaves it as it was.
/// - A symbolic link is followed: its final target is replaced that way, and the link stays.
/// - An existing file that is not regular (a device, a FIFO) is written straight through, never replaced
///   or removed. Where it cannot seek (a FIFO), the output is staged in an unnamed temporary file and
///   copied into it at `commit()`, so that file formats whose header is written last work too.
///
/// Opening checks everything that can be checked before a long render. Not copyable.
class OutputFile {
public:
    /// Prepares to write `path`. Throws std::runtime_error ("cannot write 'PATH': ...") when `path` is a
    /// folder, its folder does not exist or cannot be written, it names the same file as one of `others`
    /// (same device and inode, after following links), or it cannot be opened.
    explicit OutputFile(std::string path, const std::vector<NamedPath>& others = {});
    /// Removes the temporary file, unless committed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// The descriptor to write to (seekable).
    int fd() const { return fd_; }
    /// Makes the written bytes the output: renames the temporary over the target, or copies the staged
    /// bytes into the FIFO (waiting for its reader). Throws std::runtime_error on failure.
    void commit();
    /// Writes `bytes` and commits.
    void writeAll(const std::string& bytes);

private:
    [[noreturn]] void fail(const std::string& why) const;

    std::string path_;
    std::string target_;    ///< the regular file that the temporary replaces (links followed)
    std::string temporary_; ///< beside the target; empty when writing through
    bool staged_ = false;   ///< bytes wait in an unnamed temporary for a FIFO
    int fd_ = -1;
};

} // namespace platform::support
