#pragma once
// The file-system operations the safe writer and the save plan go through. One call is
// one operation, so a test can make any single one fail (FaultyFileSystem) and a
// benchmark can count them. Errors are system error codes (std::generic_category for
// the POSIX ones); success is an empty code.

#include <cstdint>
#include <filesystem>
#include <memory>
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

// What a read found at a path: the opened file's kind and length, and the bytes read.
struct ReadFacts {
    FileStat::Kind kind = FileStat::Kind::Other;
    uint64_t size = 0;
    std::size_t got = 0;
};

// An entry's type as a folder listing or a look-up tells it: a link's own type is Link.
enum class EntryType : uint8_t { Regular, Directory, Link, Other };

struct ListedEntry {
    std::filesystem::path::string_type name;
    EntryType type = EntryType::Other;
};

// One folder held open to list it and to read its files by name. Each name is looked up
// in the folder that was opened (a short look-up, and the same folder throughout even if
// its path is renamed meanwhile).
class IFolderReader {
  public:
    using Name = std::filesystem::path::string_type;
    virtual ~IFolderReader() = default;
    // Every entry but "." and "..". An error when the folder cannot be listed: its files
    // may still be found by name.
    virtual std::error_code List(std::vector<ListedEntry>& out) = 0;
    // The type of the entry `name`, its links followed or not. ENOENT when there is none.
    virtual std::error_code Look(const Name& name, bool followLinks, EntryType& type) = 0;
    // IFileSystem::ReadInto of the file `name` in the folder.
    virtual std::error_code ReadInto(const Name& name, std::span<uint8_t> into, uint64_t maxSize,
                                     ReadFacts& facts) = 0;
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
    // ReadFile of at most into.size() bytes straight into place; facts.got tells how many.
    // The bytes of `into` past them are left as they were. A file longer than maxSize is
    // not read (TooLongFileError); facts tell the kind and length of what was opened, both
    // found on the opened file itself, so one descriptor does the check and the read.
    virtual std::error_code ReadInto(const std::filesystem::path& path, std::span<uint8_t> into,
                                     uint64_t maxSize, ReadFacts& facts) = 0;
    // The folder held open for reading its files by name; nothing, with the reason, when it
    // cannot be opened (ENOENT or ENOTDIR: there is no such folder).
    virtual std::unique_ptr<IFolderReader> OpenFolder(const std::filesystem::path& folder,
                                                      std::error_code& error);

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
