#include "storage/SavePlan.h"

#include <algorithm>

namespace qm {

namespace fs = std::filesystem;

namespace {

std::u16string JoinLabels(const std::vector<std::u16string>& labels) {
    std::u16string text;
    for (const auto& label : labels) {
        if (!text.empty()) text += u", ";
        text += label;
    }
    return text.empty() ? u"なし" : text;
}

}  // namespace

std::u16string SaveReport::Message() const {
    if (outcome == Outcome::Saved) return {};
    std::u16string text;
    if (!failed.empty()) text = u"「" + failed + u"」を保存できませんでした。\r\n";
    text += reason;
    if (outcome == Outcome::Partial) {
        text += u"\r\n\r\n保存したもの: " + JoinLabels(saved) + u"\r\n保存していないもの: " +
                JoinLabels(unsaved);
    } else {
        text += u"\r\n\r\n変更は保存されていません。";
    }
    return text;
}

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
    if (const std::error_code ec = ComposeRecordFile(*fs_, path, record, content))
        Refuse(label, u"読み込めないため、書き換えられません (" + FileErrorText(ec) + u")");
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

void SavePlan::Refuse(std::u16string label, std::u16string reason) {
    if (refused_) return;
    refused_ = true;
    refusedLabel_ = std::move(label);
    refusedReason_ = std::move(reason);
}

bool SavePlan::Check(SaveReport& report) {
    if (refused_) {
        report.failed = refusedLabel_;
        report.reason = refusedReason_;
        return false;
    }
    for (Part& part : parts_) {
        if (!part.isFile) continue;
        std::error_code ec = ResolveReplacedFile(part.path, part.target);
        if (!ec) ec = CheckReplaceable(*fs_, part.target, part.options.createFolder, part.check);
        if (ec) {
            report.failed = part.label;
            report.reason = FileErrorText(ec);
            return false;
        }
    }
    return true;
}

bool SavePlan::Stage(SaveReport& report) {
    for (Part& part : parts_) {
        if (!part.isFile) continue;
        std::error_code ec;
        if (part.options.createFolder) {
            FileStat folder;
            const fs::path parent = part.target.parent_path();
            if (!parent.empty() && fs_->Stat(parent, folder)) ec = fs_->CreateFolders(parent);
        }
        if (!ec) ec = StageFile(*fs_, part.target, part.check, part.content, part.staged);
        if (ec) {
            report.failed = part.label;
            report.reason = FileErrorText(ec);
            for (Part& other : parts_)
                if (other.isStaged) DiscardStagedFile(*fs_, other.staged);
            return false;
        }
        part.isStaged = true;
    }
    return true;
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
            report.reason = FileErrorText(ec);
            continue;
        }
        part.written = true;
        const fs::path folder = part.target.parent_path();
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    // Makes the renames durable. A folder that cannot be synced still holds the new
    // files, and nothing can be undone now: the save stands.
    for (const fs::path& folder : folders) fs_->SyncFolder(folder);
    if (failed) return;
    for (Part& part : parts_) {
        if (part.isFile) continue;
        std::u16string reason;
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
