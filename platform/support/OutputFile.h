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
/// - A new or existing regular file is written through a hidden temporary file beside it, made at the
///   first write (`fd()`, `writeAll()`), which replaces it (keeping its permissions) only at `commit()`; a
///   failed run leaves it as it was, and a run that never writes leaves nothing at all.
/// - A symbolic link is followed: its final target is replaced that way, and the link stays.
/// - An existing file that is not regular (a device, a FIFO) is written straight through, never replaced
///   or removed. Where it cannot seek (a FIFO), the output is staged in an unnamed temporary file and
///   copied into it at `commit()`, so that file formats whose header is written last work too.
///
/// Opening checks everything that can be checked before a long render. The temporary files alive are
/// listed in fixed storage, so that a signal handler can remove them (`removeTemporaries()`); each is made
/// and given up with every signal blocked in the calling thread. Not copyable.
class OutputFile {
public:
    /// Prepares to write `path`; makes no file yet. Throws std::runtime_error ("cannot write 'PATH': ...")
    /// when `path` is a folder, its folder does not exist or cannot be written, it names the same file as
    /// one of `others` (same device and inode, after following links), or it cannot be opened.
    explicit OutputFile(std::string path, const std::vector<NamedPath>& others = {});
    /// Removes the temporary file, unless committed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// The descriptor to write to (seekable); makes the temporary file at the first call. Throws
    /// std::runtime_error when it cannot be made.
    int fd();
    /// Makes the written bytes the output: renames the temporary over the target, or copies the staged
    /// bytes into the FIFO (waiting for its reader). Throws std::runtime_error on failure.
    void commit();
    /// Writes `bytes` and commits.
    void writeAll(const std::string& bytes);

    /// Removes every temporary file that an OutputFile of the process holds now. Async-signal-safe, for a
    /// handler that ends the process: call it on a thread that cannot be inside an OutputFile's call (the
    /// thread that writes, or any thread of a program that writes from one thread only).
    static void removeTemporaries() noexcept;

private:
    [[noreturn]] void fail(const std::string& why) const;
    void makeTemporary();
    void giveUpTemporary(bool renamed);

    std::string path_;
    std::string target_;    ///< the regular file that the temporary replaces (links followed)
    std::string pattern_;   ///< the temporary's name for mkstemp until it is made
    std::string temporary_; ///< the temporary once made; empty before and when writing through
    int slot_ = -1;         ///< where removeTemporaries() finds it
    unsigned mode_ = 0;     ///< its permissions
    bool staged_ = false;   ///< bytes wait in an unnamed temporary for a FIFO
    int fd_ = -1;
};

} // namespace platform::support
