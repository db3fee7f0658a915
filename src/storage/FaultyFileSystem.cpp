#include "storage/FaultyFileSystem.h"

namespace qm {

namespace fs = std::filesystem;

void FaultyFileSystem::FailAt(int operation, std::error_code error) {
    failAt_ = operation;
    failFile_ = 0;
    error_ = error;
    triggered_ = false;
    log_.clear();
}

void FaultyFileSystem::ResetCounts() {
    log_.clear();
    reads_ = 0;
    created_ = 0;
}

void FaultyFileSystem::FailOnFile(std::string operation, int fileNumber, std::error_code error) {
    const std::lock_guard lock(mutex_);
    failAt_ = 0;
    failOperation_ = std::move(operation);
    failFile_ = fileNumber;
    error_ = error;
    triggered_ = false;
    created_ = 0;
    log_.clear();
}

bool FaultyFileSystem::Fails(const char* name, const fs::path& path, int fileNumber) {
    const std::lock_guard lock(mutex_);
    log_.push_back(std::string(name) + " " + path.filename().string());
    if (failFile_ > 0 && !triggered_ && fileNumber == failFile_ && failOperation_ == name) {
        triggered_ = true;
        return true;
    }
    if (failAt_ <= 0 || int(log_.size()) != failAt_) return false;
    triggered_ = true;
    return true;
}

FaultyFileSystem::OpenFile FaultyFileSystem::FileOf(WriteHandle file) {
    const std::lock_guard lock(mutex_);
    auto it = open_.find(file.value);
    return it == open_.end() ? OpenFile{} : it->second;
}

std::error_code FaultyFileSystem::Stat(const fs::path& path, FileStat& out) {
    return inner_->Stat(path, out);
}

void FaultyFileSystem::CountRead() {
    const std::lock_guard lock(mutex_);
    ++reads_;
}

void FaultyFileSystem::FailFolderReads(std::error_code listing, std::error_code lookups) {
    listingError_ = listing;
    lookupError_ = lookups;
}

std::error_code FaultyFileSystem::ReadFile(const fs::path& path, std::size_t maxBytes,
                                           std::vector<uint8_t>& out) {
    CountRead();
    return inner_->ReadFile(path, maxBytes, out);
}

std::error_code FaultyFileSystem::ReadInto(const fs::path& path, std::span<uint8_t> into,
                                           uint64_t maxSize, ReadFacts& facts) {
    CountRead();
    return inner_->ReadInto(path, into, maxSize, facts);
}

// The inner file system's reader, its reads counted and its failures those asked for.
class FaultyFileSystem::FolderReader : public IFolderReader {
  public:
    FolderReader(FaultyFileSystem& owner, std::unique_ptr<IFolderReader> inner)
        : owner_(owner), inner_(std::move(inner)) {}

    std::error_code List(std::vector<ListedEntry>& out) override {
        out.clear();
        if (owner_.listingError_) return owner_.listingError_;
        return inner_->List(out);
    }
    std::error_code Look(const Name& name, bool followLinks, EntryType& type) override {
        if (owner_.lookupError_) return owner_.lookupError_;
        return inner_->Look(name, followLinks, type);
    }
    std::error_code ReadInto(const Name& name, std::span<uint8_t> into, uint64_t maxSize,
                             ReadFacts& facts) override {
        owner_.CountRead();
        facts = {};
        if (owner_.lookupError_) return owner_.lookupError_;
        return inner_->ReadInto(name, into, maxSize, facts);
    }

  private:
    FaultyFileSystem& owner_;
    std::unique_ptr<IFolderReader> inner_;
};

std::unique_ptr<IFolderReader> FaultyFileSystem::OpenFolder(const fs::path& folder,
                                                            std::error_code& error) {
    auto inner = inner_->OpenFolder(folder, error);
    if (!inner) return nullptr;
    return std::make_unique<FolderReader>(*this, std::move(inner));
}

std::error_code FaultyFileSystem::CreateNew(const fs::path& path, const FileStat* like,
                                            WriteHandle& out) {
    if (Fails("create", path)) return error_;
    const std::error_code ec = inner_->CreateNew(path, like, out);
    const std::lock_guard lock(mutex_);
    ++created_;
    if (!ec) open_[out.value] = {path, created_};
    return ec;
}

std::error_code FaultyFileSystem::Write(WriteHandle file, std::span<const uint8_t> data) {
    const OpenFile open = FileOf(file);
    if (Fails("write", open.path, open.number)) return error_;
    return inner_->Write(file, data);
}

std::error_code FaultyFileSystem::Flush(WriteHandle file) {
    const OpenFile open = FileOf(file);
    if (Fails("flush", open.path, open.number)) return error_;
    return inner_->Flush(file);
}

std::error_code FaultyFileSystem::Close(WriteHandle file) {
    // A failed close still releases the handle, as close(2) does.
    const OpenFile open = FileOf(file);
    {
        const std::lock_guard lock(mutex_);
        open_.erase(file.value);
    }
    const std::error_code closed = inner_->Close(file);
    if (Fails("close", open.path, open.number)) return error_;
    return closed;
}

std::error_code FaultyFileSystem::Rename(const fs::path& from, const fs::path& to) {
    if (Fails("rename", to)) return error_;
    return inner_->Rename(from, to);
}

std::error_code FaultyFileSystem::Remove(const fs::path& path) {
    if (Fails("remove", path)) return error_;
    return inner_->Remove(path);
}

std::error_code FaultyFileSystem::SyncFolder(const fs::path& folder) {
    if (Fails("sync-folder", folder)) return error_;
    return inner_->SyncFolder(folder);
}

std::error_code FaultyFileSystem::CreateFolders(const fs::path& folder) {
    if (Fails("create-folders", folder)) return error_;
    return inner_->CreateFolders(folder);
}

}  // namespace qm
