// A Wine prefix's system.reg: a parsed file written back untouched is the same bytes; a
// value set reads back after a reparse.

#include "FuzzCheck.h"
#include "platform/linux/WineRegFormat.h"

using namespace qm;
using qm::fuzz::Check;

namespace {

bool Same(const std::optional<RegRawValue>& a, const RegRawValue& b) {
    return a && a->type == b.type && a->data == b.data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const uint8_t choice = input.Byte();
    const auto valueBytes = input.Take(input.Byte() % 40);
    const auto rest = input.Rest();
    auto doc = WineRegDocument::Parse(
        std::string_view(reinterpret_cast<const char*>(rest.data()), rest.size()));
    if (!doc) return 0;

    const std::string once = doc->Serialize();
    Check(once == std::string_view(reinterpret_cast<const char*>(rest.data()), rest.size()),
          "an untouched document writes back the bytes it read");
    auto again = WineRegDocument::Parse(once);
    Check(again.has_value(), "a written file parses");
    Check(again->Serialize() == once, "an untouched document keeps its bytes");

    static const char16_t* const kKeys[] = {u"Software\\PlayOnline\\SQUARE\\FinalFantasyXI",
                                            u"Software\\Wow6432Node\\PlayOnlineUS", u"K",
                                            u"A\\B\\C"};
    static const char16_t* const kNames[] = {u"0001", u"0018", u"", u"a\"b\\c"};
    const std::u16string key = kKeys[choice & 3], name = kNames[(choice >> 2) & 3];
    RegRawValue value;
    if (choice & 0x10) {
        value.type = REG_DWORD_TYPE;
        value.data = {0, 0, 0, 0};
        for (std::size_t i = 0; i < 4 && i < valueBytes.size(); ++i) value.data[i] = valueBytes[i];
    } else {
        value.type = REG_SZ_TYPE;
        for (uint8_t b : valueBytes) value.data.push_back(uint8_t(0x20 + b % 0x5F));
        value.data.push_back(0);
    }
    const auto now = std::chrono::system_clock::time_point(std::chrono::seconds(1700000000));
    if (!doc->Set(key, name, value, now)) return 0;
    Check(Same(doc->Query(key, name), value), "a set value reads back");
    auto reread = WineRegDocument::Parse(doc->Serialize());
    Check(reread.has_value(), "a written file parses after a set");
    Check(Same(reread->Query(key, name), value), "a set value reads back from the file");
    return 0;
}
