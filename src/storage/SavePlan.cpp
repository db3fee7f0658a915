#include "storage/SavePlan.h"

#include <algorithm>
#include <thread>

namespace qm {

namespace fs = std::filesystem;

namespace {

Reason FileReason(std::error_code ec) {
    Reason r;
    r.kind = ReasonKind::File;
    r.cause = ec;
    return r;
}

}  // namespace

SavePlan::SavePlan(IFileSystem& fs) : fs_(&fs) {}

SavePlan::~SavePlan() {
    if (ran_) return;
    for (Part& part : parts_)
        if (part.done) part.done(false);
}

void SavePlan::AddFile(const fs::path& path, std::vector<uint8_t> content, std::u16string label,
                       Done done, PlanFileOptions options) {
    Part part;
    part.path = path;
    part.content = std::move(content);
    part.label = std::move(label);
    part.done = std::move(done);
    part.options = options;
    parts_.push_back(std::move(part));
}

void SavePlan::AddRecord(const fs::path& path, std::span<const uint8_t> record,
                         std::u16string label, Done done) {
    std::vector<uint8_t> content;
    if (const std::error_code ec = ComposeRecordFile(*fs_, path, record, content)) {
        Reason why;
        why.kind = ReasonKind::FileUnreadable;
        why.cause = ec;
        Refuse(label, std::move(why));
    }
    AddFile(path, std::move(content), std::move(label), std::move(done));
}

void SavePlan::AddAction(std::u16string label, Apply apply, Done done) {
    Part part;
    part.isFile = false;
    part.label = std::move(label);
    part.apply = std::move(apply);
    part.done = std::move(done);
    parts_.push_back(std::move(part));
}

void SavePlan::Refuse(std::u16string label, Reason reason) {
    if (refused_) return;
    refused_ = true;
    refusedLabel_ = std::move(label);
    refusedReason_ = std::move(reason);
}

bool SavePlan::Check(SaveReport& report) {
    if (refused_) {
        report.failed = refusedLabel_;
        report.reason = refusedReason_;
        report.cause = refusedReason_.cause;
        return false;
    }
    for (Part& part : parts_) {
        if (!part.isFile) continue;
        std::error_code ec = ResolveReplacedFile(part.path, part.target);
        if (!ec) ec = CheckReplaceable(*fs_, part.target, part.options.createFolder, part.check);
        if (ec) {
            report.failed = part.label;
            report.reason = FileReason(ec);
            report.cause = ec;
            return false;
        }
    }
    return true;
}

bool SavePlan::Stage(SaveReport& report) {
    std::vector<Part*> files;
    for (Part& part : parts_)
        if (part.isFile) files.push_back(&part);
    // What killed runs left in the folders written to goes first, once per folder.
    std::vector<fs::path> folders;
    for (const Part* part : files) {
        const fs::path folder = part->target.parent_path();
        if (std::find(folders.begin(), folders.end(), folder) != folders.end()) continue;
        folders.push_back(folder);
        RemoveStaleTempFiles(*fs_, folder);
    }
    std::error_code failure;
    const Part* failed = nullptr;
    // Files are written one by one and flushed together, a batch at a time: the disk then
    // commits several flushes at once, and few files are open at any moment.
    for (std::size_t start = 0; start < files.size() && !failure; start += kFlushBatch) {
        const std::size_t end = std::min(files.size(), start + kFlushBatch);
        std::vector<WriteHandle> handles;
        for (std::size_t i = start; i < end && !failure; ++i) {
            Part& part = *files[i];
            if (part.options.createFolder) {
                FileStat folder;
                const fs::path parent = part.target.parent_path();
                if (!parent.empty() && fs_->Stat(parent, folder))
                    failure = fs_->CreateFolders(parent);
            }
            WriteHandle handle;
            if (!failure)
                failure = BeginStagedFile(*fs_, part.target, part.check, part.content, part.staged,
                                          handle);
            if (failure) {
                failed = &part;
                break;
            }
            part.isStaged = true;
            handles.push_back(handle);
        }
        std::vector<std::error_code> errors(handles.size());
        if (!failure) FlushAll(handles, errors);
        for (std::size_t k = 0; k < handles.size(); ++k) {
            const std::error_code closed = fs_->Close(handles[k]);
            if (!errors[k]) errors[k] = closed;
            if (errors[k] && !failure) {
                failure = errors[k];
                failed = files[start + k];
            }
        }
    }
    if (!failure) return true;
    report.failed = failed->label;
    report.reason = FileReason(failure);
    report.cause = failure;
    for (Part& part : parts_)
        if (part.isStaged) DiscardStagedFile(*fs_, part.staged);
    return false;
}

void SavePlan::FlushAll(const std::vector<WriteHandle>& handles,
                        std::vector<std::error_code>& errors) {
    if (handles.size() == 1) {
        errors[0] = fs_->Flush(handles[0]);
        return;
    }
    const std::size_t threads = std::min<std::size_t>(handles.size(), kFlushThreads);
    auto flush = [&](std::size_t t) {
        for (std::size_t k = t; k < handles.size(); k += threads)
            errors[k] = fs_->Flush(handles[k]);
    };
    // This thread takes the first share: one thread fewer to start.
    std::vector<std::thread> workers;
    for (std::size_t t = 1; t < threads; ++t) workers.emplace_back(flush, t);
    flush(0);
    for (std::thread& worker : workers) worker.join();
}

void SavePlan::Commit(SaveReport& report) {
    std::vector<fs::path> folders;
    bool failed = false;
    for (Part& part : parts_) {
        if (!part.isFile) continue;
        if (failed) {
            DiscardStagedFile(*fs_, part.staged);
            continue;
        }
        if (const std::error_code ec = CommitStagedFile(*fs_, part.staged)) {
            failed = true;
            report.failed = part.label;
            report.reason = FileReason(ec);
            report.cause = ec;
            continue;
        }
        part.written = true;
        const fs::path folder = part.target.parent_path();
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    // Makes the renames durable. A folder that cannot be synced still holds the new
    // files, and nothing can be undone now: the save stands.
    for (const fs::path& folder : folders)
        if (const std::error_code ec = fs_->SyncFolder(folder); ec && !report.folderSync)
            report.folderSync = ec;
    if (failed) return;
    for (Part& part : parts_) {
        if (part.isFile) continue;
        Reason reason;
        if (!part.apply(reason)) {
            report.failed = part.label;
            report.reason = reason;
            return;
        }
        part.written = true;
    }
}

void SavePlan::Finish(SaveReport& report) {
    // A label is saved when every part that carries it is.
    std::vector<std::u16string> labels;
    for (const Part& part : parts_)
        if (std::find(labels.begin(), labels.end(), part.label) == labels.end())
            labels.push_back(part.label);
    bool any = false, all = true;
    for (const auto& label : labels) {
        const bool saved = std::all_of(parts_.begin(), parts_.end(), [&](const Part& p) {
            return p.label != label || p.written;
        });
        (saved ? report.saved : report.unsaved).push_back(label);
    }
    for (const Part& part : parts_) {
        any = any || part.written;
        all = all && part.written;
        if (part.isFile && part.written) ++report.filesWritten;
    }
    if (report.outcome == SaveReport::Outcome::Saved && !all)
        report.outcome = any ? SaveReport::Outcome::Partial : SaveReport::Outcome::NotWritten;
    for (Part& part : parts_)
        if (part.done) part.done(part.written);
}

SaveReport SavePlan::Run() {
    SaveReport report;
    ran_ = true;
    if (!Check(report)) {
        report.outcome = SaveReport::Outcome::Refused;
    } else if (Stage(report)) {
        Commit(report);
    }
    Finish(report);
    return report;
}

}  // namespace qm
