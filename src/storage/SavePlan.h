#pragma once
// One save of many parts - files, and registry stores that are not files of ours -
// carried out so that it tells the truth:
//   gather  the callers add each part with its new bytes (only what changes);
//   check   everything that can be refused is refused before any byte is written;
//   stage   every file is written to a temporary file beside its target and flushed;
//           any failure removes every temporary file and changes nothing;
//   commit  each target is replaced by its staged file, each folder synced once, then
//           the other parts are applied.
// Only a rename failing midway, or a part applied after the files, leaves a partial
// save; the report then names what was saved and what was not.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "storage/FileSystem.h"
#include "storage/Reason.h"
#include "storage/SafeFile.h"

namespace qm {

struct SaveReport {
    enum class Outcome {
        Saved,       // every part (also: there was nothing to save)
        Refused,     // refused before anything was written
        NotWritten,  // failed while staging, or at the first commit: nothing changed
        Partial,     // some parts are saved, the others not
    };
    Outcome outcome = Outcome::Saved;
    std::u16string failed;  // the part that refused or failed
    Reason reason;          // why
    std::error_code cause;  // the system's reason, when a file operation failed
    // Set when the files were replaced but a folder could not be synced after: they may
    // not survive a power cut.
    std::error_code folderSync;
    // Parts by their label, in plan order; a label shared by several parts is saved only
    // when all of them are.
    std::vector<std::u16string> saved;
    std::vector<std::u16string> unsaved;
    std::size_t filesWritten = 0;  // files replaced, for the confirmation

    bool AllSaved() const { return outcome == Outcome::Saved; }
};

struct PlanFileOptions {
    bool createFolder = false;  // a missing folder is created instead of refused
};

class SavePlan {
  public:
    // Told once whether the part reached its store: true after its commit; false when the
    // plan was refused, failed before the part was committed, or was dropped unrun.
    using Done = std::function<void(bool written)>;
    // Applies a part that is not a file; false with the reason.
    using Apply = std::function<bool(Reason& reason)>;

    explicit SavePlan(IFileSystem& fs = CurrentFileSystem());
    ~SavePlan();
    SavePlan(const SavePlan&) = delete;
    SavePlan& operator=(const SavePlan&) = delete;

    // A file's whole new content. label names it in the report (a file name, or what the
    // player knows the file as).
    void AddFile(const std::filesystem::path& path, std::vector<uint8_t> content,
                 std::u16string label, Done done = {}, PlanFileOptions options = {});
    // A file whose first record.size() bytes are replaced; the bytes past them are read
    // now and kept. A file that is there but cannot be read refuses the save.
    void AddRecord(const std::filesystem::path& path, std::span<const uint8_t> record,
                   std::u16string label, Done done = {});
    // A part that is not a file of ours (a registry written through the system's calls or
    // Wine's tool). It is applied after every file is committed, as it cannot be undone.
    void AddAction(std::u16string label, Apply apply, Done done = {});
    // A reason found while gathering that refuses the whole save. The first one counts.
    void Refuse(std::u16string label, Reason reason);

    bool Empty() const { return parts_.empty() && !refused_; }
    SaveReport Run();

  private:
    struct Part {
        bool isFile = true;
        std::filesystem::path path;
        std::vector<uint8_t> content;
        std::u16string label;
        Done done;
        PlanFileOptions options;
        Apply apply;
        // While running
        std::filesystem::path target;
        ReplaceCheck check;
        StagedFile staged;
        bool isStaged = false;
        bool written = false;
    };

    bool Check(SaveReport& report);
    bool Stage(SaveReport& report);
    void FlushAll(const std::vector<WriteHandle>& handles, std::vector<std::error_code>& errors);

    static constexpr std::size_t kFlushBatch = 32;
    static constexpr std::size_t kFlushThreads = 8;
    void Commit(SaveReport& report);
    void Finish(SaveReport& report);

    IFileSystem* fs_;
    std::vector<Part> parts_;
    bool refused_ = false;
    std::u16string refusedLabel_;
    Reason refusedReason_;
    bool ran_ = false;
};

}  // namespace qm
