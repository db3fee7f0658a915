#pragma once
// An in-memory registry for tests: keys and values as the real one keeps them, with
// switches to refuse writes and counters to prove that nothing was touched.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "platform/Registry.h"

namespace qm {

class FakeRegistry : public IRegistryBackend {
  public:
    std::optional<RegRawValue> Query(Hive hive, std::u16string_view key,
                                     std::u16string_view name) override;
    bool Set(Hive hive, std::u16string_view key, std::u16string_view name,
             const RegRawValue& value) override;

    // Stores a value directly, as another program would (any type, any bytes).
    // PutText stores CP932 with its terminator, PutNumber a REG_DWORD.
    void Put(std::u16string_view key, std::u16string_view name, RegRawValue value);
    void PutText(std::u16string_view key, std::u16string_view name, std::u16string_view text);
    void PutNumber(std::u16string_view key, std::u16string_view name, int32_t number);
    // The stored value without counting a query.
    std::optional<RegRawValue> Peek(std::u16string_view key, std::u16string_view name) const;
    bool HasKey(std::u16string_view key) const;
    std::size_t ValueCount() const { return values_.size(); }
    void Clear();

    // When set, Set refuses writes it returns true for (as an account without write
    // rights, or a failing disk, would).
    std::function<bool(std::u16string_view key, std::u16string_view name)> failSet;

    std::vector<StoreNotice> TakeNotice() override {
        if (!notice) return {};
        return {std::exchange(notice, StoreNotice())};
    }
    StoreNotice notice;  // handed out once by TakeNotice

    int queries = 0;  // Query calls
    int sets = 0;     // successful Set calls

  private:
    static std::u16string KeyId(std::u16string_view key);
    void AddKeyLevels(std::u16string_view key);

    std::set<std::u16string> keys_;  // folded paths of every existing key
    std::map<std::pair<std::u16string, std::u16string>, RegRawValue> values_;
};

}  // namespace qm
