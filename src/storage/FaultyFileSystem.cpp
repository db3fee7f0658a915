#include "storage/FaultyFileSystem.h"

namespace qm {

namespace fs = std::filesystem;

void FaultyFileSystem::FailAt(int operation, std::error_code error) {
    failAt_ = operation;
    error_ = error;
    triggered_ = false;
    log_.clear();
}

void FaultyFileSystem::ResetCounts() {
    log_.clear();
    reads_ = 0;
    created_ = 0;
}

bool FaultyFileSystem::Fails(const char* name, const fs::path& path) {
    const std::lock_guard lock(mutex_);
    log_.push_back(std::string(name) + " " + path.filename().string());
    if (failAt_ <= 0 || int(log_.size()) != failAt_) return false;
    triggered_ = true;
    return true;
}

std::error_code FaultyFileSystem::Stat(const fs::path& path, FileStat& out) {
    return inner_->Stat(path, out);
}

std::error_code FaultyFileSystem::ReadFile(const fs::path& path, std::size_t maxBytes,
                                           std::vector<uint8_t>& out) {
    {
        const std::lock_guard lock(mutex_);
        ++reads_;
    }
    return inner_->ReadFile(path, maxBytes, out);
}

std::error_code FaultyFileSystem::CreateNew(const fs::path& path, const FileStat* like,
                                            WriteHandle& out) {
    if (Fails("create", path)) return error_;
    {
        const std::lock_guard lock(mutex_);
        ++created_;
    }
    return inner_->CreateNew(path, like, out);
}

std::error_code FaultyFileSystem::Write(WriteHandle file, std::span<const uint8_t> data) {
    if (Fails("write", {})) return error_;
    return inner_->Write(file, data);
}

std::error_code FaultyFileSystem::Flush(WriteHandle file) {
    if (Fails("flush", {})) return error_;
    return inner_->Flush(file);
}

std::error_code FaultyFileSystem::Close(WriteHandle file) {
    // A failed close still releases the handle, as close(2) does.
    const std::error_code closed = inner_->Close(file);
    if (Fails("close", {})) return error_;
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
