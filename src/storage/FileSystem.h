#pragma once
// The file-system operations the safe writer and the save plan go through. One call is
// one operation, so a test can make any single one fail (FaultyFileSystem) and a
// benchmark can count them. Errors are system error codes (std::generic_category for
// the POSIX ones); success is an empty code.

#include <cstdint>
#include <filesystem>
#include <span>
#include <system_error>
#include <vector>

namespace qm {

struct FileStat {
    enum class Kind { Regular, Directory, Other };
    Kind kind = Kind::Other;
    uint32_t mode = 0;  // permission bits
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    uint64_t inode = 0;
    uint32_t owner = 0, group = 0;
    bool mayWrite = true;     // the caller may write the file itself (access W_OK)
    uint32_t attributes = 0;  // Windows: the FILE_ATTRIBUTE_ flags

    bool IsRegular() const { return kind == Kind::Regular; }
    bool IsDirectory() const { return kind == Kind::Directory; }
};

// What tells that a file changed since it was read: a cache of its parsed content is
// reused while the stamp stays the same.
struct FileStamp {
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    uint64_t inode = 0;
    bool operator==(const FileStamp&) const = default;

    static FileStamp Of(const FileStat& st) { return {st.size, st.modifiedNs, st.inode}; }
};

// A file opened for writing; the value is the system's handle.
struct WriteHandle {
    intptr_t value = -1;
};

// The error for a path that names a device, a pipe or anything else that is neither a
// regular file nor a folder: never read (it may block or never end) nor replaced.
std::error_code NotRegularFileError();
// The error for a file far longer than any the program reads or rewrites whole.
std::error_code TooLongFileError();

class IFileSystem {
  public:
    virtual ~IFileSystem() = default;

    // Reading side.
    // The file a path names, links followed. ENOENT when there is none.
    virtual std::error_code Stat(const std::filesystem::path& path, FileStat& out) = 0;
    // At most maxBytes from the start of the file into out (sized to what was read).
    // Only a regular file is read (NotRegularFileError otherwise), checked on the opened
    // file itself, opened so that a pipe cannot block the open.
    virtual std::error_code ReadFile(const std::filesystem::path& path, std::size_t maxBytes,
                                     std::vector<uint8_t>& out) = 0;
    // ReadFile of at most into.size() bytes straight into place; got tells how many. The
    // bytes of `into` past them are left as they were.
    virtual std::error_code ReadInto(const std::filesystem::path& path, std::span<uint8_t> into,
                                     std::size_t& got);

    // Writing side: each call below is one operation a fault test counts.
    // Creates a new file (never an existing one) for writing, with the permission bits
    // of `like` when given, else 0644, and like's owner and group when allowed.
    virtual std::error_code CreateNew(const std::filesystem::path& path, const FileStat* like,
                                      WriteHandle& out) = 0;
    // Writes all of data at the file's end.
    virtual std::error_code Write(WriteHandle file, std::span<const uint8_t> data) = 0;
    // Puts what was written on the disk (fsync). Called for several files at once, from
    // several threads.
    virtual std::error_code Flush(WriteHandle file) = 0;
    virtual std::error_code Close(WriteHandle file) = 0;
    // Replaces `to` by `from` in one step.
    virtual std::error_code Rename(const std::filesystem::path& from,
                                   const std::filesystem::path& to) = 0;
    virtual std::error_code Remove(const std::filesystem::path& path) = 0;
    // Makes the renames done in a folder durable.
    virtual std::error_code SyncFolder(const std::filesystem::path& folder) = 0;
    // Creates the folder and every missing one above it.
    virtual std::error_code CreateFolders(const std::filesystem::path& folder) = 0;
};

// The machine's own file system.
IFileSystem& SystemFileSystem();

// The file system every file operation of the program uses: the machine's, unless a
// test put another in place with ScopedFileSystem.
IFileSystem& CurrentFileSystem();

class ScopedFileSystem {
  public:
    explicit ScopedFileSystem(IFileSystem& fs);
    ~ScopedFileSystem();
    ScopedFileSystem(const ScopedFileSystem&) = delete;
    ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

  private:
    IFileSystem* previous_;
};

}  // namespace qm
