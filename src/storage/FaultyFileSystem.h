#pragma once
// A file system for tests and benchmarks: passes every call to another one, counts the
// calls, and can make the Nth write-side operation fail as a full disk or a failing
// device would. Safe to call from several threads (flushes run together).

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "storage/FileSystem.h"

namespace qm {

class FaultyFileSystem : public IFileSystem {
  public:
    explicit FaultyFileSystem(IFileSystem& inner = SystemFileSystem()) : inner_(&inner) {}

    // The write-side operation number (1 for the first) that fails with `error`; 0: none.
    void FailAt(int operation, std::error_code error = std::make_error_code(std::errc::io_error));
    // Fails `operation` ("write", "flush" or "close") of the fileNumber-th file created
    // (1 for the first): flushes run on several threads, so their numbers vary from run
    // to run, their files do not.
    void FailOnFile(std::string operation, int fileNumber,
                    std::error_code error = std::make_error_code(std::errc::io_error));
    // Folders opened for reading (OpenFolder) cannot be listed: List fails with `listing`.
    // With `lookups` set, their names cannot be looked up or opened either, as in a
    // folder that its user may not search. Empty codes: folders read normally.
    void FailFolderReads(std::error_code listing, std::error_code lookups = {});
    // True once the chosen operation was reached (and failed).
    bool Triggered() const { return triggered_; }
    // Write-side operations so far, by name ("create", "write", "flush", "close",
    // "rename", "remove", "sync-folder", "create-folders"), with the name of the file they
    // concern.
    const std::vector<std::string>& Log() const { return log_; }
    int WriteOperations() const { return int(log_.size()); }
    int FileReads() const { return reads_; }
    int FilesCreated() const { return created_; }
    void ResetCounts();

    std::error_code Stat(const std::filesystem::path& path, FileStat& out) override;
    std::error_code ReadFile(const std::filesystem::path& path, std::size_t maxBytes,
                             std::vector<uint8_t>& out) override;
    std::error_code ReadInto(const std::filesystem::path& path, std::span<uint8_t> into,
                             uint64_t maxSize, ReadFacts& facts) override;
    std::unique_ptr<IFolderReader> OpenFolder(const std::filesystem::path& folder,
                                              std::error_code& error) override;
    std::error_code CreateNew(const std::filesystem::path& path, const FileStat* like,
                              WriteHandle& out) override;
    std::error_code Write(WriteHandle file, std::span<const uint8_t> data) override;
    std::error_code Flush(WriteHandle file) override;
    std::error_code Close(WriteHandle file) override;
    std::error_code Rename(const std::filesystem::path& from,
                           const std::filesystem::path& to) override;
    std::error_code Remove(const std::filesystem::path& path) override;
    std::error_code SyncFolder(const std::filesystem::path& folder) override;
    std::error_code CreateFolders(const std::filesystem::path& folder) override;

  private:
    class FolderReader;
    void CountRead();
    // Counts one write-side operation; true when it is the one to fail.
    bool Fails(const char* name, const std::filesystem::path& path, int fileNumber = 0);
    struct OpenFile {
        std::filesystem::path path;
        int number = 0;
    };
    OpenFile FileOf(WriteHandle file);

    std::mutex mutex_;
    IFileSystem* inner_;
    int failAt_ = 0;
    std::error_code error_;
    std::string failOperation_;
    int failFile_ = 0;
    std::map<intptr_t, OpenFile> open_;
    bool triggered_ = false;
    std::vector<std::string> log_;
    int reads_ = 0;
    int created_ = 0;
    std::error_code listingError_, lookupError_;
};

}  // namespace qm
