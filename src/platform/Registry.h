#pragma once
// Raw registry storage: what the Win32 registry API offers, and what the Linux
// backends imitate. The typed, defaulting access the program uses is in
// settings/Registry.h (RegReadValue, RegWriteValue).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "storage/Reason.h"

namespace qm {

class SavePlan;

// The label of a plan's registry part when nothing names it better; the window and the
// command line word it.
inline constexpr std::u16string_view kRegistryLabel = u"registry";

// What a store says about itself: a reason, and whether the settings start from their
// defaults and are not saved because of it.
struct StoreNotice {
    Reason reason;
    bool startsEmpty = false;  // the settings start from their defaults and are not saved
    explicit operator bool() const { return bool(reason); }
};

enum class Hive { LocalMachine };

// Registry value types the program uses (the Win32 codes).
enum RegType : uint32_t { REG_SZ_TYPE = 1, REG_DWORD_TYPE = 4 };

struct RegRawValue {
    uint32_t type = 0;          // REG_SZ_TYPE, REG_DWORD_TYPE or any other code kept as read
    std::vector<uint8_t> data;  // REG_SZ: CP932 bytes with the terminating 0; REG_DWORD: 4 bytes LE
};

// One value to store: key path, value name, value.
struct RegValueWrite {
    std::u16string key;
    std::u16string name;
    RegRawValue value;
};

// Key and value names compare as the registry compares them: without regard to case
// (ASCII, Latin-1, Greek, Cyrillic and full-width Latin letters).
std::u16string RegFoldName(std::u16string_view name);
bool RegNamesEqual(std::u16string_view a, std::u16string_view b);

// The non-empty levels of a "\" separated key path, folded for comparison when asked.
std::vector<std::u16string> RegKeyLevels(std::u16string_view path, bool fold = false);

class IRegistryBackend {
  public:
    virtual ~IRegistryBackend() = default;
    // The value, or nothing when the key or value is missing or cannot be read.
    // Never creates anything. Key paths are relative to the hive, "\" separated.
    virtual std::optional<RegRawValue> Query(Hive hive, std::u16string_view key,
                                             std::u16string_view name) = 0;
    // Creates every missing level of the key and stores the value. False on any failure.
    virtual bool Set(Hive hive, std::u16string_view key, std::u16string_view name,
                     const RegRawValue& value) = 0;
    // Adds storing every value to a save plan, as one step where the store can: a store
    // kept in a file stages that file once for all of them. Values the store already
    // holds add nothing; what the store knows it cannot write refuses the plan. `label`
    // names this part in the plan's report. By default, one action that stores the
    // values one by one and names those that failed.
    virtual void PlanSetMany(SavePlan& plan, Hive hive, std::span<const RegValueWrite> values,
                             std::u16string_view label);
    // Stores every value through a plan of its own. False, with the reason (if asked
    // for), when not all were stored.
    bool SetMany(Hive hive, std::span<const RegValueWrite> values, Reason* reason = nullptr);
    // What the player should hear about the store itself (a damaged file set aside, a
    // file that cannot be read or written), each once; empty when there is nothing to say.
    virtual std::vector<StoreNotice> TakeNotice() { return {}; }
};

}  // namespace qm
