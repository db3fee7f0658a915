#include "platform/fake/FakeRegistry.h"

#include <vector>

#include "macro/Cp932.h"

namespace qm {

std::u16string FakeRegistry::KeyId(std::u16string_view key) {
    std::u16string id;
    for (const auto& part : RegKeyLevels(key)) {
        if (!id.empty()) id += u'\\';
        id += RegFoldName(part);
    }
    return id;
}

void FakeRegistry::AddKeyLevels(std::u16string_view key) {
    std::u16string id;
    for (const auto& part : RegKeyLevels(key)) {
        if (!id.empty()) id += u'\\';
        id += RegFoldName(part);
        keys_.insert(id);
    }
}

std::optional<RegRawValue> FakeRegistry::Query(Hive, std::u16string_view key,
                                               std::u16string_view name) {
    ++queries;
    return Peek(key, name);
}

bool FakeRegistry::Set(Hive, std::u16string_view key, std::u16string_view name,
                       const RegRawValue& value) {
    if (failSet && failSet(key, name)) return false;
    Put(key, name, value);
    ++sets;
    return true;
}

void FakeRegistry::Put(std::u16string_view key, std::u16string_view name, RegRawValue value) {
    AddKeyLevels(key);
    values_[{KeyId(key), RegFoldName(name)}] = std::move(value);
}

void FakeRegistry::PutText(std::u16string_view key, std::u16string_view name,
                           std::u16string_view text) {
    RegRawValue v;
    v.type = REG_SZ_TYPE;
    v.data = Cp932Encode(text);
    v.data.push_back(0);
    Put(key, name, std::move(v));
}

void FakeRegistry::PutNumber(std::u16string_view key, std::u16string_view name, int32_t number) {
    RegRawValue v;
    v.type = REG_DWORD_TYPE;
    const auto bits = static_cast<uint32_t>(number);
    for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    Put(key, name, std::move(v));
}

std::optional<RegRawValue> FakeRegistry::Peek(std::u16string_view key,
                                              std::u16string_view name) const {
    auto it = values_.find({KeyId(key), RegFoldName(name)});
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

bool FakeRegistry::HasKey(std::u16string_view key) const {
    return keys_.count(KeyId(key)) > 0;
}

void FakeRegistry::Clear() {
    keys_.clear();
    values_.clear();
    queries = 0;
    sets = 0;
}

}  // namespace qm
