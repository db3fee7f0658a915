#pragma once
// The registry on Linux: one file in the registry editor's export format, so a player
// can import it into a real or emulated registry (regedit accepts it as it is).
//
// The file is written as UTF-16LE with a byte-order mark and CR LF line ends, the form
// the registry editor itself exports for version 5; UTF-8 files (with or without a
// mark) are read too and become UTF-16LE at the next write. The file is parsed once and
// kept while its size, time stamp and identity stay the same, so edits made by hand
// while the program runs are seen; a batch of values (PlanSetMany) replaces the whole
// file once, safely, and keeps all lines it does not change.
//
// A file that is not in this format, or not valid in its encoding, is renamed to
// "<name>.damaged" (or ".damaged-2", ...) and reading goes on as if it were missing.
// A file that exists but cannot be read, or cannot be set aside, is never overwritten:
// reads give nothing and writes fail.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/Registry.h"
#include "platform/linux/RegFileFormat.h"
#include "storage/FileSystem.h"

namespace qm {

class RegFileBackend : public IRegistryBackend {
  public:
    explicit RegFileBackend(std::filesystem::path file);

    // $XDG_CONFIG_HOME/quillmor/registry.reg, or ~/.config/quillmor/registry.reg when
    // that is unset or not absolute; empty when neither is known. On Windows
    // %APPDATA%\quillmor\registry.reg.
    static std::filesystem::path DefaultPath();

    std::optional<RegRawValue> Query(Hive hive, std::u16string_view key,
                                     std::u16string_view name) override;
    bool Set(Hive hive, std::u16string_view key, std::u16string_view name,
             const RegRawValue& value) override;
    void PlanSetMany(SavePlan& plan, Hive hive, std::span<const RegValueWrite> values,
                     std::u16string_view label) override;

    const std::filesystem::path& File() const { return file_; }
    // Where a damaged file was moved, the last time one was; empty when none was.
    const std::filesystem::path& SetAsideFile() const { return setAside_; }
    // Why the last failed call failed; no reason after a success.
    const Reason& LastError() const { return lastError_; }
    std::vector<StoreNotice> TakeNotice() override;

  private:
    struct Cached {
        RegFileDocument doc;
        FileStamp stamp;
    };

    // The file's content; an empty document when the file is missing or was set aside.
    // Null when it exists but cannot be used, and must therefore not be replaced.
    const RegFileDocument* Load();
    std::optional<FileStamp> Stamp(std::error_code* error = nullptr) const;
    void Notice(const Reason& reason, bool startsEmpty);
    void Fail(ReasonKind kind);  // the file cannot be used: the settings start empty

    std::filesystem::path file_;
    std::optional<Cached> cached_;  // the file as it is on disk
    RegFileDocument empty_;
    std::filesystem::path setAside_;
    Reason lastError_;
    StoreNotice notice_;
    Reason noticed_;  // the last trouble told, so a lasting one is told once
};

}  // namespace qm
