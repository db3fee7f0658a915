#pragma once
// The HKEY_LOCAL_MACHINE registry of a Wine prefix, kept in its system.reg, as a store for
// the game's keys.
//
// The game is a 32-bit program: in a win64 prefix it sees HKLM\Software through
// Software\Wow6432Node. Reads look there first, then without it; writes go where the
// game reads.
//
// A running wineserver read system.reg when it started and overwrites it when it next
// saves, so the file is written only while no server runs for the prefix. While one
// runs, reads and writes go through Wine's own registry tool, one import for a whole
// batch; when that cannot be used, a write is refused and the player is told to close
// the game first. Nothing is ever written behind a server's back.
//
// The parsed file is kept while its size, time stamp and identity stay the same. A batch
// of values (PlanSetMany) is applied to it and the file written once; when that write
// does not happen, the copy is dropped, so it never holds a value the file does not.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/Registry.h"
#include "platform/linux/RegFileFormat.h"
#include "platform/linux/WineRegFormat.h"
#include "platform/linux/WineTool.h"
#include "storage/FileSystem.h"

namespace qm {

class WinePrefixRegistry : public IRegistryBackend {
  public:
    struct Options {
        // Where wineserver folders are looked for.
        std::filesystem::path tmpRoot = "/tmp";
        // How long a copy of a key read through the registry tool is trusted: the length
        // of one save, so that unchanged values need no tool run of their own.
        std::chrono::milliseconds snapshotLife = std::chrono::seconds(5);
        // The time stamps written with a changed key.
        std::function<std::chrono::system_clock::time_point()> now = [] {
            return std::chrono::system_clock::now();
        };
    };

    explicit WinePrefixRegistry(IWineRegTool& tool) : WinePrefixRegistry(tool, Options{}) {}
    WinePrefixRegistry(IWineRegTool& tool, Options options);

    // The prefix folder; empty: none, every read finds nothing and every write fails.
    void SetPrefix(const std::filesystem::path& prefix);
    const std::filesystem::path& Prefix() const { return prefix_; }
    bool ServerRunning() const;

    std::optional<RegRawValue> Query(Hive hive, std::u16string_view key,
                                     std::u16string_view name) override;
    bool Set(Hive hive, std::u16string_view key, std::u16string_view name,
             const RegRawValue& value) override;
    void PlanSetMany(SavePlan& plan, Hive hive, std::span<const RegValueWrite> values,
                     std::u16string_view label) override;
    std::vector<StoreNotice> TakeNotice() override;

  private:
    struct Cached {
        WineRegDocument doc;
        FileStamp stamp;
    };
    struct LiveCopy {
        std::optional<RegFileDocument> doc;  // nothing: the tool could not give it
        std::chrono::steady_clock::time_point taken;
    };

    std::optional<FileStamp> Stamp() const;
    // system.reg as it is on disk now (reused while the file is unchanged).
    WineRegDocument* Load(Reason* error);
    // The keys to try for `key`, the one the game reads first.
    static std::vector<std::u16string> ViewKeys(const WineRegDocument& doc,
                                                std::u16string_view key);
    // The key and everything below its root as the running server has them; null when the
    // registry tool cannot give them.
    RegFileDocument* LiveCopyOf(std::u16string_view key);
    void PlanThroughServer(SavePlan& plan, std::span<const RegValueWrite> values,
                           std::u16string_view label);
    // One import of every value; false with the reason.
    bool ImportThroughServer(const std::vector<RegValueWrite>& values, Reason& reason);
    std::filesystem::path TempFile(std::string_view suffix) const;
    void Notice(const Reason& reason);

    IWineRegTool* tool_;
    Options options_;
    std::filesystem::path prefix_;
    std::optional<Cached> cached_;
    std::map<std::u16string, LiveCopy> snapshots_;  // by folded root key
    std::vector<StoreNotice> notices_;
};

}  // namespace qm
